#include "desktop/ModuleFiles.h"

#include "music/ModuleFormats.h"
#include "library/DirBrowser.h"
#include "library/PlaylistFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

std::string absolute(const std::string& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

// The modules directly in `folder`, as the playlist dialog lists them.
std::vector<std::string> modulesIn(std::string folder) {
  if (folder.back() != '/') folder += '/';
  TDirBrowser browser;
  browser.ChangeDir(folder);
  std::vector<std::string> modules;
  for (const TDirEntry& entry : browser.Entries())
    if (!TDirBrowser::IsFolder(entry)) modules.push_back(folder + entry.Name);
  return modules;
}

// `path` (a regular file) when it holds a module; `given` is how the problem names it.
void addModule(TModuleFiles& files, const std::string& path, const std::string& given) {
  if (!TPlaylistFile::CanHold(path))
    files.Problems.push_back(TPlaylistFile::Refusal(path));
  else if (!TModuleFormats::HoldsModule(path))
    files.Problems.push_back(given + " is not a module the player can read.");
  else
    files.Modules.push_back(path);
}

void addPath(TModuleFiles& files, const std::string& given) {
  if (given.find('\0') != std::string::npos) {
    files.Problems.push_back("A path holds a zero byte, which no file name can.");
    return;
  }
  if (!TPlaylistFile::CanHold(given)) {
    files.Problems.push_back(TPlaylistFile::Refusal(given));
    return;
  }
  const std::string path = absolute(given);
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) {
    files.Problems.push_back(given + ": " + std::strerror(errno));
  } else if (S_ISDIR(info.st_mode)) {
    std::vector<std::string> modules = modulesIn(path);
    if (modules.empty()) files.Problems.push_back(given + " holds no module files.");
    for (const std::string& module : modules) addModule(files, module, module);
  } else if (!S_ISREG(info.st_mode)) {
    files.Problems.push_back(given + " is not a module the player can read.");
  } else {
    // A module is known by what it holds: a wrong extension does not keep it out.
    addModule(files, path, given);
  }
}

} // namespace

TModuleFiles TModuleFiles::of(const std::vector<std::string>& paths) {
  TModuleFiles files;
  for (const std::string& given : paths) addPath(files, given);
  return files;
}

TModuleFiles TModuleFiles::ofAbsolute(const std::vector<std::string>& paths) {
  TModuleFiles files;
  for (const std::string& given : paths) {
    if (given.empty())
      files.Problems.push_back("An empty path names no file.");
    else if (given.front() != '/' && TPlaylistFile::CanHold(given))
      files.Problems.push_back(given + " is not an absolute path.");
    else
      addPath(files, given);
  }
  return files;
}

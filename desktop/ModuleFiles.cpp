#include "desktop/ModuleFiles.h"

#include "playlist/DirBrowser.h"

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

} // namespace

TModuleFiles TModuleFiles::of(const std::vector<std::string>& paths) {
  TModuleFiles result;
  for (const std::string& given : paths) {
    const std::string path = absolute(given);
    struct stat info{};
    if (stat(path.c_str(), &info) != 0) {
      result.Problems.push_back(given + ": " + std::strerror(errno));
    } else if (S_ISDIR(info.st_mode)) {
      std::vector<std::string> modules = modulesIn(path);
      if (modules.empty()) result.Problems.push_back(given + " holds no module files.");
      result.Modules.insert(result.Modules.end(), modules.begin(), modules.end());
    } else if (!S_ISREG(info.st_mode) || !TDirBrowser::IsModuleName(path.substr(path.rfind('/') + 1))) {
      result.Problems.push_back(given + " is not a module file (mod, it, s3m or xm).");
    } else {
      result.Modules.push_back(path);
    }
  }
  return result;
}

#include "desktop/ModuleFiles.h"

#include "music/ModuleFormats.h"
#include "library/FolderScan.h"
#include "library/PlaylistFormats.h"
#include "platform/ArchiveFile.h"
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

// The modules that a folder (with its sub-folders) or an archive holds, as the playlist
// window adds them; what was left out in one line.
void addScanned(TModuleFiles& files, const std::string& path, const std::string& given, bool folder) {
  const std::atomic<bool> never = false;
  TFolderScanResult found = TFolderScan::scan({path}, never);
  if (found.Modules.empty() && found.Damaged.empty())
    files.Problems.push_back(given + (folder ? " holds no module files." : " holds no module the player can read."));
  files.Modules.insert(files.Modules.end(), found.Modules.begin(), found.Modules.end());
  if (const std::string note = found.summary(); !note.empty()) files.Problems.push_back(given + ": " + note);
}

// The songs of a playlist file that exist.
void addListed(TModuleFiles& files, const std::string& path, const std::string& given) {
  const TPlaylistRead read = ReadPlaylistFile(path, FileOrEntryExists);
  if (!read.Error.empty()) {
    files.Problems.push_back(read.Error);
    return;
  }
  for (const TPlaylistItem& item : read.Items) files.Modules.push_back(item.Path);
  if (read.Skipped > 0)
    files.Problems.push_back(given + ": " + std::to_string(read.Skipped) +
                             (read.Skipped == 1 ? " line was left out: it names" : " lines were left out: they name") +
                             " no file that can be played.");
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
  if (SplitArchivePath(path)) {
    addModule(files, path, given);
    return;
  }
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) {
    files.Problems.push_back(given + ": " + std::strerror(errno));
  } else if (S_ISDIR(info.st_mode)) {
    addScanned(files, path, given, true);
  } else if (!S_ISREG(info.st_mode)) {
    files.Problems.push_back(given + " is not a module the player can read.");
  } else if (PlaylistFormatOf(path) && !TModuleFormats::HoldsModule(path)) {
    addListed(files, path, given);
  } else if (IsArchiveName(path) && !TModuleFormats::HoldsModule(path)) {
    addScanned(files, path, given, false);
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

std::vector<std::string> TModuleFiles::MimeTypes() {
  std::vector<std::string> types = TModuleFormats::MimeTypes();
  types.insert(types.end(), {"audio/x-mpegurl", "audio/x-scpls"});
  return types;
}

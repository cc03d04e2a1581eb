#include "library/FolderScan.h"

#include "library/DirBrowser.h"
#include "library/PlaylistFile.h"
#include "music/ModuleFormats.h"
#include "platform/ArchiveFile.h"

#include <sys/stat.h>

#include <set>
#include <utility>

namespace {

class Walk {
public:
  Walk(const std::atomic<bool>& cancel, const std::function<void(std::size_t)>& progress)
      : m_cancel(cancel), m_progress(progress) {}

  void folder(std::string path) {
    if (m_cancel) return;
    if (path.empty() || path.back() != '/') path += '/';
    struct stat info{};
    if (stat(path.c_str(), &info) != 0 || !m_seen.insert({info.st_dev, info.st_ino}).second) return;
    TDirBrowser browser;
    browser.CurDir = path;
    browser.ChangeDir("");
    for (const TDirEntry& entry : browser.Entries()) {
      if (m_cancel) return;
      if (TDirBrowser::IsFolder(entry)) {
        if (entry.Name != "..") folder(path + entry.Name + "/");
      } else {
        file(path + entry.Name);
      }
    }
  }

  TFolderScanResult result;

  void file(const std::string& path) {
    if (IsArchiveName(path) && !SplitArchivePath(path) && !TModuleFormats::HoldsModule(path)) {
      archive(path);
      return;
    }
    if (!TPlaylistFile::CanHold(path))
      ++result.Unholdable;
    else if (TModuleFormats::HoldsModule(path))
      result.Modules.push_back(path);
    else
      ++result.LeftOut;
    if (m_progress && ++m_looked % 64 == 0) m_progress(m_looked);
  }

private:
  void archive(const std::string& path) {
    const TArchiveListing listing = ListArchive(path);
    if (!listing.Error.empty()) result.Damaged.push_back(listing.Error);
    for (const TArchiveEntry& entry : listing.Entries) {
      if (m_cancel) return;
      const std::string inside = ArchiveEntryPath(path, entry.Name);
      // Only what is named as a module is probed: an archive's read-me is no loss.
      const std::size_t slash = entry.Name.rfind('/');
      if (TModuleFormats::IsModuleName(entry.Name.substr(slash == std::string::npos ? 0 : slash + 1)) ||
          listing.Entries.size() == 1)
        file(inside);
    }
  }

  const std::atomic<bool>& m_cancel;
  const std::function<void(std::size_t)>& m_progress;
  std::set<std::pair<dev_t, ino_t>> m_seen;
  std::size_t m_looked = 0;
};

std::string files(std::size_t count) { return count == 1 ? "1 file was" : std::to_string(count) + " files were"; }

} // namespace

std::string TFolderScanResult::summary() const {
  std::string text;
  if (LeftOut > 0) text = files(LeftOut) + " left out: they hold no module the player can read.";
  if (Unholdable > 0)
    text += (text.empty() ? "" : " ") + files(Unholdable) +
            " left out: their names hold a line break or Ctrl-Z character.";
  if (LeftOut == 1) text.replace(text.find("they hold"), 9, "it holds");
  if (Unholdable == 1) text.replace(text.find("their names hold"), 16, "its name holds");
  if (!Damaged.empty()) {
    text += (text.empty() ? "" : " ") + Damaged.front();
    if (Damaged.size() > 1) text += " " + std::to_string(Damaged.size() - 1) + " more archives could not be read.";
  }
  return text;
}

TFolderScanResult TFolderScan::scan(const std::vector<std::string>& paths, const std::atomic<bool>& cancel,
                                    const std::function<void(std::size_t)>& progress) {
  Walk walk(cancel, progress);
  for (const std::string& path : paths) {
    struct stat info{};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
      walk.folder(path);
    else
      walk.file(path);
  }
  walk.result.Cancelled = cancel;
  return std::move(walk.result);
}

#include "gfx/DataFolder.h"

#include "platform/filesys.h"

#include <mutex>

namespace {

std::mutex& folderLock() {
  static std::mutex lock;
  return lock;
}

std::string& chosenFolder() {
  static std::string folder;
  return folder;
}

} // namespace

std::string GameDataFolder() {
  std::lock_guard lock(folderLock());
  return chosenFolder().empty() ? DataDir() : chosenFolder();
}

void SetGameDataFolder(const std::string& folder) {
  std::lock_guard lock(folderLock());
  chosenFolder() = folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

std::string GameDataFile(const std::string& fileName) { return GameDataFolder() + fileName; }

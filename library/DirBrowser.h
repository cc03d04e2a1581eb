#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One entry of the folder list: a sub-folder or a module file of the folder being browsed.
struct TDirEntry {
  std::string Name; // as the file system spells it
  int32_t Size = 0; // bytes, low 32 bits
  int32_t Attr = 0; // file search attribute value
};

// The folder being browsed and its folder list: sub-folders first (".." among them where the
// file system has it), then module files (by name, as TModuleFormats knows them) and archives
// that may hold modules, each group in ascending byte order of the names.
class TDirBrowser {
public:
  // The folder being browsed, normally ending in "/".
  std::string CurDir;

  const std::vector<TDirEntry>& Entries() const { return m_entries; }

  // Goes to the sub-folder `piece` ("name/") of CurDir, or to its parent for "../", and lists
  // it: folders, then module files. A folder that is missing or unreadable lists nothing.
  void ChangeDir(const std::string& piece);
  void ClearDirList() { m_entries.clear(); }
  // Adds the entries of `folder` matching `mask` whose attribute is `attr`, `attr` + 1 (read
  // only) or `attr` + 32 and whose name `keep` accepts (when given), each before the first entry
  // of the same kind (folder or module) with a greater name. "." is never listed.
  void ScanDir(const std::string& folder, const std::string& mask, int32_t attr,
               const std::function<bool(const std::string&)>& keep = {});

  // `path` without its last component: "/music/tunes/" gives "/music/"; "/" stays "/".
  static std::string ParentDir(const std::string& path);
  // Folders are the entries of attribute 0x10, 0x11 or 0x30; every other entry is a module.
  static bool IsFolder(const TDirEntry& entry);

private:
  void insertSorted(const TDirEntry& entry);

  std::vector<TDirEntry> m_entries;
};

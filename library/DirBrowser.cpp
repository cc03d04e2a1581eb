#include "library/DirBrowser.h"

#include "music/ModuleFormats.h"
#include "platform/ArchiveFile.h"
#include "platform/filesys.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

} // namespace

void TDirBrowser::ChangeDir(const std::string& piece) {
  if (piece == "../" || piece == "..\\")
    CurDir = ParentDir(CurDir);
  else
    CurDir += piece;
  ClearDirList();
  ScanDir(CurDir, "*.*", faDirectory);
  ScanDir(CurDir, "*", faArchive,
          [](const std::string& name) { return TModuleFormats::IsModuleName(name) || IsArchiveName(name); });
}

void TDirBrowser::ScanDir(const std::string& folder, const std::string& mask, int32_t attr,
                          const std::function<bool(const std::string&)>& keep) {
  for (const TSearchRec& found : FindFiles(folder + mask, attr)) {
    if (found.Name == "." || (keep && !keep(found.Name))) continue;
    if (found.Attr != attr && found.Attr != attr + 1 && found.Attr != attr + 32) continue;
    insertSorted({found.Name, found.Size, found.Attr});
  }
}

void TDirBrowser::insertSorted(const TDirEntry& entry) {
  // Folders and modules are sorted each among their own kind, whatever their other attribute
  // bits: a read-only folder sorts among the others.
  const bool folder = IsFolder(entry);
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if (IsFolder(*it) == folder && it->Name > entry.Name) {
      m_entries.insert(it, entry);
      return;
    }
  }
  m_entries.push_back(entry);
}

std::string TDirBrowser::ParentDir(const std::string& path) {
  std::string p = path;
  if (p.size() > 1 && isSeparator(p.back())) p.pop_back();
  for (std::size_t i = p.size(); i > 0; --i)
    if (isSeparator(p[i - 1])) return p.substr(0, i);
  return p;
}

bool TDirBrowser::IsFolder(const TDirEntry& entry) {
  return entry.Attr == 0x10 || entry.Attr == 0x11 || entry.Attr == 0x30;
}

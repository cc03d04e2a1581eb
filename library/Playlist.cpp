#include "library/Playlist.h"

#include "platform/msgbox.h"

#include <algorithm>

TPlaylist::TPlaylist(const std::string& filesDir, QObject* parent) : QObject(parent), m_file(filesDir) {}

void TPlaylist::load() {
  std::vector<std::string> entries;
  if (m_file.load(entries) == TPlaylistFile::TLoadResult::Unreadable)
    ShowMessageBox("Could not read playlist: " + m_file.readError() + ".\n" + m_file.path() +
                       " was not read and is left as it is.",
                   "", TMessageKind::Error);
  std::erase_if(entries, [](const std::string& entry) { return !TPlaylistFile::CanHold(entry); });
  m_entries = std::move(entries);
  m_changedSinceLoad = false;
  emit changed();
}

void TPlaylist::commit(std::vector<std::string> entries) {
  if (entries == m_entries) return;
  m_entries = std::move(entries);
  m_changedSinceLoad = true;
  store();
  emit changed();
}

void TPlaylist::setEntries(std::vector<std::string> entries) {
  std::erase_if(entries, [](const std::string& entry) { return !TPlaylistFile::CanHold(entry); });
  commit(std::move(entries));
}

void TPlaylist::insert(std::size_t at, const std::vector<std::string>& paths) {
  std::vector<std::string> entries = m_entries;
  at = std::min(at, entries.size());
  std::vector<std::string> kept;
  std::copy_if(paths.begin(), paths.end(), std::back_inserter(kept), TPlaylistFile::CanHold);
  entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), kept.begin(), kept.end());
  commit(std::move(entries));
}

void TPlaylist::remove(const std::vector<std::size_t>& indices) {
  std::vector<bool> gone(m_entries.size(), false);
  for (std::size_t index : indices)
    if (index < gone.size()) gone[index] = true;
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < m_entries.size(); ++i)
    if (!gone[i]) entries.push_back(m_entries[i]);
  commit(std::move(entries));
}

std::size_t TPlaylist::move(const std::vector<std::size_t>& indices, std::size_t before) {
  std::vector<bool> moved(m_entries.size(), false);
  for (std::size_t index : indices)
    if (index < moved.size()) moved[index] = true;
  if (before < moved.size() && moved[before]) {
    // Dropped onto themselves: they close up behind the first of them.
    before = static_cast<std::size_t>(std::find(moved.begin(), moved.end(), true) - moved.begin());
  }
  std::vector<std::string> taken, entries;
  for (std::size_t i = 0; i < m_entries.size(); ++i)
    if (moved[i]) taken.push_back(m_entries[i]);
  std::size_t first = 0;
  for (std::size_t i = 0; i <= m_entries.size(); ++i) {
    if (i == std::min(before, m_entries.size())) {
      first = entries.size();
      entries.insert(entries.end(), taken.begin(), taken.end());
    }
    if (i < m_entries.size() && !moved[i]) entries.push_back(m_entries[i]);
  }
  commit(std::move(entries));
  return first;
}

void TPlaylist::reorder(const std::vector<std::size_t>& order) {
  if (order.size() != m_entries.size()) return;
  std::vector<bool> seen(order.size(), false);
  std::vector<std::string> entries;
  for (std::size_t index : order) {
    if (index >= seen.size() || seen[index]) return;
    seen[index] = true;
    entries.push_back(m_entries[index]);
  }
  commit(std::move(entries));
}

bool TPlaylist::store() {
  // A file that could not be read is left as it is, and said so once.
  if (m_file.keepsFile() && m_keptFileReported) return false;
  if (TFileWrite saved = m_file.save(m_entries); !saved) {
    m_keptFileReported = m_file.keepsFile();
    ShowMessageBox("Could not write playlist: " + m_file.path() + ": " + saved.Error + ".", "",
                   TMessageKind::Error);
    return false;
  }
  return true;
}

void TPlaylist::storeAtEnd() {
  if (!m_file.keepsFile() || m_changedSinceLoad) {
    m_keptFileReported = false;
    store();
  }
}

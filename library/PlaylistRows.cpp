#include "library/PlaylistRows.h"

#include "platform/ArchiveFile.h"

#include <QString>

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <numeric>

namespace {

std::string fileName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder's name and the file's name: "tunes/a.mod" for "/music/tunes/a.mod"; for a module
// in an archive, the archive's name and the entry's: "pack.zip#songs/a.mod".
std::string folderAndName(const std::string& path) {
  for (std::size_t hash = path.find('#'); hash != std::string::npos; hash = path.find('#', hash + 1))
    if (IsArchiveName(path.substr(0, hash))) return fileName(path.substr(0, hash)) + path.substr(hash);
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return path;
  std::size_t before = path.rfind('/', slash - 1);
  return path.substr(before == std::string::npos ? 0 : before + 1);
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

} // namespace

std::string TPlaylistRows::fold(const std::string& text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::string folded = text;
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
  }
  const QString decomposed = QString::fromUtf8(text).normalized(QString::NormalizationForm_KD);
  QString kept;
  kept.reserve(decomposed.size());
  for (QChar c : decomposed)
    if (c.category() != QChar::Mark_NonSpacing) kept += c;
  return kept.toCaseFolded().toStdString();
}

void TPlaylistRows::setEntries(const std::vector<std::string>& entries) {
  m_entries = entries;
  m_entriesOf.clear();
  rebuild();
}

std::size_t TPlaylistRows::rowsFor(const TModuleFacts* facts) const {
  return facts && facts->Readable ? std::max<std::size_t>(1, facts->Subsongs.size()) : 1;
}

std::size_t TPlaylistRows::rowsOf(std::size_t entry) const {
  const std::size_t end = entry + 1 < m_firstRow.size() ? m_firstRow[entry + 1] : m_rows.size();
  return end - m_firstRow[entry];
}

double TPlaylistRows::secondsOf(const TModuleFacts* facts, int32_t subsong) const {
  const auto index = static_cast<std::size_t>(subsong);
  if (!facts || !facts->Readable || index >= facts->Subsongs.size()) return -1;
  return facts->Subsongs[index].Seconds;
}

void TPlaylistRows::indexEntries() {
  if (!m_entriesOf.empty() || m_entries.empty()) return;
  for (std::size_t entry = 0; entry < m_entries.size(); ++entry) m_entriesOf[m_entries[entry]].push_back(entry);
}

bool TPlaylistRows::addFacts(std::vector<TModuleFacts> facts) {
  indexEntries();
  bool touched = false, reshaped = false;
  for (TModuleFacts& found : facts) {
    TKnown& known = m_known[found.Path];
    if (known.HasFacts && known.Facts == found) continue;
    known.HasFacts = true;
    known.Facts = std::move(found);
    known.Folds.clear();
    auto entries = m_entriesOf.find(known.Facts.Path);
    if (entries == m_entriesOf.end()) continue;
    touched = true;
    // Rows whose number stays are brought up to date in place; a file that turns out to hold
    // several subsongs changes the rows' shape, and they are made again.
    for (std::size_t entry : entries->second) {
      if (reshaped || rowsOf(entry) != rowsFor(&known.Facts)) {
        reshaped = true;
        break;
      }
      const std::vector<std::string>& folds = foldsOf(known.Facts.Path, known);
      for (std::size_t row = m_firstRow[entry]; row < m_firstRow[entry] + rowsOf(entry); ++row) {
        TRow& shown = m_rows[row];
        if (shown.Seconds >= 0) m_totalSeconds -= shown.Seconds; else --m_rowsWithoutLength;
        shown.Seconds = secondsOf(&known.Facts, shown.Subsong);
        if (shown.Seconds >= 0) m_totalSeconds += shown.Seconds; else ++m_rowsWithoutLength;
        m_searchText[row] = &folds[row - m_firstRow[entry]];
      }
    }
  }
  if (reshaped) {
    rebuild();
  } else if (touched) {
    m_textStale = true;
    refilter(false);
  }
  return touched;
}

const TModuleFacts* TPlaylistRows::factsOf(const std::string& path) const {
  auto it = m_known.find(path);
  return it == m_known.end() ? nullptr : factsIn(it->second);
}

std::vector<std::string> TPlaylistRows::unknownPaths() const {
  std::vector<std::string> unknown;
  std::unordered_set<const TKnown*> asked;
  for (std::size_t entry = 0; entry < m_entries.size(); ++entry)
    if (!m_entryKnown[entry]->HasFacts && asked.insert(m_entryKnown[entry]).second)
      unknown.push_back(m_entries[entry]);
  return unknown;
}

void TPlaylistRows::rebuild() {
  m_rows.clear();
  m_firstRow.clear();
  m_entryKnown.clear();
  m_searchText.clear();
  m_totalSeconds = 0;
  m_rowsWithoutLength = 0;
  m_firstRow.reserve(m_entries.size());
  m_entryKnown.reserve(m_entries.size());
  for (std::size_t entry = 0; entry < m_entries.size(); ++entry) {
    // One look-up a path: facts and folded texts live together.
    TKnown& known = m_known[m_entries[entry]];
    m_entryKnown.push_back(&known);
    m_firstRow.push_back(m_rows.size());
    const TModuleFacts* facts = factsIn(known);
    const std::vector<std::string>& folds = foldsOf(m_entries[entry], known);
    for (std::size_t subsong = 0; subsong < rowsFor(facts); ++subsong) {
      const auto number = static_cast<int32_t>(subsong);
      m_rows.push_back({entry, number, secondsOf(facts, number)});
      m_searchText.push_back(&folds[subsong]);
      if (m_rows.back().Seconds >= 0)
        m_totalSeconds += m_rows.back().Seconds;
      else
        ++m_rowsWithoutLength;
    }
  }
  m_textStale = true;
  refilter(false);
}

int64_t TPlaylistRows::rowOf(std::size_t entry, int32_t subsong) const {
  if (entry >= m_firstRow.size()) return -1;
  const std::size_t first = m_firstRow[entry];
  const std::size_t end = entry + 1 < m_firstRow.size() ? m_firstRow[entry + 1] : m_rows.size();
  const std::size_t wanted = first + static_cast<std::size_t>(std::max(0, subsong));
  return static_cast<int64_t>(wanted < end ? wanted : first);
}

const std::string& TPlaylistRows::path(std::size_t index) const { return m_entries[m_rows[index].Entry]; }

std::string TPlaylistRows::text(std::size_t index, EColumn column) const {
  const std::string& file = path(index);
  const TModuleFacts* facts = factsIn(*m_entryKnown[m_rows[index].Entry]);
  switch (column) {
  case Title: {
    if (!facts) return {};
    const std::string title = facts->Title.empty() ? fileName(file) : facts->Title;
    return title + SubsongMark(m_rows[index].Subsong, static_cast<int32_t>(facts->Subsongs.size()));
  }
  case Artist: return facts ? facts->Artist : std::string();
  case Length: return {};
  case Format: return facts ? upper(facts->Format) : std::string();
  case File: return folderAndName(file);
  case ColumnCount: break;
  }
  return {};
}

const std::vector<std::string>& TPlaylistRows::foldsOf(const std::string& path, TKnown& known) {
  if (!known.Folds.empty()) return known.Folds;
  const TModuleFacts* facts = factsIn(known);
  for (std::size_t subsong = 0; subsong < rowsFor(facts); ++subsong) {
    std::string text = path;
    if (facts) {
      text += '\n' + facts->Title + '\n' + facts->Artist;
      if (subsong < facts->Subsongs.size()) text += '\n' + facts->Subsongs[subsong].Name;
    }
    known.Folds.push_back(fold(text));
  }
  return known.Folds;
}

void TPlaylistRows::setFilter(const std::string& query) {
  const std::string folded = fold(query);
  // Typing on narrows the rows already kept; anything else looks through all of them.
  const bool narrower = !m_folded.empty() && folded.find(m_folded) != std::string::npos;
  m_query = query;
  m_folded = folded;
  refilter(narrower);
}

void TPlaylistRows::joinTexts() {
  std::size_t size = 0;
  for (const std::string* text : m_searchText) size += text->size() + 1;
  m_text.clear();
  m_text.reserve(size);
  m_textStart.clear();
  m_textStart.reserve(m_searchText.size() + 1);
  for (const std::string* text : m_searchText) {
    m_textStart.push_back(m_text.size());
    m_text += *text;
    m_text += '\0';
  }
  m_textStart.push_back(m_text.size());
  m_textStale = false;
}

void TPlaylistRows::refilter(bool narrower) {
  if (m_folded.empty()) {
    m_visible.resize(m_rows.size());
    std::iota(m_visible.begin(), m_visible.end(), std::size_t{0});
    return;
  }
  if (m_textStale) joinTexts();
  const std::string_view text(m_text);
  std::vector<std::size_t> kept;
  if (narrower) {
    for (std::size_t row : m_visible)
      if (text.substr(m_textStart[row], m_textStart[row + 1] - m_textStart[row]).find(m_folded) != std::string_view::npos)
        kept.push_back(row);
  } else {
    // No match runs from one row into the next: the query holds no zero byte.
    for (std::size_t hit = text.find(m_folded); hit != std::string_view::npos;) {
      const auto row = static_cast<std::size_t>(std::upper_bound(m_textStart.begin(), m_textStart.end(), hit) -
                                                m_textStart.begin()) - 1;
      kept.push_back(row);
      hit = text.find(m_folded, m_textStart[row + 1]);
    }
  }
  m_visible = std::move(kept);
}

std::vector<std::size_t> TPlaylistRows::sortedOrder(EColumn column, bool descending) const {
  std::vector<std::size_t> order(m_entries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (column == Length) {
    // Songs of unknown length go last either way.
    auto key = [&](std::size_t entry) { return seconds(m_firstRow[entry]); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      const double x = key(a), y = key(b);
      if ((x < 0) != (y < 0)) return y < 0;
      return descending ? x > y : x < y;
    });
    return order;
  }
  std::vector<std::string> keys;
  keys.reserve(m_entries.size());
  for (std::size_t entry = 0; entry < m_entries.size(); ++entry)
    keys.push_back(column == File ? m_entries[entry] : fold(text(m_firstRow[entry], column)));
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    // Empty keys (facts not yet known) go last either way.
    if (keys[a].empty() != keys[b].empty()) return keys[b].empty();
    return descending ? keys[a] > keys[b] : keys[a] < keys[b];
  });
  return order;
}

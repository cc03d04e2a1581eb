#include "scores/Score.h"

#include "platform/filesys.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kRecordBytes = 89;
constexpr std::size_t kNameBytes = THighScoreRec::kNameBytes;

void putInt32(std::string& out, int32_t value) {
  auto u = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
}

int32_t getInt32(const unsigned char* in) {
  uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | in[i];
  return static_cast<int32_t>(u);
}

} // namespace

std::string THighScoreRec::name() const {
  // A damaged length may count the zeros behind the name: the name ends at the first of them.
  return std::string(Name, strnlen(Name, std::min<std::size_t>(NameLength, kNameBytes)));
}

THighScoreList::THighScoreList(std::string fileName, int32_t capacity)
    : m_capacity(capacity), m_fileName(std::move(fileName)) {
  read();
}

THighScoreList::~THighScoreList() {
  if (!m_stored) Save();
}

int32_t THighScoreList::Count() const {
  std::lock_guard lock(m_lock);
  return static_cast<int32_t>(m_entries.size());
}

THighScoreRec THighScoreList::GetEntry(int32_t index) const {
  std::lock_guard lock(m_lock);
  if (index < 0 || index >= static_cast<int32_t>(m_entries.size())) return {};
  return m_entries[index];
}

void THighScoreList::AddScore(const std::string& name, int32_t score, int32_t level) {
  THighScoreRec rec;
  std::string cut = Utf8Prefix(name, kNameBytes);
  rec.NameLength = static_cast<uint8_t>(cut.size());
  std::memcpy(rec.Name, cut.data(), cut.size());
  rec.Score = score;
  rec.Level = level;

  std::lock_guard lock(m_lock);
  auto lower = std::find_if(m_entries.begin(), m_entries.end(),
                            [score](const THighScoreRec& e) { return e.Score < score; });
  // A result below every entry of a full list drops out at once and changes nothing.
  if (lower == m_entries.end() && static_cast<int32_t>(m_entries.size()) >= m_capacity) return;
  m_entries.insert(lower, rec);
  if (static_cast<int32_t>(m_entries.size()) > m_capacity) m_entries.pop_back();
  m_stored = false;
  m_newResults = true;
}

std::string THighScoreList::encode(const std::vector<THighScoreRec>& entries) {
  std::string bytes;
  for (const THighScoreRec& e : entries) {
    std::size_t length = std::min<std::size_t>(e.NameLength, kNameBytes);
    bytes += static_cast<char>(length);
    bytes.append(e.Name, length);
    bytes.append(kNameBytes - length, '\0');
    putInt32(bytes, e.Score);
    putInt32(bytes, e.Level);
  }
  return bytes;
}

std::vector<THighScoreRec> THighScoreList::decode(const std::string& bytes, int32_t capacity) {
  std::vector<THighScoreRec> entries;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t at = 0; at + kRecordBytes <= bytes.size() &&
                           static_cast<int32_t>(entries.size()) < capacity;
       at += kRecordBytes) {
    THighScoreRec e;
    e.NameLength = static_cast<uint8_t>(std::min<std::size_t>(data[at], kNameBytes));
    std::memcpy(e.Name, data + at + 1, kNameBytes);
    e.Score = getInt32(data + at + 81);
    e.Level = getInt32(data + at + 85);
    entries.push_back(e);
  }
  return entries;
}

void THighScoreList::read() {
  RemoveStaleTempFiles(m_fileName);
  int32_t records = std::clamp(m_capacity, 0, MaxRecordsRead);
  TFileRead file = ReadRegularFile(m_fileName, static_cast<std::size_t>(records) * kRecordBytes);
  m_keepFile = file.Status == TReadStatus::Failed || file.Status == TReadStatus::Folder;
  m_entries = decode(file.Bytes, records);
}

TFileWrite THighScoreList::Save() {
  std::lock_guard lock(m_lock);
  if (m_keepFile) return {false, "it could not be read, so it is left as it is"};
  TFileWrite written = ReplaceFile(m_fileName, encode(m_entries));
  if (written) {
    m_stored = true;
    m_newResults = false;
  }
  return written;
}

bool THighScoreList::HasUnsavedResults() const {
  std::lock_guard lock(m_lock);
  return m_newResults;
}

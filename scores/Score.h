#pragma once

#include "platform/filesys.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One result, 89 bytes in memory and in the high-score file: the name's length (0 to 80),
// 80 name bytes of which the first length count, then score and level, little-endian. The
// record is packed: read Score and Level by value, never bind a reference to them.
#pragma pack(push, 1)
struct THighScoreRec {
  static constexpr std::size_t kNameBytes = 80;

  uint8_t NameLength = 0;
  char Name[kNameBytes] = {};
  int32_t Score = 0;
  int32_t Level = 0;

  // The name: the first NameLength bytes (at most 80), up to the first zero byte among them.
  std::string name() const;
};
#pragma pack(pop)
static_assert(sizeof(THighScoreRec) == 89);

// The best results of the game, best first, up to a capacity, kept in a file of 89-byte
// records. The file is read when the list is made and written (replaced as a whole, so a
// failure keeps the old file) by Save, and when the list goes unless the last Save stored it as
// it is. A file that is there but could not be read whole (no permission, a folder, a pipe, a
// read error) is never written over: the results of that run live in memory only. Every member
// takes the list's lock, so the game's thread may add a result while the window's thread reads
// entries.
class THighScoreList {
public:
  // No more records than this are ever read, whatever the capacity, so that no file can make
  // reading slow or large.
  static constexpr int32_t MaxRecordsRead = 1000;

  // Reads up to `capacity` (at most MaxRecordsRead) whole records from the regular file
  // `fileName` (a path, used as given); a missing or unreadable file, or a short last record,
  // ends the reading. Removes the temporary files that an ended writer left beside the file.
  THighScoreList(std::string fileName, int32_t capacity);
  // Saves, unless the last Save stored the list as it is; a failure is not reported.
  ~THighScoreList();
  THighScoreList(const THighScoreList&) = delete;
  THighScoreList& operator=(const THighScoreList&) = delete;

  int32_t Count() const;
  // The entry at `index`, 0 (the best) to Count() - 1; an index outside gives an empty record.
  THighScoreRec GetEntry(int32_t index) const;
  // Enters a result before the first entry with a lower score (so below equal ones), the name
  // cut to 80 bytes at a character boundary; the last entry drops out of a full list.
  void AddScore(const std::string& name, int32_t score, int32_t level);

  // The file's bytes for `entries`, and the entries that file bytes hold (at most `capacity`
  // whole records; a name length above 80 reads as 80).
  static std::string encode(const std::vector<THighScoreRec>& entries);
  static std::vector<THighScoreRec> decode(const std::string& bytes, int32_t capacity);

  // Writes the file now, unless it could not be read. When nothing was written the results stay
  // in memory, and the next Save tries again.
  TFileWrite Save();
  // True when a result entered the list since the last Save that wrote the file.
  bool HasUnsavedResults() const;
  const std::string& FileName() const { return m_fileName; }

private:
  void read();

  mutable std::mutex m_lock;
  std::vector<THighScoreRec> m_entries;
  int32_t m_capacity;
  std::string m_fileName;
  bool m_keepFile = false; // the file could not be read, so it is never written over
  bool m_stored = false;   // the last Save wrote the list as it is
  bool m_newResults = false; // a result entered since the last Save that wrote the file
};

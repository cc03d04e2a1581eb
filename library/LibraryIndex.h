#pragma once

#include "library/ModuleFacts.h"
#include "music/LoudnessScan.h"

#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The index of what module files hold: one SQLite database, keyed by the path's bytes, with
// the file's stamp so that a changed file is read again, and the levels measured of them. A database that is damaged, of
// another program or of a newer layout is moved aside (to "<name>.damaged") with one line on
// standard error and a new one is made; when even that fails the index keeps nothing and every
// lookup misses. The playlist never lives only here. One thread at a time.
class TLibraryIndex {
public:
  explicit TLibraryIndex(std::string path);
  ~TLibraryIndex();
  TLibraryIndex(const TLibraryIndex&) = delete;
  TLibraryIndex& operator=(const TLibraryIndex&) = delete;

  const std::string& path() const { return m_path; }
  // False when no database could be opened or made.
  bool isOpen() const { return m_db != nullptr; }

  // The facts stored for `path`, whatever its stamp now; none when it was never indexed.
  std::optional<TModuleFacts> find(const std::string& path) const;
  // Stores `facts`, replacing what was stored for its path. A write that fails is dropped
  // (the facts are read again at the next start).
  void store(const TModuleFacts& facts);
  // Stores all of `facts` in one transaction.
  void store(const std::vector<TModuleFacts>& facts);

  // The levels measured of `path`'s subsongs, in order, when its stamp was `stamp`; none when
  // they were not (or the file has changed since).
  std::vector<TSongLevel> findLevels(const std::string& path, const TFileStamp& stamp) const;
  // Stores the levels measured of `path` (stamp `stamp`), replacing those stored before.
  void storeLevels(const std::string& path, const TFileStamp& stamp, const std::vector<TSongLevel>& levels);
  // The median loudness (LUFS) of the measured songs of the format `format` ("xm"), silent ones
  // left out; none when there are none.
  std::optional<double> medianLoudness(const std::string& format) const;

private:
  bool open();
  void close();
  bool hasOurLayout() const;
  void moveAside(const std::string& why);
  bool exec(const char* sql) const;

  std::string m_path;
  std::string m_problem; // why the last open failed
  sqlite3* m_db = nullptr;
  // Made once: a start looks up every entry of the playlist.
  sqlite3_stmt* m_findFile = nullptr;
  sqlite3_stmt* m_findSubsongs = nullptr;
  sqlite3_stmt* m_findLevels = nullptr;
};

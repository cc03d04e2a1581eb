#include "library/LibraryIndex.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>

namespace {

// Marks the database as this program's ("VRKA"), and the layout of its tables.
constexpr int kApplicationId = 0x56524B41;
// Layout 2 added the levels table to layout 1's files and subsongs.
constexpr int kLayoutVersion = 2;

const char* const kCreate = R"(
CREATE TABLE IF NOT EXISTS files (
  path BLOB PRIMARY KEY,
  size INTEGER NOT NULL,
  modified_ns INTEGER NOT NULL,
  readable INTEGER NOT NULL,
  error TEXT NOT NULL,
  format TEXT NOT NULL,
  format_name TEXT NOT NULL,
  title TEXT NOT NULL,
  artist TEXT NOT NULL,
  tracker TEXT NOT NULL,
  channels INTEGER NOT NULL
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS subsongs (
  path BLOB NOT NULL,
  number INTEGER NOT NULL,
  name TEXT NOT NULL,
  seconds REAL NOT NULL,
  PRIMARY KEY (path, number)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS levels (
  path BLOB NOT NULL,
  number INTEGER NOT NULL,
  size INTEGER NOT NULL,
  modified_ns INTEGER NOT NULL,
  loudness REAL NOT NULL,
  last_sound REAL NOT NULL,
  seconds REAL NOT NULL,
  PRIMARY KEY (path, number)
) WITHOUT ROWID;
)";

// A prepared statement that finalizes itself.
class Statement {
public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
  ~Statement() { sqlite3_finalize(m_statement); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  explicit operator bool() const { return m_statement != nullptr; }
  sqlite3_stmt* get() const { return m_statement; }
  void bindBlob(int index, const std::string& bytes) {
    sqlite3_bind_blob(m_statement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  }
  void bindText(int index, const std::string& text) {
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  std::string text(int column) const {
    const auto* bytes = sqlite3_column_text(m_statement, column);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                               static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                 : std::string();
  }

private:
  sqlite3_stmt* m_statement = nullptr;
};

} // namespace

TLibraryIndex::TLibraryIndex(std::string path) : m_path(std::move(path)) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), error);
  if (open()) return;
  moveAside(m_problem);
  if (!open()) {
    std::fprintf(stderr, "vorka: the module index %s could not be made; module facts are not kept.\n",
                 m_path.c_str());
    close();
  }
}

TLibraryIndex::~TLibraryIndex() { close(); }

void TLibraryIndex::close() {
  sqlite3_finalize(m_findFile);
  sqlite3_finalize(m_findSubsongs);
  sqlite3_finalize(m_findLevels);
  m_findFile = m_findSubsongs = m_findLevels = nullptr;
  sqlite3_close(m_db);
  m_db = nullptr;
}

bool TLibraryIndex::exec(const char* sql) const {
  return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool TLibraryIndex::open() {
  close();
  const bool opened =
      sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
  // The indexer and the player's levels open the index at the same start: one waits for the
  // other rather than taking a busy database for a damaged one.
  if (opened) sqlite3_busy_timeout(m_db, 2000);
  // A file that is not a database fails at its first read.
  if (!opened || !exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;")) {
    m_problem = m_db ? sqlite3_errmsg(m_db) : "it could not be opened";
    return false;
  }
  if (!hasOurLayout()) {
    m_problem = "it is damaged, or another program's or another version's";
    return false;
  }
  if (!exec(kCreate) ||
      sqlite3_prepare_v2(m_db,
                         "SELECT size, modified_ns, readable, error, format, format_name, title, artist, "
                         "tracker, channels FROM files WHERE path = ?",
                         -1, &m_findFile, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(m_db, "SELECT name, seconds FROM subsongs WHERE path = ? ORDER BY number", -1,
                         &m_findSubsongs, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(m_db,
                         "SELECT loudness, last_sound, seconds FROM levels WHERE path = ? AND size = ? AND "
                         "modified_ns = ? ORDER BY number",
                         -1, &m_findLevels, nullptr) != SQLITE_OK) {
    m_problem = sqlite3_errmsg(m_db);
    return false;
  }
  return true;
}

bool TLibraryIndex::hasOurLayout() const {
  Statement application(m_db, "PRAGMA application_id");
  Statement version(m_db, "PRAGMA user_version");
  Statement tables(m_db, "SELECT count(*) FROM sqlite_schema");
  if (!application || !version || !tables || sqlite3_step(application.get()) != SQLITE_ROW ||
      sqlite3_step(version.get()) != SQLITE_ROW || sqlite3_step(tables.get()) != SQLITE_ROW)
    return false;
  const int id = sqlite3_column_int(application.get(), 0);
  const int layout = sqlite3_column_int(version.get(), 0);
  if (sqlite3_column_int(tables.get(), 0) == 0 && id == 0) {
    // A new, empty database: made ours in one step, so that another connection never sees it
    // marked ours without its layout.
    return exec(("BEGIN; PRAGMA application_id=" + std::to_string(kApplicationId) +
                 "; PRAGMA user_version=" + std::to_string(kLayoutVersion) + "; COMMIT;").c_str());
  }
  if (id != kApplicationId || layout < 1 || layout > kLayoutVersion) return false;
  Statement check(m_db, "PRAGMA quick_check(1)");
  if (!check || sqlite3_step(check.get()) != SQLITE_ROW || check.text(0) != "ok") return false;
  // An index of the first layout keeps its facts and gains the levels table.
  return layout == kLayoutVersion ||
         exec(("BEGIN; " + std::string(kCreate) + " PRAGMA user_version=" + std::to_string(kLayoutVersion) + "; COMMIT;").c_str());
}

void TLibraryIndex::moveAside(const std::string& why) {
  close();
  const std::string aside = m_path + ".damaged";
  std::error_code error;
  std::filesystem::rename(m_path, aside, error);
  for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(m_path + suffix, error);
  std::fprintf(stderr, "vorka: the module index %s could not be used (%s); it was moved to %s and is made anew.\n",
               m_path.c_str(), why.c_str(), aside.c_str());
}

namespace {

std::string columnText(sqlite3_stmt* statement, int column) {
  const auto* bytes = sqlite3_column_text(statement, column);
  return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
               : std::string();
}

} // namespace

std::optional<TModuleFacts> TLibraryIndex::find(const std::string& path) const {
  if (!m_db) return std::nullopt;
  sqlite3_reset(m_findFile);
  sqlite3_bind_blob(m_findFile, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  if (sqlite3_step(m_findFile) != SQLITE_ROW) return std::nullopt;
  TModuleFacts facts;
  facts.Path = path;
  facts.Stamp = {sqlite3_column_int64(m_findFile, 0), sqlite3_column_int64(m_findFile, 1)};
  facts.Readable = sqlite3_column_int(m_findFile, 2) != 0;
  facts.Error = columnText(m_findFile, 3);
  facts.Format = columnText(m_findFile, 4);
  facts.FormatName = columnText(m_findFile, 5);
  facts.Title = columnText(m_findFile, 6);
  facts.Artist = columnText(m_findFile, 7);
  facts.Tracker = columnText(m_findFile, 8);
  facts.Channels = sqlite3_column_int(m_findFile, 9);
  sqlite3_reset(m_findFile);
  sqlite3_reset(m_findSubsongs);
  sqlite3_bind_blob(m_findSubsongs, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  while (sqlite3_step(m_findSubsongs) == SQLITE_ROW)
    facts.Subsongs.push_back({columnText(m_findSubsongs, 0), sqlite3_column_double(m_findSubsongs, 1)});
  sqlite3_reset(m_findSubsongs);
  return facts;
}

void TLibraryIndex::store(const TModuleFacts& facts) { store(std::vector<TModuleFacts>{facts}); }

void TLibraryIndex::store(const std::vector<TModuleFacts>& all) {
  if (!m_db || all.empty() || !exec("BEGIN")) return;
  Statement file(m_db, "INSERT OR REPLACE INTO files VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  Statement clear(m_db, "DELETE FROM subsongs WHERE path = ?");
  Statement subsong(m_db, "INSERT INTO subsongs VALUES (?, ?, ?, ?)");
  bool ok = file && clear && subsong;
  for (const TModuleFacts& facts : all) {
    if (!ok) break;
    sqlite3_reset(file.get());
    file.bindBlob(1, facts.Path);
    sqlite3_bind_int64(file.get(), 2, facts.Stamp.Size);
    sqlite3_bind_int64(file.get(), 3, facts.Stamp.ModifiedNs);
    sqlite3_bind_int(file.get(), 4, facts.Readable ? 1 : 0);
    file.bindText(5, facts.Error);
    file.bindText(6, facts.Format);
    file.bindText(7, facts.FormatName);
    file.bindText(8, facts.Title);
    file.bindText(9, facts.Artist);
    file.bindText(10, facts.Tracker);
    sqlite3_bind_int(file.get(), 11, facts.Channels);
    ok = sqlite3_step(file.get()) == SQLITE_DONE;
    sqlite3_reset(clear.get());
    clear.bindBlob(1, facts.Path);
    ok = ok && sqlite3_step(clear.get()) == SQLITE_DONE;
    for (std::size_t i = 0; ok && i < facts.Subsongs.size(); ++i) {
      sqlite3_reset(subsong.get());
      subsong.bindBlob(1, facts.Path);
      sqlite3_bind_int(subsong.get(), 2, static_cast<int>(i));
      subsong.bindText(3, facts.Subsongs[i].Name);
      sqlite3_bind_double(subsong.get(), 4, facts.Subsongs[i].Seconds);
      ok = sqlite3_step(subsong.get()) == SQLITE_DONE;
    }
  }
  exec(ok ? "COMMIT" : "ROLLBACK");
}

std::vector<TSongLevel> TLibraryIndex::findLevels(const std::string& path, const TFileStamp& stamp) const {
  std::vector<TSongLevel> levels;
  if (!m_db) return levels;
  sqlite3_reset(m_findLevels);
  sqlite3_bind_blob(m_findLevels, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  sqlite3_bind_int64(m_findLevels, 2, stamp.Size);
  sqlite3_bind_int64(m_findLevels, 3, stamp.ModifiedNs);
  while (sqlite3_step(m_findLevels) == SQLITE_ROW)
    levels.push_back({sqlite3_column_double(m_findLevels, 0), sqlite3_column_double(m_findLevels, 1),
                      sqlite3_column_double(m_findLevels, 2)});
  sqlite3_reset(m_findLevels);
  return levels;
}

void TLibraryIndex::storeLevels(const std::string& path, const TFileStamp& stamp, const std::vector<TSongLevel>& levels) {
  if (!m_db || !exec("BEGIN")) return;
  Statement clear(m_db, "DELETE FROM levels WHERE path = ?");
  Statement level(m_db, "INSERT INTO levels VALUES (?, ?, ?, ?, ?, ?, ?)");
  bool ok = clear && level;
  if (ok) {
    clear.bindBlob(1, path);
    ok = sqlite3_step(clear.get()) == SQLITE_DONE;
  }
  for (std::size_t i = 0; ok && i < levels.size(); ++i) {
    sqlite3_reset(level.get());
    level.bindBlob(1, path);
    sqlite3_bind_int(level.get(), 2, static_cast<int>(i));
    sqlite3_bind_int64(level.get(), 3, stamp.Size);
    sqlite3_bind_int64(level.get(), 4, stamp.ModifiedNs);
    sqlite3_bind_double(level.get(), 5, levels[i].Loudness);
    sqlite3_bind_double(level.get(), 6, levels[i].LastSound);
    sqlite3_bind_double(level.get(), 7, levels[i].Seconds);
    ok = sqlite3_step(level.get()) == SQLITE_DONE;
  }
  exec(ok ? "COMMIT" : "ROLLBACK");
}

std::optional<double> TLibraryIndex::medianLoudness(const std::string& format) const {
  if (!m_db) return std::nullopt;
  // Silent songs say nothing of how loud the others are.
  Statement loudness(m_db, "SELECT levels.loudness FROM levels JOIN files ON files.path = levels.path "
                           "WHERE files.format = ? AND levels.loudness > -70 ORDER BY levels.loudness");
  if (!loudness) return std::nullopt;
  loudness.bindText(1, format);
  std::vector<double> all;
  while (sqlite3_step(loudness.get()) == SQLITE_ROW) all.push_back(sqlite3_column_double(loudness.get(), 0));
  if (all.empty()) return std::nullopt;
  return all.size() % 2 ? all[all.size() / 2] : (all[all.size() / 2 - 1] + all[all.size() / 2]) / 2;
}

#include "library/LibraryIndex.h"
#include "library/LibraryIndexer.h"
#include "library/SongLevels.h"
#include "library/Playlist.h"
#include "library/PlaylistRows.h"

#include "platform/msgbox.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using Paths = std::vector<std::string>;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TModuleFacts facts(const std::string& path, const std::string& title, std::vector<double> lengths) {
  TModuleFacts found;
  found.Path = path;
  found.Readable = true;
  found.Title = title;
  found.Format = "xm";
  for (double seconds : lengths) found.Subsongs.push_back({"", seconds});
  return found;
}

// Every edit of the playlist is stored at once and announced once; an edit that changes nothing
// is neither. The rows show a subsong a row, find by title, artist or folder whatever the case
// and accents, and give the orders that sort the playlist, subsongs staying with their file.
TEST(PlaylistModelTest, EditsAreStoredAtOnceAndRowsSortAndFind) {
  testApp();
  TempDir dir;
  const std::string folder = dir.path().string() + "/";
  TPlaylist playlist(folder);
  playlist.load();
  QSignalSpy changed(&playlist, &TPlaylist::changed);
  const std::string a = "/m/Demos/a.xm", b = "/m/Games/b.it", c = "/m/Demos/c.mod", d = "/m/Hits/d.s3m";
  auto stored = [&] { return TPlaylistFile::parse(readAll(folder + "playlist.dat")); };

  playlist.append({a, b});
  playlist.insert(1, {c, "bad\nname.mod", d});
  EXPECT_EQ(stored(), (Paths{a, c, d, b}));
  EXPECT_EQ(playlist.move({0, 2}, 4), 2u);
  EXPECT_EQ(stored(), (Paths{c, b, a, d}));
  playlist.move({3}, 0);
  EXPECT_EQ(stored(), (Paths{d, c, b, a}));
  playlist.move({1, 2}, 2); // dropped onto themselves: nothing moves
  playlist.reorder({0, 0, 1, 2});   // not a permutation
  playlist.remove({7});
  EXPECT_EQ(changed.count(), 4);
  playlist.remove({1, 3, 1});
  EXPECT_EQ(stored(), (Paths{d, b}));
  playlist.setEntries({a, b, c, d});
  EXPECT_EQ(changed.count(), 6);

  TPlaylistRows rows;
  rows.setEntries(playlist.entries());
  EXPECT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows.unknownPaths().size(), 4u);
  TModuleFacts twoSongs = facts(b, "Émile's Théme", {30, 45.5});
  twoSongs.Artist = "Zoë";
  EXPECT_TRUE(rows.addFacts({facts(a, "Zebra", {61}), twoSongs, facts(d, "alpha", {12})}));
  EXPECT_FALSE(rows.addFacts({facts("/elsewhere.mod", "Other", {1})}));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows.text(2, TPlaylistRows::Title), "Émile's Théme (2/2)");
  EXPECT_EQ(rows.text(3, TPlaylistRows::Title), "");
  EXPECT_EQ(rows.text(3, TPlaylistRows::File), "Demos/c.mod");
  EXPECT_EQ(rows.rowOf(1, 1), 2);
  EXPECT_EQ(rows.rowOf(3, 5), 4);
  EXPECT_DOUBLE_EQ(rows.totalSeconds(), 61 + 30 + 45.5 + 12);
  EXPECT_EQ(rows.rowsWithoutLength(), 1u);

  rows.setFilter("EMILE");
  EXPECT_EQ(rows.visible(), (std::vector<std::size_t>{1, 2}));
  rows.setFilter("zoe");
  EXPECT_EQ(rows.visible().size(), 2u);
  rows.setFilter("demos");
  EXPECT_EQ(rows.visible(), (std::vector<std::size_t>{0, 3}));
  rows.setFilter("demos/c");
  EXPECT_EQ(rows.visible(), (std::vector<std::size_t>{3}));
  rows.setFilter("");
  EXPECT_EQ(rows.visible().size(), 5u);

  // Titles by their folded text, a file still unknown last either way; lengths by the first
  // subsong's.
  EXPECT_EQ(rows.sortedOrder(TPlaylistRows::Title, false), (std::vector<std::size_t>{3, 1, 0, 2}));
  EXPECT_EQ(rows.sortedOrder(TPlaylistRows::Title, true), (std::vector<std::size_t>{0, 1, 3, 2}));
  EXPECT_EQ(rows.sortedOrder(TPlaylistRows::Length, true), (std::vector<std::size_t>{0, 1, 3, 2}));
  EXPECT_EQ(rows.sortedOrder(TPlaylistRows::File, false), (std::vector<std::size_t>{0, 2, 1, 3}));
  playlist.reorder(rows.sortedOrder(TPlaylistRows::Title, false));
  EXPECT_EQ(stored(), (Paths{d, b, a, c}));
}

// Waits, with a deadline, until `count` facts have arrived from `indexer`; returns them by path.
std::map<std::string, TModuleFacts> arrive(TLibraryIndexer& indexer, std::size_t count) {
  std::map<std::string, TModuleFacts> found;
  EXPECT_TRUE(QTest::qWaitFor([&] {
    for (TModuleFacts& facts : indexer.take()) found[facts.Path] = std::move(facts);
    return found.size() >= count;
  }, 30000));
  return found;
}

// The index reads what modules hold once and answers from the database while a file is
// unchanged (same size and time: the old facts come back although the bytes differ), reads a
// changed file again, and moves a damaged or foreign database aside and starts anew.
TEST(LibraryIndexTest, KnownFilesComeFromTheIndexChangedOnesAreReadAgain) {
  testApp();
  TempDir dir;
  const std::string database = dir.file("library.sqlite");
  testmod::Module song = testmod::simpleSong("Known Song", 6, 2, 16, {"Lead"});
  const std::string xm = dir.write("known.xm", testmod::writeXm(song));
  const std::string it = dir.write("other.it", testmod::moduleFor("other.it", "Other"));
  const std::string text = dir.write("text.xm", "no module here");
  {
    TLibraryIndexer indexer(database);
    indexer.request({xm, it, text, xm});
    std::map<std::string, TModuleFacts> found = arrive(indexer, 3);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[xm].Title, "Known Song");
    EXPECT_EQ(found[xm].Format, "xm");
    EXPECT_EQ(found[xm].Channels, 6);
    ASSERT_EQ(found[xm].Subsongs.size(), 1u);
    EXPECT_NEAR(found[xm].Subsongs[0].Seconds, 2 * 16 * testmod::rowSeconds(6, 125), 0.01);
    EXPECT_FALSE(found[text].Readable);
    EXPECT_FALSE(found[text].Error.empty());
    EXPECT_EQ(indexer.waiting(), 0u);
  }

  struct stat before{};
  ASSERT_EQ(stat(xm.c_str(), &before), 0);
  song.title = "Same Size Song";
  dir.write("known.xm", testmod::writeXm(song));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, xm.c_str(), times, 0), 0);
  dir.write("other.it", testmod::moduleFor("other.it", "Changed Song"));
  {
    TLibraryIndexer indexer(database);
    indexer.request({xm, it});
    std::map<std::string, TModuleFacts> found = arrive(indexer, 2);
    EXPECT_EQ(found[xm].Title, "Known Song");
    EXPECT_EQ(found[it].Title, "Changed Song");
  }

  // Bytes that are no database, then a database of another program: each is moved aside.
  for (int round = 0; round < 2; ++round) {
    std::filesystem::remove(database + ".damaged");
    if (round == 0) {
      dir.write("library.sqlite", std::string(4096, 'x'));
    } else {
      std::filesystem::remove(database);
      sqlite3* other = nullptr;
      ASSERT_EQ(sqlite3_open(database.c_str(), &other), SQLITE_OK);
      sqlite3_exec(other, "CREATE TABLE notes (text TEXT)", nullptr, nullptr, nullptr);
      sqlite3_close(other);
    }
    TLibraryIndexer indexer(database);
    indexer.request({xm});
    std::map<std::string, TModuleFacts> found = arrive(indexer, 1);
    EXPECT_EQ(found[xm].Title, "Same Size Song") << round;
    EXPECT_TRUE(std::filesystem::exists(database + ".damaged")) << round;
  }
}

// An index of the first layout keeps its facts and gains levels. The indexer measures the songs
// it is asked for once their facts are out (12 dB apart for squares at a quarter of the
// volume) and hands the facts of a song with a silent end over again, with the length it plays;
// the player gets the levels while the file stays as it was, and for a song not yet measured
// the median of its format, marked as a guess.
TEST(LibraryIndexTest, IndexerMeasuresLevelsThePlayerGets) {
  testApp();
  TempDir dir;
  const std::string database = dir.file("library.sqlite");
  {
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old,
                           "PRAGMA application_id=1448233793; PRAGMA user_version=1;"
                           "CREATE TABLE files (path BLOB PRIMARY KEY, size INTEGER NOT NULL, modified_ns INTEGER NOT NULL,"
                           " readable INTEGER NOT NULL, error TEXT NOT NULL, format TEXT NOT NULL, format_name TEXT NOT NULL,"
                           " title TEXT NOT NULL, artist TEXT NOT NULL, tracker TEXT NOT NULL, channels INTEGER NOT NULL) WITHOUT ROWID;"
                           "CREATE TABLE subsongs (path BLOB NOT NULL, number INTEGER NOT NULL, name TEXT NOT NULL,"
                           " seconds REAL NOT NULL, PRIMARY KEY (path, number)) WITHOUT ROWID;"
                           "INSERT INTO files VALUES (CAST('/old.xm' AS BLOB), 1, 2, 1, '', 'xm', 'FastTracker 2', 'Old', '', '', 4);"
                           "INSERT INTO subsongs VALUES (CAST('/old.xm' AS BLOB), 0, '', 61.5);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);
  }
  testmod::Module m = testmod::simpleSong("Loud", 4, 2, 32, {"Lead"});
  const std::string loud = dir.write("loud.xm", testmod::writeXm(m));
  m.samples[0].volume = 16;
  const std::string quiet = dir.write("quiet.xm", testmod::writeXm(m));
  const std::string later = dir.write("later.xm", testmod::writeXm(m));
  m.samples[0].loop = false;
  for (std::size_t p = 1; p < m.patterns.size(); ++p) m.patterns[p].notes.clear();
  const std::string silentEnd = dir.write("silent end.xm", testmod::writeXm(m));
  TLibraryIndex index(database);
  const std::optional<TModuleFacts> old = index.find("/old.xm");
  ASSERT_TRUE(old) << "the old index was not kept";
  EXPECT_EQ(old->Title, "Old");
  EXPECT_FALSE(std::filesystem::exists(database + ".damaged"));

  TLibraryIndexer indexer(database);
  indexer.request({loud, quiet, silentEnd});
  EXPECT_NEAR(arrive(indexer, 3)[silentEnd].Subsongs.at(0).Seconds, 2 * 32 * testmod::rowSeconds(6, 125), 0.01);
  const std::map<std::string, TModuleFacts> again = arrive(indexer, 1);
  ASSERT_EQ(again.count(silentEnd), 1u);
  const std::vector<TSongLevel> silentLevels = index.findLevels(silentEnd, StampOf(silentEnd));
  ASSERT_EQ(silentLevels.size(), 1u);
  EXPECT_NEAR(again.at(silentEnd).Subsongs.at(0).Seconds, silentLevels[0].LastSound + 1, 0.001);
  EXPECT_LT(again.at(silentEnd).Subsongs.at(0).Seconds, 3.0);
  std::vector<TSongLevel> loudLevels, quietLevels;
  EXPECT_TRUE(QTest::qWaitFor([&] {
    loudLevels = index.findLevels(loud, StampOf(loud));
    quietLevels = index.findLevels(quiet, StampOf(quiet));
    return !loudLevels.empty() && !quietLevels.empty();
  }, 30000));
  ASSERT_EQ(loudLevels.size(), 1u);
  ASSERT_EQ(quietLevels.size(), 1u);
  EXPECT_NEAR(loudLevels[0].Loudness - quietLevels[0].Loudness, 12.0, 0.5);
  EXPECT_NEAR(loudLevels[0].Seconds, 2 * 32 * testmod::rowSeconds(6, 125), 0.05);

  TSongLevels levels(database);
  EXPECT_EQ(levels.levelsOf(quiet, "xm"), quietLevels);
  const std::vector<TSongLevel> guess = levels.levelsOf(later, "xm");
  ASSERT_EQ(guess.size(), 1u);
  EXPECT_FALSE(guess[0].Measured);
  std::vector<double> all = {loudLevels[0].Loudness, quietLevels[0].Loudness, silentLevels[0].Loudness};
  std::sort(all.begin(), all.end());
  EXPECT_DOUBLE_EQ(guess[0].Loudness, all[1]);
  dir.write("quiet.xm", testmod::writeXm(testmod::simpleSong("Changed", 4, 3, 32, {"Lead"})));
  EXPECT_FALSE(levels.levelsOf(quiet, "xm").at(0).Measured) << "levels of the file as it was";
}

} // namespace

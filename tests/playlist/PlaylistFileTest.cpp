#include "playlist/PlaylistFile.h"

#include "platform/filesys.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

using Entries = std::vector<std::string>;

class PlaylistFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder = dir.path().string() + "/";
    std::filesystem::create_directories(dir.path() / "mods");
    tune = dir.write("mods/tune.mod", "x");
    other = dir.write("other.xm", "y");
  }
  void TearDown() override { SetCurrentDir(startDir); }

  std::string stored() const {
    std::ifstream in(folder + "playlist.dat", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  Entries load(const std::string& bytes, TPlaylistFile::TLoadResult expected =
                                             TPlaylistFile::TLoadResult::Loaded) {
    dir.write("playlist.dat", bytes);
    Entries entries;
    EXPECT_EQ(TPlaylistFile(folder).load(entries), expected);
    return entries;
  }

  const std::string startDir = GetCurrentDir();
  TempDir dir;
  std::string folder, tune, other;
};

// Lines end at CR, with an LF right after skipped; a lone LF stays in the entry; Ctrl-Z ends
// the data; the end of the file ends the last line.
TEST_F(PlaylistFileTest, ReadingRules) {
  EXPECT_EQ(TPlaylistFile::parse("a\r\nb\r\n"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\r\nb"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\rb\r"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\nb\n"), (Entries{"a\nb\n"}));
  EXPECT_EQ(TPlaylistFile::parse("a\r\n\x1A" "b\r\n"), (Entries{"a"}));
  EXPECT_EQ(TPlaylistFile::parse("a\r\n\r\n"), (Entries{"a", ""}));
  EXPECT_EQ(TPlaylistFile::parse(" a b \r\n"), (Entries{" a b "}));
  EXPECT_EQ(TPlaylistFile::parse(""), Entries{});
}

// Loading keeps only entries that name existing files, in order and with duplicates; lines
// with LF alone name no file, so such a file gives nothing.
TEST_F(PlaylistFileTest, LoadKeepsExistingFilesOnly) {
  EXPECT_EQ(load(tune + "\r\n" + other + "\r\n" + tune + "\r\n"), (Entries{tune, other, tune}));
  EXPECT_EQ(load(tune + "\r\n" + other), (Entries{tune, other}));
  EXPECT_EQ(load(tune + "\n" + other + "\n"), Entries{});
  EXPECT_EQ(load(tune + "\r\n\x1A" + other + "\r\n"), Entries{tune});
  EXPECT_EQ(load(folder + "mods\r\n" + folder + "gone.it\r\n" + other + "\r\n"), Entries{other});
  EXPECT_EQ(load("mods/tune.mod\r\n"), Entries{"mods/tune.mod"});
}

// Without a file nothing is read and the current directory stays; with one, even an empty
// one, the program's folder becomes the current directory.
TEST_F(PlaylistFileTest, CurrentDirectoryRule) {
  Entries entries{"kept"};
  EXPECT_EQ(TPlaylistFile(folder).load(entries), TPlaylistFile::TLoadResult::Missing);
  EXPECT_EQ(entries, Entries{"kept"});
  EXPECT_EQ(GetCurrentDir(), startDir);
  std::filesystem::create_directory(folder + "playlist.dat");
  EXPECT_EQ(TPlaylistFile(folder).load(entries), TPlaylistFile::TLoadResult::Missing);
  std::filesystem::remove(folder + "playlist.dat");

  EXPECT_EQ(load(""), Entries{});
  EXPECT_EQ(std::filesystem::canonical(GetCurrentDir()), std::filesystem::canonical(folder));
}

// A file that exists but cannot be opened reads nothing, and still makes the folder current.
TEST_F(PlaylistFileTest, UnreadableFileReadsNothing) {
  dir.write("playlist.dat", tune + "\r\n");
  chmod((folder + "playlist.dat").c_str(), 0);
  chmod(folder.c_str(), 0755);
  int result = inChildProcess([&] {
    if (!dropRoot()) return 9;
    Entries entries;
    if (TPlaylistFile(folder).load(entries) != TPlaylistFile::TLoadResult::Unreadable) return 1;
    if (!entries.empty()) return 2;
    return std::filesystem::canonical(GetCurrentDir()) == std::filesystem::canonical(folder) ? 0 : 3;
  });
  EXPECT_EQ(result, 0);
}

// Saving writes every entry followed by CR LF; an empty playlist leaves a 0-byte file.
TEST_F(PlaylistFileTest, SaveWritesCrLfLines) {
  TPlaylistFile file(folder);
  ASSERT_TRUE(file.save({tune, "relative/x.it", tune}));
  EXPECT_EQ(stored(), tune + "\r\n" + "relative/x.it\r\n" + tune + "\r\n");
  ASSERT_TRUE(file.save({}));
  EXPECT_TRUE(std::filesystem::exists(folder + "playlist.dat"));
  EXPECT_EQ(stored(), "");
}

// A save that cannot write the file reports it and leaves the old file as it was.
TEST_F(PlaylistFileTest, FailedSaveKeepsTheOldFile) {
  TPlaylistFile file(folder);
  ASSERT_TRUE(file.save({tune}));
  chmod(folder.c_str(), 0555);
  int result = inChildProcess([&] {
    if (!dropRoot()) return 9;
    return file.save({other}) ? 1 : 0;
  });
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(stored(), tune + "\r\n");
  EXPECT_FALSE(TPlaylistFile(folder + "missing/").save({tune}));
}

} // namespace

#include "library/PlaylistFile.h"

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

// Lines end at CR, at LF or at CR LF, so files from any editor read alike; Ctrl-Z ends the
// data, the end of the file ends the last line, and empty lines are no entries.
TEST_F(PlaylistFileTest, ReadingRules) {
  EXPECT_EQ(TPlaylistFile::parse("a\r\nb\r\n"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\r\nb"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\rb\r"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\nb\n"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse("a\nb\r\nc\rd"), (Entries{"a", "b", "c", "d"}));
  EXPECT_EQ(TPlaylistFile::parse("a\r\n\x1A" "b\r\n"), (Entries{"a"}));
  EXPECT_EQ(TPlaylistFile::parse("a\r\n\r\n\n\rb"), (Entries{"a", "b"}));
  EXPECT_EQ(TPlaylistFile::parse(" a b \r\n"), (Entries{" a b "}));
  EXPECT_EQ(TPlaylistFile::parse(""), Entries{});
}

// Loading keeps every entry in order with duplicates, also those whose file is missing right
// now, and a file with LF line ends is written back the same in CR LF lines.
TEST_F(PlaylistFileTest, LoadKeepsEveryEntry) {
  EXPECT_EQ(load(tune + "\r\n" + other + "\r\n" + tune + "\r\n"), (Entries{tune, other, tune}));
  EXPECT_EQ(load(tune + "\r\n\x1A" + other + "\r\n"), Entries{tune});
  EXPECT_EQ(load("mods/tune.mod\r\n"), Entries{"mods/tune.mod"});
  const Entries mixed{tune, folder + "gone.it", other};
  EXPECT_EQ(load(tune + "\n" + folder + "gone.it\n" + other), mixed);
  TPlaylistFile file(folder);
  Entries entries;
  ASSERT_EQ(file.load(entries), TPlaylistFile::TLoadResult::Loaded);
  ASSERT_TRUE(file.save(entries));
  EXPECT_EQ(stored(), tune + "\r\n" + folder + "gone.it\r\n" + other + "\r\n");
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

// A file that is there but cannot be read whole (no permission, a read error, a size no
// playlist has) keeps what was read before the failure and is never replaced, until a
// later load reads it.
TEST_F(PlaylistFileTest, UnreadableFileIsLeftAsItIs) {
  auto unreadable = [&](const std::string& error, const Entries& before = {}) {
    TPlaylistFile file(folder);
    Entries entries;
    EXPECT_EQ(file.load(entries), TPlaylistFile::TLoadResult::Unreadable) << error;
    EXPECT_EQ(file.readError(), error);
    EXPECT_EQ(entries, before) << error;
    EXPECT_FALSE(file.save({tune})) << error;
    return file;
  };
  dir.write("playlist.dat", tune + "\r\n");
  chmod((folder + "playlist.dat").c_str(), 0);
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(inChildProcess([&] {
              if (!dropRoot()) return 9;
              unreadable("Permission denied");
              return std::filesystem::canonical(GetCurrentDir()) == std::filesystem::canonical(folder) ? 0 : 3;
            }),
            0);
  chmod((folder + "playlist.dat").c_str(), 0644);
  EXPECT_EQ(stored(), tune + "\r\n");

  // /proc/self/mem is a regular file whose first page gives a read error.
  std::filesystem::remove(folder + "playlist.dat");
  std::filesystem::create_symlink("/proc/self/mem", folder + "playlist.dat");
  unreadable("Input/output error");
  EXPECT_TRUE(std::filesystem::is_symlink(folder + "playlist.dat"));

  std::filesystem::remove(folder + "playlist.dat");
  dir.write("playlist.dat", tune + "\r\n");
  std::filesystem::resize_file(folder + "playlist.dat", TPlaylistFile::MaxBytes + 1);
  TPlaylistFile file = unreadable("it is larger than 64 MiB", {tune});
  std::filesystem::resize_file(folder + "playlist.dat", tune.size() + 2);
  Entries entries;
  EXPECT_EQ(file.load(entries), TPlaylistFile::TLoadResult::Loaded);
  EXPECT_EQ(entries, Entries{tune});
  EXPECT_TRUE(file.save({other}));
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

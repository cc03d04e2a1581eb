#include "platform/profile.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string get(const std::string& file, const std::string& section, const std::string& key) {
  return GetPrivateProfileString(section, key, "none", 1024, file);
}

// Sets an environment variable for the life of the object and restores it afterwards.
class TEnvVar {
public:
  TEnvVar(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~TEnvVar() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }

private:
  const char* m_name;
  std::optional<std::string> m_old;
};

bool limitFileSize() {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{16, 16};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Runs the write in a child process restricted by `restrict`. Exit status 0: the write was
// refused, 1: it succeeded, 2: the restriction could not be set up.
int writeRestricted(bool (*restrict)(), const std::string& file, const std::string& value) {
  return inChildProcess([&] {
    if (!restrict()) return 2;
    return WritePrivateProfileString("S", "k", value, file) ? 1 : 0;
  });
}

std::size_t entryCount(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

} // namespace

// Section and key names match whatever their ASCII case; other sections do not.
TEST(ProfileTest, SectionAndKeyMatchIgnoringCase) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[Player]\nVolume=7\n[Game]\nLevel=2\n");
  EXPECT_EQ(get(ini, "PLAYER", "volume"), "7");
  EXPECT_EQ(get(ini, "Player", "Level"), "none");
}

// Blanks around names and values are ignored and a pair of matching quotes is removed.
TEST(ProfileTest, BlanksAndMatchingQuotesAreStripped) {
  TempDir dir;
  std::string ini =
      dir.write("a.ini", "  [ Player ]  \n\t Name  =  Mod Player \t\nA=\" x \"\nB='y'\nC=\"z'\n");
  EXPECT_EQ(get(ini, "Player", "Name"), "Mod Player");
  EXPECT_EQ(get(ini, "Player", "A"), " x ");
  EXPECT_EQ(get(ini, "Player", "B"), "y");
  EXPECT_EQ(get(ini, "Player", "C"), "\"z'");
}

// The first matching section and the first matching key in it win.
TEST(ProfileTest, FirstSectionAndKeyWin) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[S]\nK=1\nK=2\n[s]\nK=3\n");
  EXPECT_EQ(get(ini, "S", "K"), "1");
}

// A missing file, section or key gives the default.
TEST(ProfileTest, MissingEntriesGiveTheDefault) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[S]\nK=1\n");
  EXPECT_EQ(get(dir.file("missing.ini"), "S", "K"), "none");
  EXPECT_EQ(get(ini, "T", "K"), "none");
  EXPECT_EQ(get(ini, "S", "L"), "none");
}

// The result fits a buffer of `size` characters: at most size - 1 bytes, whole characters.
TEST(ProfileTest, ResultIsCutToTheBufferSize) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[S]\nLong=" + std::string(1100, 'a') + "\nU=\xC3\xA9\xC3\xA9\n");
  EXPECT_EQ(GetPrivateProfileString("S", "Long", "", 1024, ini), std::string(1023, 'a'));
  EXPECT_EQ(GetPrivateProfileString("S", "U", "", 4, ini), "\xC3\xA9");
  EXPECT_EQ(GetPrivateProfileString("S", "X", "default", 4, ini), "def");
  EXPECT_EQ(GetPrivateProfileString("S", "Long", "", 0, ini), "");
}

// Changing a key rewrites only its line; the rest stays byte for byte, CRLF included.
TEST(ProfileTest, WriteKeepsOtherLinesAndCrlf) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "; tunes\r\n[Player]\r\nVolume = 3\r\nName=x\r\n\r\n[Game]\r\nK=1");
  ASSERT_TRUE(WritePrivateProfileString("player", "VOLUME", "5", ini));
  EXPECT_EQ(readAll(ini), "; tunes\r\n[Player]\r\nVolume =5\r\nName=x\r\n\r\n[Game]\r\nK=1");
  ASSERT_TRUE(WritePrivateProfileString("Player", "Mode", "loop", ini));
  EXPECT_EQ(readAll(ini), "; tunes\r\n[Player]\r\nVolume =5\r\nName=x\r\nMode=loop\r\n\r\n[Game]\r\nK=1");
}

// A new key goes after the last key of its section, before the blank lines that end it.
TEST(ProfileTest, NewKeyIsInsertedIntoItsSection) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[A]\nx=1\n\n\n[B]\ny=2\n");
  ASSERT_TRUE(WritePrivateProfileString("A", "z", "3", ini));
  EXPECT_EQ(readAll(ini), "[A]\nx=1\nz=3\n\n\n[B]\ny=2\n");
}

// A new section is appended at the end, after a blank line; a new file uses LF.
TEST(ProfileTest, NewSectionIsAppendedAndNewFileCreated) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[A]\nx=1");
  ASSERT_TRUE(WritePrivateProfileString("B", "k", "v", ini));
  EXPECT_EQ(readAll(ini), "[A]\nx=1\n\n[B]\nk=v\n");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", dir.file("new.ini")));
  EXPECT_EQ(readAll(dir.file("new.ini")), "[S]\nk=v\n");
}

// Line breaks in a value become blanks, so a value cannot add a key or a section.
TEST(ProfileTest, NewlineInValueCannotCreateAKey) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "a\r\n[T]\nevil=1", ini));
  EXPECT_EQ(get(ini, "T", "evil"), "none");
  EXPECT_EQ(get(ini, "S", "k"), "a  [T] evil=1");
}

// Values with outer blanks or quotes read back exactly as they were written.
TEST(ProfileTest, WrittenValuesReadBackUnchanged) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  for (std::string value : {" padded ", "\"quoted\"", "'x'", "plain"}) {
    ASSERT_TRUE(WritePrivateProfileString("S", "k", value, ini));
    EXPECT_EQ(get(ini, "S", "k"), value);
  }
}

// A bare name lives in $XDG_CONFIG_HOME/vorka/, and the first write creates that folder (and
// the missing one above it) open to the user alone.
TEST(ProfileTest, BareNameLivesInXdgConfigFolder) {
  TempDir dir;
  TEnvVar xdg("XDG_CONFIG_HOME", dir.file("config").c_str());
  EXPECT_EQ(ProfilePath("vorka.ini"), dir.file("config") + "/vorka/vorka.ini");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", "vorka.ini"));
  EXPECT_EQ(readAll(dir.file("config/vorka/vorka.ini")), "[S]\nk=v\n");
  EXPECT_EQ(get("vorka.ini", "S", "k"), "v");
  for (const char* folder : {"config", "config/vorka"})
    EXPECT_EQ(std::filesystem::status(dir.file(folder)).permissions(), std::filesystem::perms::owner_all);
}

// A batch collects its writes, which reads see at once, and replaces the file at Commit; one
// that is never committed leaves the file as it was, and one that cannot be written says so.
TEST(ProfileTest, BatchWritesAllOrNothing) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[S]\nk=old\n");
  {
    TProfileBatch dropped(ini);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "new", ini));
    ASSERT_TRUE(WritePrivateProfileString("T", "j", "1", ini));
    EXPECT_EQ(get(ini, "S", "k"), "new");
    EXPECT_EQ(readAll(ini), "[S]\nk=old\n");
  }
  EXPECT_EQ(get(ini, "S", "k"), "old");
  TProfileBatch batch(ini);
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "new", ini));
  ASSERT_TRUE(WritePrivateProfileString("T", "j", "1", ini));
  EXPECT_TRUE(batch.Commit());
  EXPECT_EQ(readAll(ini), "[S]\nk=new\n\n[T]\nj=1\n");
  chmod(ini.c_str(), 0444);
  TProfileBatch refused(ini);
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "lost", ini));
  EXPECT_FALSE(refused.Commit());
  EXPECT_EQ(get(ini, "S", "k"), "new");
}

// Without $XDG_CONFIG_HOME a bare name lives in $HOME/.config/vorka/; paths stay as given.
TEST(ProfileTest, BareNameFallsBackToHomeConfig) {
  TEnvVar xdg("XDG_CONFIG_HOME", nullptr);
  TEnvVar home("HOME", "/home/player");
  EXPECT_EQ(ProfilePath("vorka.ini"), "/home/player/.config/vorka/vorka.ini");
  EXPECT_EQ(ProfilePath("./vorka.ini"), "./vorka.ini");
}

// A write into a folder the user may not write returns false and leaves the old file alone.
TEST(ProfileTest, RefusedWriteKeepsTheOldFile) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("ro"));
  std::string ini = dir.write("ro/a.ini", "[S]\nk=old\n");
  chmod(dir.path().c_str(), 0755);
  chmod(dir.file("ro").c_str(), 0555);
  EXPECT_EQ(writeRestricted(dropRoot, ini, "new"), 0);
  EXPECT_EQ(readAll(ini), "[S]\nk=old\n");
  EXPECT_EQ(entryCount(dir.file("ro")), 1u);
}

// A write cut short (the file size limit is hit) returns false; the old file stays whole.
TEST(ProfileTest, InterruptedWriteKeepsTheOldFile) {
  TempDir dir;
  std::string ini = dir.write("a.ini", "[S]\nk=old\n");
  EXPECT_EQ(writeRestricted(limitFileSize, ini, std::string(200, 'x')), 0);
  EXPECT_EQ(readAll(ini), "[S]\nk=old\n");
  EXPECT_EQ(entryCount(dir.path().string()), 1u);
}

// A path that is a folder, or a configuration folder that cannot be made, is refused.
TEST(ProfileTest, UnwritablePathsAreRefused) {
  TempDir dir;
  std::string blocker = dir.write("config", "");
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.path().string()));
  TEnvVar xdg("XDG_CONFIG_HOME", blocker.c_str());
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "vorka.ini"));
}

// Writers on several threads are serialised, so no update of a shared file is lost.
TEST(ProfileTest, ConcurrentWritesLoseNothing) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  auto writeKeys = [&](const std::string& prefix) {
    for (int i = 0; i < 20; ++i) WritePrivateProfileString("S", prefix + std::to_string(i), "v", ini);
  };
  std::thread first(writeKeys, "a"), second(writeKeys, "b");
  first.join();
  second.join();
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(get(ini, "S", "a" + std::to_string(i)), "v");
    EXPECT_EQ(get(ini, "S", "b" + std::to_string(i)), "v");
  }
}

// A file whose last line ends in a bare CR (found by fuzzing) reads the same before and after
// another key is written: the CR belongs to the line break, not to the value.
TEST(ProfileTest, BareCarriageReturnAtTheEnd) {
  TempDir dir;
  std::string ini = dir.write("cr.ini", "[a]\r\nk=v\r\n[b]\r\nlast=x y\r");
  EXPECT_EQ(get(ini, "b", "last"), "x y");
  ASSERT_TRUE(WritePrivateProfileString("c", "new", "1", ini));
  EXPECT_EQ(get(ini, "b", "last"), "x y");
  ASSERT_TRUE(WritePrivateProfileString("b", "other", "2", ini));
  EXPECT_EQ(get(ini, "b", "last"), "x y");
  EXPECT_EQ(get(ini, "b", "other"), "2");
  EXPECT_EQ(get(ini, "c", "new"), "1");
}

// A byte-order mark at the start is skipped when reading and kept when writing, so the first
// section is found and not added a second time; a write-protected file or a pipe is never
// replaced, and a pipe reads as missing without blocking.
TEST(ProfileTest, ByteOrderMarkAndProtectedFiles) {
  TempDir dir;
  std::string ini = dir.write("bom.ini", "\xEF\xBB\xBF[tetrisoptions]\r\nPLAYERNAME=J\xF6rg\r\n");
  EXPECT_EQ(get(ini, "tetrisoptions", "PLAYERNAME"), "J\xF6rg");
  ASSERT_TRUE(WritePrivateProfileString("tetrisoptions", "FULLSCREEN", "0", ini));
  ASSERT_TRUE(WritePrivateProfileString("tetrisoptions", "PLAYERNAME", "J\xF6rg", ini));
  EXPECT_EQ(readAll(ini), "\xEF\xBB\xBF[tetrisoptions]\r\nPLAYERNAME=J\xF6rg\r\nFULLSCREEN=0\r\n");

  chmod(ini.c_str(), 0444);
  EXPECT_FALSE(WritePrivateProfileString("tetrisoptions", "FULLSCREEN", "1", ini));
  EXPECT_EQ(get(ini, "tetrisoptions", "FULLSCREEN"), "0");
  std::string pipe = dir.file("pipe.ini");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  EXPECT_EQ(get(pipe, "S", "k"), "none");
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", pipe));
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

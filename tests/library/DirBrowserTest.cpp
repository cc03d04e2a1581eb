#include "library/DirBrowser.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

std::vector<std::string> names(const TDirBrowser& b) {
  std::vector<std::string> n;
  for (const TDirEntry& e : b.Entries()) n.push_back(e.Name);
  return n;
}

// The parent of a folder path drops its last component and keeps the separator.
TEST(DirBrowserTest, ParentDir) {
  EXPECT_EQ(TDirBrowser::ParentDir("/mods/tunes/"), "/mods/");
  EXPECT_EQ(TDirBrowser::ParentDir("/mods/tunes"), "/mods/");
  EXPECT_EQ(TDirBrowser::ParentDir("/mods/"), "/");
  EXPECT_EQ(TDirBrowser::ParentDir("/"), "/");
  EXPECT_EQ(TDirBrowser::ParentDir("c:\\mods\\tunes\\"), "c:\\mods\\");
  EXPECT_EQ(TDirBrowser::ParentDir("c:\\"), "c:");
  EXPECT_EQ(TDirBrowser::ParentDir("mods"), "mods");
}

// Folders come first (".." among them), then modules; names of one kind in byte order, upper
// case before lower case, read-only folders and modules among the others; other files and
// hidden files as listed.
TEST(DirBrowserTest, ListingOrderAndRules) {
  TempDir dir;
  for (const char* f : {"Zeta.mod", "alpha.xm", "Beta.it", "song.S3M", "notes.txt", ".hidden.mod"})
    dir.write(f, "12345");
  chmod(dir.file("Zeta.mod").c_str(), 0444);
  for (const char* d : {"b-folder", "A-folder", ".secret", "tunes.mod", "c-ro", "d-folder", "e-ro", "f-folder"})
    std::filesystem::create_directory(dir.path() / d);
  for (const char* d : {"c-ro", "e-ro", "A-folder"}) chmod((dir.path() / d).c_str(), 0555);
  TDirBrowser b;
  b.CurDir = dir.path().string() + "/";
  b.ChangeDir("");
  EXPECT_EQ(names(b), (std::vector<std::string>{"..", "A-folder", "b-folder", "c-ro", "d-folder", "e-ro", "f-folder",
                                                "tunes.mod", "Beta.it", "Zeta.mod", "alpha.xm", "song.S3M"}));
  for (const TDirEntry& e : b.Entries()) {
    bool folder = e.Name == ".." || e.Name.find("folder") != std::string::npos || e.Name.find("-ro") != std::string::npos ||
                  e.Name == "tunes.mod";
    EXPECT_EQ(TDirBrowser::IsFolder(e), folder) << e.Name;
    if (!folder) {
      EXPECT_EQ(e.Size, 5) << e.Name;
    }
  }
}

// A read-only module is listed; the folder rule counts 0x10, 0x11 and 0x30 as folders only.
TEST(DirBrowserTest, AttributeRule) {
  TempDir dir;
  dir.write("locked.mod", "x");
  chmod(dir.file("locked.mod").c_str(), 0444);
  TDirBrowser b;
  b.ScanDir(dir.path().string() + "/", "*.mod", 0x20);
  ASSERT_EQ(names(b), std::vector<std::string>{"locked.mod"});
  EXPECT_EQ(b.Entries()[0].Attr, 0x21);
  for (int32_t attr : {0x10, 0x11, 0x30}) EXPECT_TRUE(TDirBrowser::IsFolder({"x", 0, attr}));
  for (int32_t attr : {0x12, 0x20, 0x21, 0x31}) EXPECT_FALSE(TDirBrowser::IsFolder({"x", 0, attr}));
}

// "../" goes to the parent folder; the root lists no "..".
TEST(DirBrowserTest, ChangeDirUpAndRoot) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "mods" / "tunes");
  TDirBrowser b;
  b.CurDir = dir.path().string() + "/mods/";
  b.ChangeDir("tunes/");
  EXPECT_EQ(b.CurDir, dir.path().string() + "/mods/tunes/");
  EXPECT_EQ(names(b), std::vector<std::string>{".."});
  b.ChangeDir("../");
  EXPECT_EQ(b.CurDir, dir.path().string() + "/mods/");
  EXPECT_EQ(names(b), (std::vector<std::string>{"..", "tunes"}));
  b.CurDir.clear();
  b.ChangeDir("/");
  ASSERT_FALSE(b.Entries().empty());
  EXPECT_NE(b.Entries().front().Name, "..");
  b.CurDir = dir.file("nowhere/");
  b.ChangeDir("");
  EXPECT_TRUE(b.Entries().empty());
}

} // namespace

#include "library/PlaylistFormats.h"

#include "platform/filesys.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

void PrintTo(const TPlaylistItem& item, std::ostream* out) {
  *out << "{" << item.Path << ", " << item.Seconds << ", \"" << item.Title << "\"}";
}

namespace {

using Items = std::vector<TPlaylistItem>;

// Entries in archives ("pack.zip#tune.xm") count as files when the archive is one.
bool isFile(const std::string& path) { return FileExists(path.substr(0, path.find('#'))); }

// Saved as each format and read back, the entries keep their paths, titles and whole seconds;
// those beside or under the list's folder are written relative to it.
TEST(PlaylistFormatsTest, RoundTripsKeepPathsTitlesAndLengths) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  std::filesystem::create_directories(dir.path() / "lists/songs");
  std::filesystem::create_directories(dir.path() / "far");
  const Items items{
      {dir.write("lists/songs/a.mod", "x"), 61.4, "Artist, The - Tune, with commas"},
      {dir.write("lists/beside.xm", "x"), -1, "Grüße – 日本の曲"},
      {dir.write("far/elsewhere.s3m", "x"), 200, ""},
      {dir.write("far/pack.zip", "x") + "#tune.xm", 7.6, ""},
  };
  Items expected = items;
  expected[0].Seconds = 61;
  expected[3].Seconds = 8;

  for (const std::string name : {"list.m3u", "list.M3U8", "list.pls"}) {
    SCOPED_TRACE(name);
    const std::string list = root + "lists/" + name;
    ASSERT_TRUE(SavePlaylistFile(list, items));
    const TPlaylistRead read = ReadPlaylistFile(list, isFile);
    EXPECT_EQ(read.Error, "");
    EXPECT_EQ(read.Skipped, 0u);
    EXPECT_EQ(read.Items, expected);
  }

  const std::string m3u = WritePlaylist(TPlaylistFormat::M3U8, items, root + "lists/");
  EXPECT_TRUE(m3u.starts_with("#EXTM3U\n#EXTINF:61,Artist, The - Tune, with commas\nsongs/a.mod\n"
                              "#EXTINF:-1,Grüße – 日本の曲\nbeside.xm\n"
                              "#EXTINF:200,elsewhere.s3m\n" + root + "far/elsewhere.s3m\n"))
      << m3u;
  const std::string pls = WritePlaylist(TPlaylistFormat::PLS, items, root + "lists/");
  EXPECT_TRUE(pls.starts_with("[playlist]\nFile1=songs/a.mod\nTitle1=Artist, The - Tune, with "
                              "commas\nLength1=61\nFile2=beside.xm\n"))
      << pls;
  EXPECT_TRUE(pls.ends_with("\nFile4=" + root + "far/pack.zip#tune.xm\nLength4=8\n"
                            "NumberOfEntries=4\nVersion=2\n"))
      << pls;
  EXPECT_EQ(SavePlaylistFile(root + "list.txt", items).Error,
            "Playlists are saved as .m3u, .m3u8 or .pls files.");
}

// Lists as other players write them: addresses, CR LF line ends, Latin-1 text, a byte order
// mark, PLS entries out of order with keys in any case; streams and missing files are skipped.
TEST(PlaylistFormatsTest, ReadsListsOtherPlayersWrite) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  std::filesystem::create_directories(dir.path() / "My Music");
  const std::string spaced = dir.write("My Music/a b.mod", "x");
  const std::string accented = dir.write("My Music/ünï.xm", "x");
  const std::string cafe = dir.write("café.mod", "x");

  const TPlaylistRead m3u = ReadPlaylistFile(
      dir.write("winamp.m3u", "#EXTM3U\r\n"
                              "#EXTINF:123,Some Artist - A B\r\n"
                              "file://" + root + "My%20Music/a%20b.mod\r\n"
                              "\r\n"
                              "http://radio.example.org:8000/live\r\n"
                              "#EXTINF:-1,Gone\r\n"
                              "../gone.mod\r\n"
                              "# a comment\r\n"
                              "file://localhost" + root + "My%20Music/%C3%BCn%C3%AF.xm\r\n"),
      FileExists);
  EXPECT_EQ(m3u.Error, "");
  EXPECT_EQ(m3u.Skipped, 2u);
  EXPECT_EQ(m3u.Items, (Items{{spaced, 123, "Some Artist - A B"}, {accented, -1, ""}}));

  const TPlaylistRead latin1 = ReadPlaylistFile(
      dir.write("old.m3u", "#EXTINF:42,Caf\xE9 del Mar\ncaf\xE9.mod\n./My Music/../caf\xE9.mod\n"),
      FileExists);
  EXPECT_EQ(latin1.Items, (Items{{cafe, 42, "Café del Mar"}, {cafe, -1, ""}}));

  const TPlaylistRead pls = ReadPlaylistFile(dir.write("radio.PLS", "\xEF\xBB\xBF[Playlist]\r\n"
                                                                    "numberofentries=2\r\n"
                                                                    "FILE2=My Music/a b.mod\r\n"
                                                                    "title2=Second\r\n"
                                                                    "file1=" + cafe + "\r\n"
                                                                    "LENGTH2=99\r\n"
                                                                    "Length1=-1\r\n"
                                                                    "version=2\r\n"),
                                             FileExists);
  EXPECT_EQ(pls.Error, "");
  EXPECT_EQ(pls.Items, (Items{{cafe, -1, ""}, {spaced, 99, "Second"}}));

  const TPlaylistRead notList =
      ReadPlaylistFile(dir.write("notes.pls", "File1=a.mod\n"), FileExists);
  EXPECT_EQ(notList.Error, "notes.pls is not a playlist file: it has no [playlist] section.");
  EXPECT_TRUE(notList.Items.empty());
}

} // namespace

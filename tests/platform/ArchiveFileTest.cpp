#include "platform/ArchiveFile.h"

#include "music/MidasSong.h"
#include "music/ModuleFormats.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <utility>

namespace {

using TFiles = std::vector<std::pair<std::string, std::string>>; // name ("x/" for a folder), bytes

// Writes `files` as an archive in the format `setFormat` sets, gzip-compressed when asked.
void writeArchive(const std::string& path, int (*setFormat)(archive*), const TFiles& files, bool gzip = false) {
  archive* out = archive_write_new();
  setFormat(out);
  if (gzip) archive_write_add_filter_gzip(out);
  archive_write_open_filename(out, path.c_str());
  for (const auto& [name, bytes] : files) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_filetype(entry, name.ends_with('/') ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    archive_write_header(out, entry);
    archive_write_data(out, bytes.data(), bytes.size());
    archive_entry_free(entry);
  }
  EXPECT_EQ(archive_write_close(out), ARCHIVE_OK) << archive_error_string(out);
  archive_write_free(out);
}

// An LHA archive of one file stored ("-lh0-") behind a level-0 header: the header's length and
// byte sum, then its fields with the file's CRC-16 (polynomial 0xA001, reflected) last; a 0 ends it.
std::string lhaStored(const std::string& name, const std::string& bytes) {
  std::uint16_t crc = 0;
  for (unsigned char byte : bytes)
    for (int bit = 0; bit < 8; ++bit, byte >>= 1) crc = ((crc ^ byte) & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  std::string header = "-lh0-";
  for (std::uint32_t field : {std::uint32_t(bytes.size()), std::uint32_t(bytes.size()), 0x5A210000u /* 2025-01-01 */})
    for (int shift = 0; shift < 32; shift += 8) header += static_cast<char>(field >> shift);
  header += std::string("\x20\0", 2) + static_cast<char>(name.size()) + name + char(crc) + char(crc >> 8);
  char sum = 0;
  for (char byte : header) sum = static_cast<char>(sum + byte);
  return static_cast<char>(header.size()) + (sum + header) + bytes + '\0';
}

// Modules packed in zip, 7z, gzip, mdz and lha archives are listed and read back byte for byte
// through "ARCHIVE#ENTRY" paths; other paths with "#" stay plain; missing entries and damaged
// archives are told apart.
TEST(ArchiveFileTest, ModulesInsideArchivesAreListedAndRead) {
  TempDir dir;
  const std::string xm = testmod::writeXm(testmod::simpleSong("zipped", 4, 1, 16, {"lead"}));
  const std::string it = testmod::writeIt(testmod::simpleSong("sevens", 4, 1, 16, {"bass"}));
  const std::string mod = testmod::writeMod(testmod::simpleSong("packed", 4, 1, 16, {"drum"}));
  const std::string s3m = testmod::writeS3m(testmod::simpleSong("old", 4, 1, 16, {"pad"}));
  const TFiles zipFiles = {{"songs/tune.xm", xm}, {"readme.txt", "not a module\n"}};
  writeArchive(dir.file("Pack.ZIP"), archive_write_set_format_zip, {{"songs/", ""}, zipFiles[0], zipFiles[1]});
  writeArchive(dir.file("pack.7z"), archive_write_set_format_7zip, {{"tune.it", it}});
  writeArchive(dir.file("tune.mod.gz"), archive_write_set_format_raw, {{"data", mod}}, true);
  writeArchive(dir.file("tune.mdz"), archive_write_set_format_zip, {{"tune.mod", mod}});
  dir.write("old.lzh", lhaStored("tune.s3m", s3m));

  const std::vector<std::pair<std::string, TFiles>> archives = {
      {"Pack.ZIP", zipFiles}, {"pack.7z", {{"tune.it", it}}}, {"tune.mod.gz", {{"tune.mod", mod}}},
      {"tune.mdz", {{"tune.mod", mod}}}, {"old.lzh", {{"tune.s3m", s3m}}}};
  for (const auto& [name, files] : archives) {
    const TArchiveListing listing = ListArchive(dir.file(name));
    EXPECT_EQ(listing.Error, "") << name;
    ASSERT_EQ(listing.Entries.size(), files.size()) << name;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const auto& [entry, bytes] = files[i];
      EXPECT_TRUE(listing.Entries[i].Name == entry && listing.Entries[i].Size == bytes.size()) << name << i;
      const std::string path = ArchiveEntryPath(dir.file(name), entry);
      const TFileRead read = ReadFileOrEntry(path, 1 << 20);
      EXPECT_TRUE(read.Status == TReadStatus::Read && read.Bytes == bytes && !read.Truncated) << path << read.Error;
      EXPECT_TRUE(FileOrEntryExists(path)) << path;
      EXPECT_EQ(TModuleFormats::HoldsModule(path), entry != "readme.txt") << path;
    }
  }
  const std::string xmPath = dir.file("Pack.ZIP") + "#songs/tune.xm";
  const TFileRead head = ReadFileOrEntry(xmPath, 100);
  EXPECT_TRUE(head.Bytes == xm.substr(0, 100) && head.Truncated);
  EXPECT_NO_THROW(TMidasSong::fromFile(xmPath));

  // Paths split at the "#" after an archive name, unless a file or folder's own name holds it.
  const std::optional<TArchivePath> split = SplitArchivePath("/music/pack.zip#songs/tune.xm");
  EXPECT_TRUE(split && split->Archive == "/music/pack.zip" && split->Entry == "songs/tune.xm");
  std::filesystem::create_directories(dir.file("x.zip#y"));
  std::filesystem::create_directories(dir.file("folder.ITZ"));
  const std::string plain = dir.write("#1 tune.mod", mod);
  for (const std::string& path : {plain, dir.file("x.zip#y"), dir.file("x.zip#y/a.mod"), dir.file("folder.ITZ#a.mod"),
                                  dir.file("a.zip#"), dir.file("a.tgz#a.mod")})
    EXPECT_FALSE(SplitArchivePath(path)) << path;
  EXPECT_EQ(ReadFileOrEntry(plain, 1 << 20).Bytes, mod);

  // Entries and archives that are not there, and damaged archives.
  for (const char* path : {"Pack.ZIP#songs/none.xm", "Pack.ZIP#songs/", "gone.zip#tune.mod"}) {
    EXPECT_EQ(ReadFileOrEntry(dir.file(path), 1 << 20).Status, TReadStatus::Missing) << path;
    EXPECT_FALSE(FileOrEntryExists(dir.file(path))) << path;
  }
  EXPECT_EQ(ListArchive(dir.file("gone.zip")).Error, "gone.zip does not exist.");
  std::string noise(4096, '\0');
  std::generate(noise.begin(), noise.end(), std::mt19937(7));
  dir.write("noise.zip", noise);
  dir.write("cut.zip", ReadRegularFile(dir.file("Pack.ZIP"), 1 << 20).Bytes.substr(0, 300));
  for (const std::string name : {"noise.zip", "cut.zip"}) {
    const TArchiveListing listing = ListArchive(dir.file(name));
    EXPECT_TRUE(listing.Entries.empty() && listing.Error.starts_with(name + " is damaged or is not an archive: ") &&
                listing.Error.ends_with("."))
        << listing.Error;
    const TFileRead read = ReadFileOrEntry(dir.file(name) + "#songs/tune.xm", 1 << 20);
    EXPECT_TRUE(read.Status == TReadStatus::Failed && read.Error == listing.Error) << read.Error;
  }
}

} // namespace

#include "platform/filesys.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::map<std::string, TSearchRec> byName(const std::vector<TSearchRec>& found) {
  std::map<std::string, TSearchRec> result;
  for (const TSearchRec& rec : found) result[rec.Name] = rec;
  return result;
}

std::vector<std::string> namesOf(const std::vector<TSearchRec>& found) {
  std::vector<std::string> names;
  for (const TSearchRec& rec : found) names.push_back(rec.Name);
  std::sort(names.begin(), names.end());
  return names;
}

// A folder with one entry of every kind.
struct TSampleFolder {
  TempDir dir;
  TSampleFolder() {
    dir.write("tune.mod", "12345");
    chmod(dir.write("ro.mod", "").c_str(), 0444);
    dir.write(".hidden", "");
    std::filesystem::create_directory(dir.file("sub"));
    mkfifo(dir.file("pipe").c_str(), 0644);
  }
  std::string mask(const std::string& m) const { return dir.file(m); }
};

} // namespace

// Each kind of entry carries its attribute bits, and files their size.
TEST(FilesysTest, EntriesCarryTheirAttributes) {
  TSampleFolder sample;
  auto found = byName(FindFiles(sample.mask("*"), faAnyFile));
  EXPECT_EQ(found["tune.mod"].Attr, faArchive);
  EXPECT_EQ(found["tune.mod"].Size, 5);
  EXPECT_EQ(found["ro.mod"].Attr, faArchive | faReadOnly);
  EXPECT_EQ(found["sub"].Attr, faDirectory);
  EXPECT_EQ(found[".hidden"].Attr, faArchive | faHidden);
  EXPECT_EQ(found["pipe"].Attr, faSysFile);
}

// "." and ".." come first, as folders, in every folder but "/".
TEST(FilesysTest, DotEntriesComeFirstExceptInRoot) {
  TSampleFolder sample;
  auto found = FindFiles(sample.mask("*"), faAnyFile);
  ASSERT_GE(found.size(), 2u);
  EXPECT_EQ(found[0].Name, ".");
  EXPECT_EQ(found[1].Name, "..");
  EXPECT_EQ(found[0].Attr & faDirectory, faDirectory);
  auto root = namesOf(FindFiles("/*", faAnyFile));
  EXPECT_EQ(std::count(root.begin(), root.end(), "."), 0);
  EXPECT_EQ(std::count(root.begin(), root.end(), ".."), 0);
}

// Hidden, system and folder entries are skipped unless their bit is asked for.
TEST(FilesysTest, UnaskedKindsAreSkipped) {
  TSampleFolder sample;
  using Names = std::vector<std::string>;
  EXPECT_EQ(namesOf(FindFiles(sample.mask("*"), 0)), (Names{"ro.mod", "tune.mod"}));
  EXPECT_EQ(namesOf(FindFiles(sample.mask("*"), faHidden)), (Names{".hidden", "ro.mod", "tune.mod"}));
  EXPECT_EQ(namesOf(FindFiles(sample.mask("*"), faSysFile | faReadOnly)), (Names{"pipe", "ro.mod", "tune.mod"}));
  EXPECT_EQ(namesOf(FindFiles(sample.mask("*"), faDirectory)), (Names{".", "..", "ro.mod", "sub", "tune.mod"}));
}

// Masks match ignoring ASCII case, with "?" standing for one character.
TEST(FilesysTest, MasksIgnoreCase) {
  TempDir dir;
  dir.write("TUNE.MOD", "");
  dir.write("tune.xm", "");
  EXPECT_EQ(namesOf(FindFiles(dir.file("*.mod"), faAnyFile)), std::vector<std::string>{"TUNE.MOD"});
  EXPECT_TRUE(MatchesMask("tune.s3m", "T?NE.S3M"));
  EXPECT_FALSE(MatchesMask("tune.s3m", "t?e.s3m"));
  EXPECT_FALSE(MatchesMask("tune.mod.bak", "*.mod"));
}

// A mask ending in ".*" also matches names without an extension.
TEST(FilesysTest, DotStarMatchesNamesWithoutExtension) {
  EXPECT_TRUE(MatchesMask("music", "*.*"));
  EXPECT_TRUE(MatchesMask("..", "*.*"));
  EXPECT_TRUE(MatchesMask("tune", "tune.*"));
  EXPECT_FALSE(MatchesMask("tunes", "tune.*"));
  EXPECT_FALSE(MatchesMask("music", "*.mod"));
}

// A missing folder gives an empty list.
TEST(FilesysTest, MissingFolderGivesNothing) {
  TempDir dir;
  EXPECT_TRUE(FindFiles(dir.file("missing/*"), faAnyFile).empty());
}

// Links are followed to their target; a link to nothing is a system entry.
TEST(FilesysTest, LinksAreFollowed) {
  TSampleFolder sample;
  std::filesystem::create_symlink(sample.dir.file("tune.mod"), sample.dir.file("link.mod"));
  std::filesystem::create_symlink(sample.dir.file("sub"), sample.dir.file("folder"));
  std::filesystem::create_symlink(sample.dir.file("gone"), sample.dir.file("broken"));
  auto found = byName(FindFiles(sample.mask("*"), faAnyFile));
  EXPECT_EQ(found["link.mod"].Attr, faArchive);
  EXPECT_EQ(found["link.mod"].Size, 5);
  EXPECT_EQ(found["folder"].Attr, faDirectory);
  EXPECT_EQ(found["broken"].Attr, faSysFile);
}

// Without a folder part the search runs in the current directory, which ends in "/".
TEST(FilesysTest, RelativeSearchUsesCurrentDir) {
  TSampleFolder sample;
  std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(sample.dir.path().string()));
  EXPECT_EQ(GetCurrentDir(), std::filesystem::canonical(sample.dir.path()).string() + "/");
  EXPECT_EQ(namesOf(FindFiles("t*.*", 0)), std::vector<std::string>{"tune.mod"});
  EXPECT_TRUE(FileExists("tune.mod"));
  ASSERT_TRUE(SetCurrentDir(before));
  EXPECT_FALSE(SetCurrentDir(sample.dir.file("missing")));
}

// FileExists is true for regular files (through links) only.
TEST(FilesysTest, FileExistsOnlyForFiles) {
  TSampleFolder sample;
  std::filesystem::create_symlink(sample.dir.file("tune.mod"), sample.dir.file("link"));
  EXPECT_TRUE(FileExists(sample.dir.file("tune.mod")));
  EXPECT_TRUE(FileExists(sample.dir.file("link")));
  EXPECT_FALSE(FileExists(sample.dir.file("sub")));
  EXPECT_FALSE(FileExists(sample.dir.file("missing")));
}

// Only folder mount points of real file systems are drives, decoded, each once, after "/".
TEST(FilesysTest, DrivesFromMountsKeepsRealFolders) {
  TempDir dir;
  for (const char* folder : {"data", "nfs", "my music"}) std::filesystem::create_directory(dir.file(folder));
  std::string hosts = dir.write("hosts", "");
  std::string d = dir.path().string();
  std::string mounts = "proc /proc proc rw,nosuid 0 0\n"
                       "sysfs /sys sysfs rw 0 0\n"
                       "tmpfs /dev/shm tmpfs rw,size=65536k 0 0\n"
                       "overlay / overlay rw,lowerdir=/var/lib/docker/l/A:/var/lib/docker/l/B 0 0\n"
                       "/dev/vda1 " + d + "/data ext4 rw,relatime 0 0\n"
                       "/dev/vda1 " + hosts + " ext4 rw,relatime 0 0\n"
                       "server:/export " + d + "/nfs nfs4 rw,vers=4.2 0 0\n"
                       "/dev/vdb1 " + d + "/my\\040music ext4 rw 0 0\n"
                       "/dev/vda1 " + d + "/data ext4 rw,relatime 0 0\n";
  std::vector<std::string> pseudo = {"proc", "sysfs", "tmpfs", "overlay"};
  EXPECT_EQ(DrivesFromMounts(mounts, pseudo),
            (std::vector<std::string>{"/", d + "/data/", d + "/nfs/", d + "/my music/"}));
}

// The machine's drive list starts with "/" and leaves out pseudo file systems.
TEST(FilesysTest, DrivesLeaveOutPseudoFileSystems) {
  std::vector<std::string> drives = Drives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "/");
  EXPECT_EQ(std::count(drives.begin(), drives.end(), "/proc/"), 0);
  EXPECT_EQ(std::count(drives.begin(), drives.end(), "/sys/"), 0);
  for (const std::string& drive : drives) EXPECT_EQ(drive.back(), '/');
}

// A path belongs to the drive with the longest mount path that holds it as whole components.
TEST(FilesysTest, DriveOfPathPicksLongestComponentPrefix) {
  std::vector<std::string> drives = {"/", "/data/", "/data/music/"};
  EXPECT_EQ(DriveOfPath("/data/music/tune.mod", drives), "/data/music/");
  EXPECT_EQ(DriveOfPath("/data/tune.mod", drives), "/data/");
  EXPECT_EQ(DriveOfPath("/data", drives), "/data/");
  EXPECT_EQ(DriveOfPath("/database/tune.mod", drives), "/");
  EXPECT_EQ(DriveOfPath("/home/tune.mod", {"/data/"}), "/");
}

// ProgramDir is the folder of the running executable, ending in "/".
TEST(FilesysTest, ProgramDirHoldsTheTestBinary) {
  EXPECT_EQ(ProgramDir().back(), '/');
  EXPECT_TRUE(FileExists(ProgramDir() + "tests_platform"));
}

// Only regular files are read, up to the bound asked for; pipes and devices are refused
// without being opened, and failures say why.
TEST(FilesysTest, ReadRegularFileReadsOnlyRegularFiles) {
  TSampleFolder sample;
  TFileRead read = ReadRegularFile(sample.dir.file("tune.mod"), 100);
  EXPECT_EQ(read.Status, TReadStatus::Read);
  EXPECT_EQ(read.Bytes, "12345");
  EXPECT_FALSE(read.Truncated);
  read = ReadRegularFile(sample.dir.file("tune.mod"), 3);
  EXPECT_EQ(read.Bytes, "123");
  EXPECT_TRUE(read.Truncated);
  EXPECT_FALSE(ReadRegularFile(sample.dir.file("tune.mod"), 5).Truncated);

  EXPECT_EQ(ReadRegularFile(sample.dir.file("missing"), 100).Status, TReadStatus::Missing);
  std::filesystem::create_symlink("nowhere", sample.dir.file("dangling"));
  EXPECT_EQ(ReadRegularFile(sample.dir.file("dangling"), 100).Status, TReadStatus::Missing);
  EXPECT_EQ(ReadRegularFile(sample.dir.file("sub"), 100).Status, TReadStatus::Folder);
  for (const std::string& path : {sample.dir.file("pipe"), std::string("/dev/zero")}) {
    read = ReadRegularFile(path, 100);
    EXPECT_EQ(read.Status, TReadStatus::Failed) << path;
    EXPECT_EQ(read.Error, "Not a regular file") << path;
  }
  read = ReadRegularFile("/proc/self/mem", 100);
  EXPECT_EQ(read.Status, TReadStatus::Failed);
  EXPECT_EQ(read.Error, "Input/output error");
  chmod(sample.dir.file("tune.mod").c_str(), 0);
  EXPECT_EQ(inChildProcess([&] {
              if (!dropRoot()) return 9;
              TFileRead denied = ReadRegularFile(sample.dir.file("tune.mod"), 100);
              return denied.Status == TReadStatus::Failed && denied.Error == "Permission denied" ? 0 : 1;
            }),
            0);
}

// A replacement goes through a link to its target, keeps the target's mode, and is refused
// for a folder or a file that the permissions protect, which then stay as they were.
TEST(FilesysTest, ReplaceFileFollowsLinksAndRespectsProtection) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("real"));
  std::string target = dir.write("real/scores.dat", "old");
  chmod(target.c_str(), 0640);
  std::filesystem::create_symlink("real/scores.dat", dir.file("link.dat"));
  ASSERT_TRUE(ReplaceFile(dir.file("link.dat"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dat")));
  EXPECT_EQ(ReadRegularFile(target, 100).Bytes, "new");
  EXPECT_EQ(std::filesystem::status(target).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  std::filesystem::create_symlink("real/fresh.dat", dir.file("dangling.dat"));
  ASSERT_TRUE(ReplaceFile(dir.file("dangling.dat"), "made"));
  EXPECT_EQ(ReadRegularFile(dir.file("real/fresh.dat"), 100).Bytes, "made");

  // A full disk, as a file-size limit makes it: the system's reason, and the old file whole.
  EXPECT_EQ(inChildProcess([&] {
              signal(SIGXFSZ, SIG_IGN);
              rlimit limit{2, RLIM_INFINITY};
              setrlimit(RLIMIT_FSIZE, &limit);
              TFileWrite full = ReplaceFile(target, "longer than two bytes");
              return !full && full.Error == "File too large" ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ReadRegularFile(target, 100).Bytes, "new");

  chmod(target.c_str(), 0444);
  TFileWrite refused = ReplaceFile(dir.file("link.dat"), "lost");
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.Error, "Permission denied");
  EXPECT_EQ(ReadRegularFile(target, 100).Bytes, "new");
  EXPECT_EQ(ReplaceFile(dir.file("real"), "lost").Error, "Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("real")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("real")), {}), 2);
}

// Temporary files of a writer that no longer runs are removed; those of a running writer and
// other names stay.
TEST(FilesysTest, StaleTemporaryFilesAreRemoved) {
  TempDir dir;
  pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string deadName = ".vorka.ini.tmp" + std::to_string(ended) + "-0";
  const std::string liveName = ".vorka.ini.tmp" + std::to_string(getpid()) + "-1";
  for (const std::string& name : {deadName, liveName, std::string(".vorka.ini.tmpx-1"),
                                   std::string(".other.ini.tmp") + std::to_string(ended) + "-0"})
    dir.write(name, "");
  std::filesystem::create_symlink(dir.file("vorka.ini"), dir.file("link.ini"));
  RemoveStaleTempFiles(dir.file("link.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir.file(deadName)));
  EXPECT_TRUE(std::filesystem::exists(dir.file(liveName)));
  EXPECT_TRUE(std::filesystem::exists(dir.file(".vorka.ini.tmpx-1")));
  EXPECT_TRUE(std::filesystem::exists(dir.file(".other.ini.tmp" + std::to_string(ended) + "-0")));
}

// A program with its data beside it keeps its files there while it may write there; an
// installed one finds its data in ../share/vorka and keeps the files in the user's own data
// folder, made when missing and open to the user alone; folders that were there keep their mode.
TEST(FilesysTest, DataAndStoredFilesFolders) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  const std::string portable = root + "portable/", bin = root + "usr/bin/";
  std::filesystem::create_directories(portable);
  std::filesystem::create_directories(bin);
  dir.write("portable/main.bmp", "BM");
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
  EXPECT_EQ(DataDirFor(portable), portable);
  EXPECT_EQ(StoredFilesDirFor(portable), portable);
  EXPECT_EQ(DataDirFor(bin), bin + "../share/vorka/");
  EXPECT_EQ(StoredFilesDirFor(bin), root + "data/vorka/");
  auto mode = [](const std::string& path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? info.st_mode & 07777 : 0u;
  };
  EXPECT_EQ(mode(root + "data"), 0700u);
  EXPECT_EQ(mode(root + "data/vorka"), 0700u);
  chmod(portable.c_str(), 0555);
  EXPECT_EQ(StoredFilesDirFor(portable), root + "data/vorka/");
  setenv("XDG_DATA_HOME", "relative/data", 1);
  setenv("HOME", (root + "home").c_str(), 1);
  mkdir((root + "home").c_str(), 0751);
  chmod((root + "home").c_str(), 0751);
  EXPECT_EQ(StoredFilesDirFor(bin), root + "home/.local/share/vorka/");
  EXPECT_EQ(mode(root + "home"), 0751u);
  EXPECT_EQ(mode(root + "home/.local"), 0700u);
  EXPECT_EQ(mode(root + "home/.local/share/vorka"), 0700u);
  EXPECT_FALSE(MakePrivateFolders(dir.write("file", "") + "/below"));
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", oldHome.c_str(), 1);
}

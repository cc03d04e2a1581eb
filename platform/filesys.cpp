#include "platform/filesys.h"

#include "platform/utf8.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <pwd.h>
#include <optional>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// "*" and "?" wildcard match, ASCII case-insensitive, with backtracking to the last "*".
bool matchesWildcards(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || asciiLower(mask[m]) == asciiLower(name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

bool inSupplementaryGroups(gid_t group) {
  int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  count = getgroups(count, groups.data());
  return count > 0 && std::find(groups.begin(), groups.begin() + count, group) != groups.end();
}

// The write bit that applies to the effective user: the owner's, the group's or the others'.
bool permissionBitsAllowWrite(const struct stat& info) {
  if (info.st_uid == geteuid()) return info.st_mode & S_IWUSR;
  if (info.st_gid == getegid() || inSupplementaryGroups(info.st_gid)) return info.st_mode & S_IWGRP;
  return info.st_mode & S_IWOTH;
}

// Read-only by the permission bits, so that a 0444 file counts even for root, or because the
// system refuses writing anyway (a read-only mount).
bool isReadOnly(const std::string& path, const struct stat& info) {
  return !permissionBitsAllowWrite(info) || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

int32_t typeAttr(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return faDirectory;
  if (S_ISREG(info.st_mode)) return faArchive;
  return faSysFile;
}

int32_t lowSize(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(info.st_size)));
}

// The search record of `path`, named `name`; nothing when the entry has vanished. A link whose
// target is missing counts as a system entry.
std::optional<TSearchRec> describe(const std::string& path, const std::string& name) {
  TSearchRec rec;
  rec.Name = name;
  struct stat info{};
  if (stat(path.c_str(), &info) == 0) {
    rec.Size = lowSize(info);
    rec.Attr = typeAttr(info) | (isReadOnly(path, info) ? faReadOnly : 0);
  } else if (lstat(path.c_str(), &info) == 0) {
    rec.Attr = faSysFile;
  } else {
    return {};
  }
  if (name.size() > 1 && name.front() == '.' && !isDotEntry(name)) rec.Attr |= faHidden;
  return rec;
}

bool isRootFolder(const std::string& folder) {
  struct stat self{}, root{};
  return stat((folder + ".").c_str(), &self) == 0 && stat("/", &root) == 0 &&
         self.st_dev == root.st_dev && self.st_ino == root.st_ino;
}

// Search by the attribute rule: an entry carrying a hidden, system, volume or folder bit that
// the caller did not ask for is left out.
bool wanted(const TSearchRec& rec, int32_t attr) {
  int32_t exclude = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  return (rec.Attr & exclude) == 0;
}

// The names in `folder` other than "." and "..", or nothing when it cannot be read.
std::optional<std::vector<std::string>> folderEntries(const std::string& folder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::vector<std::string> names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (!isDotEntry(name)) names.push_back(name);
  }
  closedir(dir);
  return names;
}

// The kernel's tables of file systems and mounts, read whole; no machine's come near this.
constexpr std::size_t kMaxTableBytes = 16 * 1024 * 1024;

bool isOctalEscapeAt(const std::string& text, std::size_t i) {
  auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  return text[i] == '\\' && i + 3 < text.size() && isOctal(text[i + 1]) && isOctal(text[i + 2]) &&
         isOctal(text[i + 3]);
}

// A mount point as /proc/self/mounts spells it, with its \ooo octal escapes decoded.
std::string decodeMountPath(const std::string& field) {
  std::string path;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (isOctalEscapeAt(field, i)) {
      path += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      path += field[i];
    }
  }
  return path;
}

bool isFolder(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string withTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// Network and FUSE file systems hold user files even though the kernel lists them as "nodev".
bool isNetworkOrFuse(const std::string& type) {
  static const std::vector<std::string> types = {"nfs",  "nfs4",     "cifs", "smb3", "smbfs",
                                                 "9p",   "virtiofs", "fuse"};
  return std::find(types.begin(), types.end(), type) != types.end() || type.starts_with("fuse.");
}

// The "nodev" types of /proc/filesystems that hold no user files, and squashfs, whose
// read-only images (snaps) are packages rather than places to browse.
std::vector<std::string> pseudoFileSystemTypes() {
  std::vector<std::string> types = {"squashfs"};
  std::istringstream lines(ReadRegularFile("/proc/filesystems", kMaxTableBytes).Bytes);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string flag, type;
    if (fields >> flag >> type && flag == "nodev" && !isNetworkOrFuse(type)) types.push_back(type);
  }
  return types;
}

bool coversPath(const std::string& drive, const std::string& path) {
  return path.starts_with(drive) || path + "/" == drive;
}

std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The name that `path` finally stands for once every link in its last part is followed; `path`
// itself when it is no link or names nothing yet.
std::string finalTarget(std::string path) {
  constexpr int kMaxLinks = 40;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code error;
    std::filesystem::path link = std::filesystem::read_symlink(path, error);
    if (error) break;
    path = link.is_absolute() ? link.string() : folderOf(path) + link.string();
  }
  return path;
}

constexpr const char* kTempInfix = ".tmp";
// The longest part of a name that a temporary file's name holds: with the dot, ".tmp", a
// process id and "-" and a number of ten digits each, it stays within the 255 bytes a name may
// have.
constexpr std::size_t kTempNameBytes = 255 - 1 - 4 - 10 - 1 - 10;

// How the temporary files of `name` begin: "." + the name (its last kTempNameBytes bytes, from
// a character's start, when it is longer) + ".tmp".
std::string tempPrefix(const std::string& name) {
  std::size_t from = name.size() > kTempNameBytes ? name.size() - kTempNameBytes : 0;
  while (from > 0 && from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) ++from;
  return "." + name.substr(from) + kTempInfix;
}

// Creates a new temporary file next to `path`, named by tempPrefix + process id + "-" + a
// number; returns its descriptor (or -1) and its name.
int createTempBeside(const std::string& path, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  std::string stem = folderOf(path) + tempPrefix(baseNameOf(path)) + std::to_string(getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = stem + "-" + std::to_string(counter++);
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The process that wrote the temporary file `name`, made by createTempBeside with `prefix`
// (tempPrefix of the file's name); nothing when `name` is not such a file.
std::optional<pid_t> tempFileWriter(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix)) return {};
  name.remove_prefix(prefix.size());
  std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash > 9 || !allDigits(name.substr(0, dash)) ||
      !allDigits(name.substr(dash + 1)))
    return {};
  return static_cast<pid_t>(std::stol(std::string(name.substr(0, dash))));
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno != EINTR) return false;
    if (put > 0) done += static_cast<std::size_t>(put);
  }
  return true;
}

// The replacement keeps the owner (where the process may set it) and the permissions of the
// file it replaces; the owner goes first, since changing it may clear set-id bits.
void keepModeAndOwner(int fd, const struct stat& old) {
  if (old.st_uid != geteuid() || old.st_gid != getegid()) {
    [[maybe_unused]] int ignored = fchown(fd, old.st_uid, old.st_gid);
  }
  fchmod(fd, old.st_mode & 07777);
}

// Makes a rename in the folder of `path` durable.
void syncFolder(const std::string& path) {
  std::string folder = folderOf(path);
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

TFileWrite notWritten(int error) { return {false, std::strerror(error)}; }

TFileRead failedRead(TFileRead result, int error) {
  result.Status = TReadStatus::Failed;
  result.Error = std::strerror(error);
  return result;
}

TFileRead notRegular(const struct stat& info) {
  TFileRead result;
  result.Status = S_ISDIR(info.st_mode) ? TReadStatus::Folder : TReadStatus::Failed;
  if (result.Status == TReadStatus::Failed) result.Error = "Not a regular file";
  return result;
}

// Reads from `fd` until its end or `maxBytes` bytes.
TFileRead readOpened(int fd, std::size_t maxBytes) {
  TFileRead result;
  char chunk[65536];
  while (result.Bytes.size() < maxBytes) {
    ssize_t got = read(fd, chunk, std::min(sizeof chunk, maxBytes - result.Bytes.size()));
    if (got == 0) break;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return failedRead(std::move(result), errno);
    result.Bytes.append(chunk, static_cast<std::size_t>(got));
  }
  char more;
  result.Truncated = result.Bytes.size() == maxBytes && read(fd, &more, 1) > 0;
  result.Status = TReadStatus::Read;
  return result;
}

} // namespace

TFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  // The kind is looked at before opening, so that a pipe or a device is never opened, and again
  // on the opened file, in case the name changed in between.
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? TFileRead{} : failedRead({}, errno);
  if (!S_ISREG(info.st_mode)) return notRegular(info);
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return failedRead({}, errno);
  TFileRead result = fstat(fd, &info) != 0    ? failedRead({}, errno)
                     : S_ISREG(info.st_mode) ? readOpened(fd, maxBytes)
                                             : notRegular(info);
  close(fd);
  return result;
}

TFileWrite ReplaceFile(const std::string& path, const std::string& bytes) {
  return ReplaceFileWith(path, [&](int fd) -> std::optional<std::string> {
    if (writeAll(fd, bytes)) return {};
    return std::strerror(errno);
  });
}

TFileWrite ReplaceFileWith(const std::string& path,
                           const std::function<std::optional<std::string>(int fd)>& write) {
  const std::string target = finalTarget(path);
  struct stat old{};
  bool exists = stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return notWritten(errno);
  if (exists && S_ISDIR(old.st_mode)) return notWritten(EISDIR);
  if (exists && isReadOnly(target, old)) return notWritten(EACCES);
  std::string tempPath;
  int fd = createTempBeside(target, tempPath);
  if (fd < 0) return notWritten(errno);
  if (exists) keepModeAndOwner(fd, old);
  std::optional<std::string> failure = write(fd);
  int error = failure || fsync(fd) == 0 ? 0 : errno;
  if (close(fd) != 0 && error == 0 && !failure) error = errno;
  if (!failure && error == 0 && rename(tempPath.c_str(), target.c_str()) == 0) {
    syncFolder(target);
    return {true, {}};
  }
  if (!failure && error == 0) error = errno;
  unlink(tempPath.c_str());
  return failure ? TFileWrite{false, *failure} : notWritten(error);
}

namespace {

// Removes the temporary files in `folder` (ending in "/") whose prefix `isPrefix` accepts and
// whose writer no longer runs.
void removeStaleTemps(const std::string& folder, const std::function<bool(std::string_view prefix)>& isPrefix) {
  std::optional<std::vector<std::string>> names = folderEntries(folder);
  if (!names) return;
  for (const std::string& name : *names) {
    const std::size_t infix = name.rfind(kTempInfix);
    if (name.empty() || name.front() != '.' || infix == std::string::npos) continue;
    const std::string_view prefix = std::string_view(name).substr(0, infix + std::strlen(kTempInfix));
    std::optional<pid_t> writer = tempFileWriter(name, prefix);
    if (writer && *writer > 0 && isPrefix(prefix) && kill(*writer, 0) != 0 && errno == ESRCH)
      unlink((folder + name).c_str());
  }
}

} // namespace

void RemoveStaleTempFiles(const std::string& path) {
  const std::string target = finalTarget(path);
  const std::string prefix = tempPrefix(baseNameOf(target));
  removeStaleTemps(folderOf(target), [&](std::string_view found) { return found == prefix; });
}

void RemoveStaleTempFilesIn(const std::string& folder, const std::vector<std::string>& extensions) {
  const std::string inFolder = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  removeStaleTemps(inFolder, [&](std::string_view prefix) {
    // The name the temporary file was to become ends where ".tmp" starts.
    const std::string_view name = prefix.substr(0, prefix.size() - std::strlen(kTempInfix));
    const std::string lowered = AsciiLower(std::string(name));
    return std::any_of(extensions.begin(), extensions.end(), [&](const std::string& extension) {
      return lowered.size() > extension.size() && lowered.ends_with(AsciiLower(extension));
    });
  });
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (matchesWildcards(name, mask)) return true;
  return mask.ends_with(".*") && matchesWildcards(name, std::string_view(mask).substr(0, mask.size() - 2));
}

std::vector<TSearchRec> FindFiles(const std::string& pathAndMask, int32_t attr) {
  std::size_t slash = pathAndMask.rfind('/');
  std::string folder = slash == std::string::npos ? "" : pathAndMask.substr(0, slash + 1);
  std::string mask = pathAndMask.substr(folder.size());
  std::vector<TSearchRec> found;
  std::optional<std::vector<std::string>> names = folderEntries(folder);
  if (!names) return found;
  if (!isRootFolder(folder)) names->insert(names->begin(), {".", ".."});
  for (const std::string& name : *names) {
    if (!MatchesMask(name, mask)) continue;
    std::optional<TSearchRec> rec = describe(folder + name, name);
    if (rec && wanted(*rec, attr)) found.push_back(*rec);
  }
  return found;
}

bool FileExists(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> DrivesFromMounts(const std::string& mountsText,
                                          const std::vector<std::string>& pseudoTypes) {
  std::vector<std::string> drives = {"/"};
  std::istringstream lines(mountsText);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    if (std::find(pseudoTypes.begin(), pseudoTypes.end(), type) != pseudoTypes.end()) continue;
    std::string path = decodeMountPath(mountPoint);
    std::string drive = withTrailingSlash(path);
    if (isFolder(path) && std::find(drives.begin(), drives.end(), drive) == drives.end())
      drives.push_back(drive);
  }
  return drives;
}

std::vector<std::string> Drives() {
  return DrivesFromMounts(ReadRegularFile("/proc/self/mounts", kMaxTableBytes).Bytes, pseudoFileSystemTypes());
}

std::string DriveOfPath(const std::string& path, const std::vector<std::string>& drives) {
  std::string best = "/";
  for (const std::string& drive : drives)
    if (drive.size() > best.size() && coversPath(drive, path)) best = drive;
  return best;
}

bool MakePrivateFolders(const std::string& path) {
  std::string folder;
  std::size_t at = 0;
  while (at < path.size()) {
    std::size_t slash = path.find('/', at + 1);
    folder = path.substr(0, slash == std::string::npos ? path.size() : slash);
    at = folder.size();
    if (folder.empty() || folder == "/") continue;
    // The mode is set again after making the folder, so that no umask can widen or narrow it.
    if (mkdir(folder.c_str(), 0700) == 0) {
      chmod(folder.c_str(), 0700);
    } else if (errno != EEXIST || !isFolder(folder)) {
      return false;
    }
  }
  return true;
}

std::string GetCurrentDir() {
  std::error_code error;
  std::filesystem::path current = std::filesystem::current_path(error);
  return error ? "./" : withTrailingSlash(current.string());
}

bool SetCurrentDir(const std::string& path) { return chdir(path.c_str()) == 0; }

std::string ProgramDir() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? GetCurrentDir() : withTrailingSlash(exe.parent_path().string());
}

std::string XdgBaseDir(const char* variable, const std::string& homeDefault) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return withTrailingSlash(value);
  std::string home;
  if (const char* fromEnv = std::getenv("HOME"); fromEnv && *fromEnv) {
    home = fromEnv;
  } else {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
      home = found->pw_dir;
  }
  return withTrailingSlash(home) + withTrailingSlash(homeDefault);
}

std::string DataDirFor(const std::string& programDir) {
  // main.bmp is drawn by the build beside the program and installed with the other bitmaps.
  if (FileExists(programDir + "main.bmp")) return programDir;
  return programDir + "../share/vorka/";
}

std::string DataDir() { return DataDirFor(ProgramDir()); }

std::string StoredFilesDirFor(const std::string& programDir) {
  struct stat info{};
  bool besideProgram = DataDirFor(programDir) == programDir &&
                       stat(programDir.c_str(), &info) == 0 && !isReadOnly(programDir, info);
  if (besideProgram) return programDir;
  std::string folder = XdgBaseDir("XDG_DATA_HOME", ".local/share") + "vorka/";
  MakePrivateFolders(folder);
  return folder;
}

std::string StoredFilesDir() { return StoredFilesDirFor(ProgramDir()); }

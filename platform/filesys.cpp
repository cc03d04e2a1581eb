#include "platform/filesys.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

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
  std::istringstream lines(readWholeFile("/proc/filesystems"));
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

// Creates a new temporary file next to `path`; returns its descriptor (or -1) and its name.
int createTempBeside(const std::string& path, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  std::string stem = folderOf(path) + "." + baseNameOf(path) + ".tmp" + std::to_string(getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = stem + "-" + std::to_string(counter++);
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
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

// The replacement keeps the permissions of the file it replaces.
void copyMode(const std::string& path, int fd) {
  struct stat info{};
  if (stat(path.c_str(), &info) == 0) fchmod(fd, info.st_mode & 07777);
}

} // namespace

bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string tempPath;
  int fd = createTempBeside(path, tempPath);
  if (fd < 0) return false;
  copyMode(path, fd);
  bool written = writeAll(fd, bytes) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (written && rename(tempPath.c_str(), path.c_str()) == 0) return true;
  unlink(tempPath.c_str());
  return false;
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
  return DrivesFromMounts(readWholeFile("/proc/self/mounts"), pseudoFileSystemTypes());
}

std::string DriveOfPath(const std::string& path, const std::vector<std::string>& drives) {
  std::string best = "/";
  for (const std::string& drive : drives)
    if (drive.size() > best.size() && coversPath(drive, path)) best = drive;
  return best;
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

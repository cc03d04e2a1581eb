#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// File-system services: file search with attribute values, file tests, drives and folders.
// Paths use "/" as the separator. Safe to call from any thread (the current directory is
// process-wide, as always).

// Attribute bits of a search result.
constexpr int32_t faReadOnly = 0x01;  // the user may not write the entry
constexpr int32_t faHidden = 0x02;    // the name starts with "." (other than "." and "..")
constexpr int32_t faSysFile = 0x04;   // neither a regular file nor a folder (device, socket, pipe)
constexpr int32_t faVolumeID = 0x08;  // never set here; kept for the search's skip rule
constexpr int32_t faDirectory = 0x10; // a folder
constexpr int32_t faArchive = 0x20;   // a regular file (every regular file carries it)
constexpr int32_t faAnyFile = 0x3F;

// One entry found by FindFiles.
struct TSearchRec {
  std::string Name; // as the file system spells it
  int32_t Size = 0; // bytes, low 32 bits; 0 for folders
  int32_t Attr = 0; // the bits above
};

// Lists the entries of the folder part of `pathAndMask` whose names match its mask part
// ("*" and "?" wildcards, case-insensitive; a mask ending in ".*" also matches names without
// an extension, so "*.*" matches everything). Links are followed. "." and ".." come first, in
// every folder but "/". Entries whose hidden, system or folder bit is not in `attr` are skipped,
// as are entries that vanish while the folder is read. A folder that is missing or unreadable
// gives an empty list. The folder part is everything up to the last "/"; without one it is the
// current directory.
std::vector<TSearchRec> FindFiles(const std::string& pathAndMask, int32_t attr);

// True when `mask` matches `name` by the rules of FindFiles.
bool MatchesMask(const std::string& name, const std::string& mask);

// True when `path` names an existing regular file (links followed; a folder does not count).
// A relative path is resolved against the current directory.
bool FileExists(const std::string& path);
// True when `path` names an existing folder (links followed).
bool DirectoryExists(const std::string& path);

// The drives a user can browse: "/" first, then the mount points of real (not pseudo) file
// systems from /proc/self/mounts, in their order, each ending in "/", without repeats.
std::vector<std::string> Drives();

// The drive list that the text of a mounts table gives (the format of /proc/self/mounts);
// `pseudoTypes` are the file-system types that hold no user files (the "nodev" types of
// /proc/filesystems that are not network or FUSE file systems). Mount points that are not
// folders are left out. Drives() is this with the machine's own tables.
std::vector<std::string> DrivesFromMounts(const std::string& mountsText,
                                          const std::vector<std::string>& pseudoTypes);

// The drive whose mount path is the longest prefix of `path` ("/" when no other fits).
std::string DriveOfPath(const std::string& path, const std::vector<std::string>& drives);

// What ReadRegularFile found at a path.
enum class TReadStatus {
  Missing, // nothing there (or a link that leads nowhere)
  Folder,  // a folder
  Failed,  // something that could not be read whole: no permission, a pipe or device, a read error
  Read,    // a regular file, read
};

struct TFileRead {
  TReadStatus Status = TReadStatus::Missing;
  // Read: the file's bytes, at most the bound asked for. Failed: those read before the error.
  std::string Bytes;
  // Read: the file holds more than the bound; Bytes holds its first bytes.
  bool Truncated = false;
  // Failed: why, as the system says it ("Permission denied", "Input/output error").
  std::string Error;
};

// Reads at most `maxBytes` bytes of the regular file at `path`, links followed. Never blocks on
// a pipe or a device and never reads one: those are Failed, as are files the user may not read
// and read errors.
TFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes);

// What ReplaceFile did: true when the file was written.
struct TFileWrite {
  bool Written = false;
  // Not written: why, as the system says it ("No space left on device", "Permission denied").
  std::string Error;

  explicit operator bool() const { return Written; }
};

// Replaces the file at `path` with `bytes`: they go to a temporary file in the target's folder
// that is then renamed over it, so the file is always either the old one or the new one, never
// a half-written mix. A link is followed and its target replaced, so the link stays. The new
// file keeps the old one's permissions (and owner, where the process may set it). Not written,
// with the old file untouched, when the target is a folder or a file whose permissions do not
// let the user write it, or when the temporary file cannot be written or renamed.
TFileWrite ReplaceFile(const std::string& path, const std::string& bytes);

// ReplaceFile with the new content written by `write`, which gets the temporary file's open
// descriptor (a regular file it may seek in; it must not close it) and returns nothing when it
// wrote everything, or why not, the reason then given as the error and the old file untouched.
TFileWrite ReplaceFileWith(const std::string& path,
                           const std::function<std::optional<std::string>(int fd)>& write);

// Removes the temporary files that ReplaceFile left beside `path` (links followed) when the
// process writing them ended during the write; those of processes that still run are kept.
void RemoveStaleTempFiles(const std::string& path);
// The same for every file in `folder` whose name ends in one of `extensions` (".wav", any
// case): what writers that ended left of them.
void RemoveStaleTempFilesIn(const std::string& folder, const std::vector<std::string>& extensions);

// Makes the folder `path` and every missing folder above it, each new one open to the user
// alone (mode 0700, as the XDG base directory rules ask); folders that exist keep their mode.
// False when one could not be made or something that is no folder is in the way.
bool MakePrivateFolders(const std::string& path);

// The process's current directory, ending in "/".
std::string GetCurrentDir();

// Makes `path` the current directory; false when that fails.
bool SetCurrentDir(const std::string& path);

// The folder of the running executable, ending in "/".
std::string ProgramDir();

// An XDG base folder, ending in "/": the value of the environment `variable` when it is an
// absolute path (relative ones are invalid by the XDG rules), else `homeDefault` below the home
// folder ($HOME, or the user's entry in the password database).
std::string XdgBaseDir(const char* variable, const std::string& homeDefault);

// The folder of the program's bitmaps and help pages, ending in "/": `programDir` when they are
// there (a build, or a copy of it), else `programDir`../share/vorka/ (an installed program).
std::string DataDirFor(const std::string& programDir);
// DataDirFor(ProgramDir()).
std::string DataDir();

// The folder of the playlist and the high scores, ending in "/": `programDir` when the
// program's data lives beside it and the user may write there, else $XDG_DATA_HOME/vorka/
// ($HOME/.local/share/vorka/), made private when missing. An installed program therefore always
// keeps them in the user's own folder.
std::string StoredFilesDirFor(const std::string& programDir);
// StoredFilesDirFor(ProgramDir()).
std::string StoredFilesDir();

#pragma once

#include "platform/filesys.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Files inside archives (zip, 7z, lha/lzh, gzip, and the zips of one module: mdz, s3z, xmz,
// itz), read through libarchive. An entry is named by the path "ARCHIVE#ENTRY", e.g.
// "/music/pack.zip#songs/tune.xm", so that it can stand wherever a file path does. Every
// function here may be called from any thread; damaged archives give errors, never crashes.

// True when the name of `path` ends, in any case, in one of the archive extensions above.
bool IsArchiveName(const std::string& path);

// An entry path split into its archive's path and the entry's name as the archive stores it.
struct TArchivePath {
  std::string Archive;
  std::string Entry;
};

// The path "ARCHIVE#ENTRY".
std::string ArchiveEntryPath(const std::string& archive, const std::string& entry);

// `path` split at its first "#" that follows an archive name (IsArchiveName) which is no folder
// on disk, when an entry name follows it and the path up to the end of that "#"'s part (the
// next "/") names nothing on disk. Nothing for every other path: a file "/m/#1 tune.mod", a
// folder "/m/x.zip#y" and what it holds are plain paths.
std::optional<TArchivePath> SplitArchivePath(const std::string& path);

// One regular file in an archive.
struct TArchiveEntry {
  std::string Name;       // as stored ("songs/tune.xm"); a .gz's one entry: its file name less ".gz"
  std::uint64_t Size = 0; // bytes unpacked; a .gz's, which it does not store, counted up to 1 GiB
};

struct TArchiveListing {
  std::vector<TArchiveEntry> Entries; // in the archive's order; on an error, those before it
  // Empty when the whole archive was listed; otherwise one sentence naming the archive by its
  // file name: "tunes.zip is damaged or is not an archive: <why>.", "tunes.zip does not exist."
  std::string Error;
};

// The regular-file entries of the archive at `archive` (folders and links are left out).
TArchiveListing ListArchive(const std::string& archive);

// A plain path reads as ReadRegularFile does. An entry path reads at most `maxBytes` bytes of
// that entry (Truncated when it holds more): Missing when the archive or the entry is not
// there, Failed with a sentence as ListArchive's in Error when the archive cannot be read.
TFileRead ReadFileOrEntry(const std::string& path, std::size_t maxBytes);

// FileExists for a plain path; for an entry path, true when the archive lists the entry.
bool FileOrEntryExists(const std::string& path);

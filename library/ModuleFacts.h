#pragma once

#include "music/ModuleDetails.h"

#include <cstdint>
#include <string>
#include <vector>

// When a file was last changed and how large it is: what tells that facts read from it are
// still true. For a module inside an archive, the archive's.
struct TFileStamp {
  int64_t Size = -1;       // bytes; -1 = the file cannot be found
  int64_t ModifiedNs = 0;  // modification time, nanoseconds since 1970

  bool operator==(const TFileStamp&) const = default;
};

// What the playlist shows and the index keeps of one module file.
struct TModuleFacts {
  std::string Path;      // the file's bytes, or ARCHIVE#ENTRY
  TFileStamp Stamp;
  bool Readable = false; // false: the library could not load it (Error says why)
  std::string Error;
  std::string Format;    // the file type's short name, e.g. "xm"
  std::string FormatName;// e.g. "FastTracker 2"
  std::string Title;
  std::string Artist;
  std::string Tracker;
  int32_t Channels = 0;
  std::vector<TSubsong> Subsongs; // at least one when Readable

  bool operator==(const TModuleFacts&) const = default;
};

// The stamp of `path` (the archive's for ARCHIVE#ENTRY); Size -1 when it cannot be found.
// Any thread.
TFileStamp StampOf(const std::string& path);

// Reads the facts of the module at `path` with the sound library, loading the patterns but
// neither samples nor plug-ins and rendering nothing. A file that cannot be read or loaded
// gives Readable false and the reason. Any thread; may take long for a large file.
TModuleFacts ReadModuleFacts(const std::string& path);

#pragma once

#include <string>
#include <vector>

// The module formats the sound library reads, by name and by content. Thread-safe.
class TModuleFormats {
public:
  // The library's file extensions, lower case ("mod", "it", "mptm", ...), in its own order.
  static const std::vector<std::string>& Extensions();
  // True when `name` (a file name, no folder) ends in "." and one of Extensions, or starts with
  // one of them and "." as Amiga names do ("mod.beastii"), in any case.
  static bool IsModuleName(const std::string& name);
  // True when the file at `path` begins as a module the library reads (its header is probed);
  // false for a file that cannot be read, an empty file and anything else.
  static bool HoldsModule(const std::string& path);
  // The bytes of the module file, or archive entry ("pack.zip#tune.xm"), at `path`, of at most
  // 512 MiB; only regular files are read, so a pipe or a device can neither block the call nor
  // fill the memory. Throws std::runtime_error with the reason ("the file is empty").
  static std::string ReadModuleBytes(const std::string& path);
  // The sound MIME types that the system's shared-mime-info gives files with these extensions
  // ("audio/x-mod", ...), each once, in the order of Extensions.
  static std::vector<std::string> MimeTypes();
};

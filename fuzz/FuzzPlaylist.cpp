// Fuzzes the playlist file reader: any bytes parse into entries without crashing, and the
// entries written back as a playlist file read as the same entries.

#include "playlist/PlaylistFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> entries = TPlaylistFile::parse(bytes);
  std::string written;
  bool plain = true;
  for (const std::string& e : entries) {
    written += e + "\r\n";
    plain = plain && e.find('\r') == std::string::npos && e.find('\x1A') == std::string::npos;
  }
  if (plain && TPlaylistFile::parse(written) != entries) std::abort();
  return 0;
}

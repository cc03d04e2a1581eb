// Fuzzes the playlist file reader: any bytes parse into non-empty entries without line breaks
// or Ctrl-Z, and the entries written back as a playlist file read as the same entries.

#include "library/PlaylistFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> entries = TPlaylistFile::parse(bytes);
  std::string written;
  for (const std::string& e : entries) {
    if (e.empty() || e.find_first_of("\r\n\x1A") != std::string::npos) std::abort();
    written += e + "\r\n";
  }
  if (TPlaylistFile::parse(written) != entries) std::abort();
  return 0;
}

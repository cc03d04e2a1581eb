// Fuzzes the readers of other players' playlists: any bytes, read as an .m3u, .m3u8 or .pls by
// their first byte, give only entries the playlist can hold with a known or unknown length, and
// what was read, written again as M3U8, reads back as the same paths; so it does as PLS when
// the paths are UTF-8 (a PLS line that is not is read as Latin-1 first, as older players wrote).

#include "library/PlaylistFile.h"
#include "library/PlaylistFormats.h"
#include "platform/utf8.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::vector<std::string> pathsOf(const TPlaylistRead& read) {
  std::vector<std::string> paths;
  for (const TPlaylistItem& item : read.Items) paths.push_back(item.Path);
  return paths;
}

TPlaylistRead readBytes(const std::string& name, const std::string& bytes) {
  const std::string path = "/tmp/vorka-fuzz-" + std::to_string(getpid()) + "-" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  TPlaylistRead read = ReadPlaylistFile(path, [](const std::string&) { return true; });
  unlink(path.c_str());
  return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char* const names[] = {"list.m3u", "list.m3u8", "list.pls"};
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const TPlaylistRead read = readBytes(names[data[0] % 3], bytes);
  for (const TPlaylistItem& item : read.Items)
    if (!TPlaylistFile::CanHold(item.Path) || item.Path.empty() || item.Path.front() != '/' || item.Seconds < -1)
      std::abort();
  const bool utf8 = std::all_of(read.Items.begin(), read.Items.end(),
                                [](const TPlaylistItem& item) { return IsValidUtf8(item.Path); });
  for (TPlaylistFormat format : {TPlaylistFormat::M3U8, TPlaylistFormat::PLS}) {
    if (format == TPlaylistFormat::PLS && !utf8) continue;
    const TPlaylistRead again =
        readBytes(format == TPlaylistFormat::PLS ? "again.pls" : "again.m3u8", WritePlaylist(format, read.Items, "/tmp/"));
    if (pathsOf(again) != pathsOf(read)) std::abort();
  }
  return 0;
}

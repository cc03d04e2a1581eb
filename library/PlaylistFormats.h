#pragma once

#include "platform/filesys.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Playlist files of other players: M3U, M3U8 (the same in UTF-8) and PLS. Paths are the file
// system's bytes. No shared state: every function may be called from any thread.

enum class TPlaylistFormat { M3U, M3U8, PLS };

// The format that the name of `path` ends in (".m3u", ".m3u8", ".pls", any case); nothing for
// any other name.
std::optional<TPlaylistFormat> PlaylistFormatOf(const std::string& path);

// One entry of such a list.
struct TPlaylistItem {
  std::string Path;
  double Seconds = -1; // the length; -1 when unknown
  std::string Title;   // UTF-8; empty when the list gives none

  bool operator==(const TPlaylistItem&) const = default;
};

struct TPlaylistRead {
  // The entries that name files, in the list's order: absolute, lexically normal paths, each
  // one that TPlaylistFile::CanHold.
  std::vector<TPlaylistItem> Items;
  // How many entries were left out: addresses other than file://, paths that name no file and
  // names the playlist cannot hold.
  std::size_t Skipped = 0;
  // One sentence when the file could not be read or is no playlist; empty otherwise.
  std::string Error;
};

// Files larger than this are not read, as no playlist comes near it.
constexpr std::size_t MaxPlaylistFormatBytes = 64 * 1024 * 1024;

// Reads the playlist at `path` in the format its name gives. Relative entries are meant against
// the list's folder, "file:" addresses are decoded to their bytes; `isFile` says whether an
// absolute path names a file that can be played. In an .m3u or .pls, text that is not valid
// UTF-8 is read as Latin-1, as older players wrote it. A title that is only the file's name is
// none.
TPlaylistRead ReadPlaylistFile(const std::string& path,
                               const std::function<bool(const std::string&)>& isFile);

// The bytes of a list of `items` in `format`, lines ended by LF. Paths beside or under
// `playlistFolder` (the folder the list goes into, ending in "/") are written relative to it,
// others as they are; lengths in whole seconds. Items the playlist cannot hold are left out.
std::string WritePlaylist(TPlaylistFormat format, const std::vector<TPlaylistItem>& items,
                          const std::string& playlistFolder);

// Replaces the file at `path` with `items` in the format its name gives; a name that gives
// none is refused (not written, with a sentence as the error).
TFileWrite SavePlaylistFile(const std::string& path, const std::vector<TPlaylistItem>& items);

#pragma once

#include <string>
#include <vector>

// The module files that paths handed to the program (on its command line, dropped on its
// window, or passed on by another program over D-Bus) stand for.
struct TModuleFiles {
  // Absolute paths, in the order given; a folder's modules in the playlist dialog's order.
  std::vector<std::string> Modules;
  // One sentence for each path that was left out, naming it and why.
  std::vector<std::string> Problems;

  // A file that holds a module (whatever its name) stands for itself, ARCHIVE#ENTRY for the
  // module in the archive; a folder for the modules in it and every sub-folder, an archive for
  // the modules in it, both with one line for what they left out (TFolderScan); a playlist
  // file (.m3u, .m3u8, .pls) for the songs it lists that exist, with one line for those left
  // out. Anything else, a file named as a module that holds none included, is left out with a
  // problem, and so is every path that the playlist file cannot hold (a line break or Ctrl-Z
  // in its name) or that holds a zero byte. Relative paths are taken against the current
  // folder. Reads every file it takes: a large folder takes long.
  static TModuleFiles of(const std::vector<std::string>& paths);
  // As `of`, for paths from another program: a relative path, which this program would take
  // against its own folder rather than the caller's, is left out with a problem.
  static TModuleFiles ofAbsolute(const std::vector<std::string>& paths);

  // The MIME types of what `of` takes: the modules' sound types (TModuleFormats::MimeTypes),
  // then the playlists' ("audio/x-mpegurl", "audio/x-scpls").
  static std::vector<std::string> MimeTypes();
};

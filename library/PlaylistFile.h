#pragma once

#include "platform/filesys.h"

#include <string>
#include <vector>

// The stored playlist, "playlist.dat" in its folder: one module path per line in play order,
// each line ended by CR LF, duplicates kept. Reading ends a line at CR, at LF or at CR LF (an LF
// right after a CR belongs to it), stops at a Ctrl-Z byte and skips empty lines. A file that is
// there but could not be read whole is never replaced, until a later load reads it. GUI thread.
class TPlaylistFile {
public:
  enum class TLoadResult {
    Missing,    // no file (a folder of that name counts as none): the current directory untouched
    Unreadable, // there, but not read whole: the lines read before the failure were appended
    Loaded,
  };

  // Files larger than this are not read whole, as no playlist comes near it.
  static constexpr std::size_t MaxBytes = 64 * 1024 * 1024;

  // `folder` holds the file and ends in "/"; the program's folder by default.
  explicit TPlaylistFile(std::string folder);

  std::string path() const { return m_folder + "playlist.dat"; }

  // Appends every stored entry to `entries`, also those that name no file right now (a drive
  // that is not mounted); relative ones are meant against the folder. Unless the file is
  // missing, the folder becomes the process's current directory, and stays so. Removes the
  // temporary files that an ended writer left beside the file.
  TLoadResult load(std::vector<std::string>& entries);
  // Why the last load gave Unreadable, as the system says it ("Permission denied").
  const std::string& readError() const { return m_readError; }
  // True while the file is left as it is: the last load could not read it whole.
  bool keepsFile() const { return m_keep; }

  // Replaces the file with `entries`, each followed by CR LF; an empty list gives an empty
  // file. Not written when the file is kept (above) or cannot be written; it is then left as
  // it was.
  TFileWrite save(const std::vector<std::string>& entries) const;

  // The entries that the bytes of a playlist file hold, by the reading rule above.
  static std::vector<std::string> parse(const std::string& bytes);

  // True when `entry` reads back as it was written: it holds no CR, LF or Ctrl-Z byte. No other
  // entry may reach the playlist.
  static bool CanHold(const std::string& entry);
  // The sentence that refuses such an entry, on one line: its CR, LF and Ctrl-Z bytes are shown
  // as \r, \n and \x1A.
  static std::string Refusal(const std::string& entry);

private:
  std::string m_folder;
  std::string m_readError;
  bool m_keep = false;
};

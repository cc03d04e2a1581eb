#pragma once

#include <string>
#include <vector>

// The stored playlist, "playlist.dat" in the program's folder: one module path per line in
// play order, each line ended by CR LF, duplicates kept. Reading ends a line at CR (an LF right
// after it is skipped, an LF on its own stays part of the entry) and stops at a Ctrl-Z byte.
class TPlaylistFile {
public:
  enum class TLoadResult {
    Missing,    // no file: nothing read, the current directory untouched
    Unreadable, // the file exists but cannot be opened: nothing read
    Loaded,
  };

  // `folder` holds the file and ends in "/"; the program's folder by default.
  explicit TPlaylistFile(std::string folder);

  std::string path() const { return m_folder + "playlist.dat"; }

  // Appends every stored entry that names an existing file (relative ones resolved against the
  // folder) to `entries`. Unless the file is missing, the folder becomes the process's current
  // directory, and stays so. Throws std::runtime_error when reading fails after the file was
  // opened; the entries appended before stay.
  TLoadResult load(std::vector<std::string>& entries) const;

  // Replaces the file with `entries`, each followed by CR LF; an empty list gives an empty
  // file. False when the file cannot be written; the old one is then left as it was.
  bool save(const std::vector<std::string>& entries) const;

  // The entries that the bytes of a playlist file hold, by the reading rule above.
  static std::vector<std::string> parse(const std::string& bytes);

private:
  std::string m_folder;
};

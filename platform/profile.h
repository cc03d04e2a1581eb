#pragma once

#include <cstddef>
#include <string>

// Private-profile (INI) files, one key per call, no copy kept between calls.
//
// Section and key names match case-insensitively (ASCII), blanks around keys and values are
// ignored, and a value in matching single or double quotes loses them. The first matching
// section and key win. A UTF-8 byte-order mark at the start of the file is skipped when reading
// and kept when writing. A file that cannot be read whole (no permission, not a regular file,
// larger than 16 MiB) reads as missing and is never rewritten. A bare file name (no "/") lives
// in the program's configuration folder, $XDG_CONFIG_HOME/vorka/ or $HOME/.config/vorka/ when
// the variable is unset (made private to the user when missing); any other name is used as the
// path it is. Safe to call from any thread; calls on one file are serialised.

// The path that `fileName` stands for, as described above.
std::string ProfilePath(const std::string& fileName);

// The value of `key` in `section`, or `def` when the file, the section or the key is missing.
// The result is cut to at most `size` - 1 bytes (at a UTF-8 character boundary), as a buffer of
// `size` characters would hold it; `size` 0 gives the empty text.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, std::size_t size,
                                    const std::string& fileName);

// Sets `key` in `section` to `value`, creating the file (and a bare name's folder), the section
// or the key as needed and keeping every other line byte for byte. Line breaks inside `value`
// become blanks, so a value can never add lines of its own. The file is replaced through a
// temporary file in the same folder, so a failed write leaves the old file whole; a link is
// followed and its target replaced. Returns false when the file cannot be read whole or written,
// a file whose permissions do not let the user write it included. While a TProfileBatch is open
// on the file, the change is only collected, and the batch writes it.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName);

// One save of many keys: while the batch lives, WritePrivateProfileString on its file (from any
// thread) changes a copy read at the first write, and reads of the file see that copy. Commit
// replaces the file once, so it is always wholly the old or wholly the new one; changes not
// committed when the batch goes are dropped. One batch per file at a time.
class TProfileBatch {
public:
  explicit TProfileBatch(const std::string& fileName);
  ~TProfileBatch();
  TProfileBatch(const TProfileBatch&) = delete;
  TProfileBatch& operator=(const TProfileBatch&) = delete;

  // Writes the collected changes (nothing when there are none) and ends the batch; false when
  // the file cannot be written, which is then left as it was.
  bool Commit();

private:
  std::string m_path;
};

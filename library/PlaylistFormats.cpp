#include "library/PlaylistFormats.h"

#include "library/PlaylistFile.h"
#include "platform/utf8.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

std::string fileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

bool startsWithNoCase(const std::string& text, const std::string& lowerPrefix) {
  return AsciiLower(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The lines of `bytes` without their CR, LF or CR LF ends and without a leading byte order
// mark; blank lines are left out.
std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(at, end - at);
    if (!trimmed(line).empty()) lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

// A length in seconds as a list gives it; -1 for anything but a number of at least 0.
double secondsOf(const std::string& text) {
  const std::string number = trimmed(text);
  double seconds = -1;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds);
  return error == std::errc() && seconds >= 0 ? seconds : -1;
}

std::string wholeSeconds(double seconds) {
  return seconds >= 0 && seconds < 1e15 ? std::to_string(std::llround(seconds)) : "-1";
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// `text` with every %XX escape turned into its byte; a '%' that starts no escape stays.
std::string percentDecoded(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// True when `line` starts with a scheme and "://", as an address does.
bool isAddress(const std::string& line) {
  std::size_t at = 0;
  auto isSchemeChar = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  };
  while (at < line.size() && isSchemeChar(line[at])) ++at;
  return at > 0 && std::isalpha(static_cast<unsigned char>(line[0])) &&
         line.compare(at, 3, "://") == 0;
}

// The local path of a "file:" address ("file:///p", "file://localhost/p" or "file:/p"), its
// escapes decoded; nothing for an address of another host.
std::optional<std::string> localPathOf(const std::string& address) {
  std::string rest = address.substr(5);
  if (rest.starts_with("//")) {
    const std::size_t slash = rest.find('/', 2);
    if (slash == std::string::npos) return std::nullopt;
    const std::string host = AsciiLower(rest.substr(2, slash - 2));
    if (!host.empty() && host != "localhost") return std::nullopt;
    rest = rest.substr(slash);
  }
  if (!rest.starts_with('/')) return std::nullopt;
  return percentDecoded(rest);
}

struct TEntry {
  std::string Line; // the path or address, as the list spells it
  double Seconds = -1;
  std::string Title; // as the list spells it
};

// Adds the file that `entry` names to `read`, or counts it as skipped. With `latin1`, a path
// that is not UTF-8 is taken as Latin-1 first, as older players wrote it; when that names no
// file, it may be the file system's own bytes, as this program writes them.
void addEntry(TPlaylistRead& read, const TEntry& entry, const std::string& folder, bool latin1,
              const std::function<bool(const std::string&)>& isFile) {
  std::vector<std::string> candidates;
  if (startsWithNoCase(entry.Line, "file:")) {
    if (std::optional<std::string> path = localPathOf(entry.Line)) candidates.push_back(*path);
  } else if (!isAddress(entry.Line)) {
    if (latin1) candidates.push_back(AsUtf8(entry.Line));
    if (candidates.empty() || candidates.back() != entry.Line) candidates.push_back(entry.Line);
  }
  for (const std::string& candidate : candidates) {
    const std::string path =
        std::filesystem::path(candidate.starts_with('/') ? candidate : folder + candidate)
            .lexically_normal()
            .string();
    if (!path.starts_with('/') || !TPlaylistFile::CanHold(path) || !isFile(path)) continue;
    std::string title = AsUtf8(entry.Title);
    // Writers that know no title put the file's name there.
    if (title == AsUtf8(fileNameOf(path))) title.clear();
    read.Items.push_back({path, entry.Seconds, title});
    return;
  }
  ++read.Skipped;
}

// The entries of an M3U list: each path line, with what an #EXTINF line before it says.
std::vector<TEntry> m3uEntries(const std::string& bytes) {
  std::vector<TEntry> entries;
  TEntry next;
  for (const std::string& line : linesOf(bytes)) {
    if (!line.starts_with('#')) {
      next.Line = line;
      entries.push_back(std::move(next));
      next = TEntry();
    } else if (startsWithNoCase(line, "#extinf:")) {
      // "#EXTINF:<seconds>[ attributes],<title>"; quoted attribute values may hold commas.
      const std::string info = line.substr(8);
      std::size_t comma = 0;
      for (bool quoted = false; comma < info.size() && (quoted || info[comma] != ','); ++comma)
        if (info[comma] == '"') quoted = !quoted;
      const std::string length = trimmed(info.substr(0, comma));
      next.Seconds = secondsOf(length.substr(0, length.find_first_of(" \t")));
      next.Title = comma < info.size() ? info.substr(comma + 1) : std::string();
    }
  }
  return entries;
}

// The entries of a PLS list in the order of their numbers, or nothing when it has no
// [playlist] section.
std::optional<std::vector<TEntry>> plsEntries(const std::string& bytes) {
  std::map<std::uint64_t, TEntry> numbered;
  bool inSection = false, hasSection = false;
  for (const std::string& line : linesOf(bytes)) {
    const std::string text = trimmed(line);
    if (text.starts_with('[')) {
      inSection = AsciiLower(text) == "[playlist]";
      hasSection = hasSection || inSection;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos) continue;
    const std::string key = AsciiLower(trimmed(line.substr(0, equals)));
    const std::string value = line.substr(equals + 1);
    const std::size_t digits = key.find_first_of("0123456789");
    if (digits == std::string::npos) continue;
    std::uint64_t number = 0;
    auto [end, error] = std::from_chars(key.data() + digits, key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size()) continue;
    const std::string name = key.substr(0, digits);
    if (name == "file") numbered[number].Line = value;
    else if (name == "title") numbered[number].Title = value;
    else if (name == "length") numbered[number].Seconds = secondsOf(value);
  }
  if (!hasSection) return std::nullopt;
  std::vector<TEntry> entries;
  for (auto& [number, entry] : numbered)
    if (!entry.Line.empty()) entries.push_back(std::move(entry));
  return entries;
}

// How a list names `path`: relative below `folder`, else as it is. A name that would read as
// a comment or an address gets "./" before it.
std::string writtenPath(const std::string& path, const std::string& folder) {
  std::string written = path;
  if (folder.starts_with('/') && folder.ends_with('/') && path.size() > folder.size() &&
      path.starts_with(folder))
    written = path.substr(folder.size());
  const bool misread = written.starts_with('#') || startsWithNoCase(written, "file:");
  return misread ? "./" + written : written;
}

// The folder of the file at `path`, absolute and ending in "/"; empty when the current
// directory, needed for that, is gone.
std::string folderOf(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string() : absolute.lexically_normal().parent_path().string() + "/";
}

// `title` on one line.
std::string oneLine(std::string title) {
  for (char& c : title)
    if (c == '\r' || c == '\n') c = ' ';
  return title;
}

} // namespace

std::optional<TPlaylistFormat> PlaylistFormatOf(const std::string& path) {
  const std::string name = AsciiLower(fileNameOf(path));
  if (name.ends_with(".m3u")) return TPlaylistFormat::M3U;
  if (name.ends_with(".m3u8")) return TPlaylistFormat::M3U8;
  if (name.ends_with(".pls")) return TPlaylistFormat::PLS;
  return std::nullopt;
}

TPlaylistRead ReadPlaylistFile(const std::string& path,
                               const std::function<bool(const std::string&)>& isFile) {
  TPlaylistRead read;
  const std::string name = AsUtf8(fileNameOf(path));
  const std::optional<TPlaylistFormat> format = PlaylistFormatOf(path);
  if (!format) {
    read.Error = name + " is not a playlist file: its name does not end in .m3u, .m3u8 or .pls.";
    return read;
  }
  const TFileRead file = ReadRegularFile(path, MaxPlaylistFormatBytes);
  switch (file.Status) {
  case TReadStatus::Missing: read.Error = name + " could not be read: it is not there."; break;
  case TReadStatus::Folder: read.Error = name + " is a folder, not a playlist file."; break;
  case TReadStatus::Failed: read.Error = name + " could not be read: " + file.Error + "."; break;
  case TReadStatus::Read:
    if (file.Truncated) read.Error = name + " is not a playlist file: it is larger than 64 MiB.";
    else if (file.Bytes.find('\0') != std::string::npos)
      read.Error = name + " is not a playlist file: it holds binary data.";
    break;
  }
  if (!read.Error.empty()) return read;

  std::vector<TEntry> entries;
  if (*format == TPlaylistFormat::PLS) {
    std::optional<std::vector<TEntry>> pls = plsEntries(file.Bytes);
    if (!pls) {
      read.Error = name + " is not a playlist file: it has no [playlist] section.";
      return read;
    }
    entries = std::move(*pls);
  } else {
    entries = m3uEntries(file.Bytes);
  }
  const std::string folder = folderOf(path);
  // An M3U8 list is UTF-8 by its name, so its paths are the file system's bytes as they are.
  for (const TEntry& entry : entries)
    addEntry(read, entry, folder, *format != TPlaylistFormat::M3U8, isFile);
  return read;
}

std::string WritePlaylist(TPlaylistFormat format, const std::vector<TPlaylistItem>& items,
                          const std::string& playlistFolder) {
  std::string bytes = format == TPlaylistFormat::PLS ? "[playlist]\n" : "#EXTM3U\n";
  std::size_t count = 0;
  for (const TPlaylistItem& item : items) {
    if (item.Path.empty() || !TPlaylistFile::CanHold(item.Path)) continue;
    const std::string path = writtenPath(item.Path, playlistFolder);
    if (format == TPlaylistFormat::PLS) {
      const std::string n = std::to_string(++count);
      bytes += "File" + n + "=" + path + "\n";
      if (!item.Title.empty()) bytes += "Title" + n + "=" + oneLine(item.Title) + "\n";
      bytes += "Length" + n + "=" + wholeSeconds(item.Seconds) + "\n";
    } else {
      const std::string title = item.Title.empty() ? fileNameOf(item.Path) : item.Title;
      bytes += "#EXTINF:" + wholeSeconds(item.Seconds) + "," + oneLine(title) + "\n" + path + "\n";
    }
  }
  if (format == TPlaylistFormat::PLS)
    bytes += "NumberOfEntries=" + std::to_string(count) + "\nVersion=2\n";
  return bytes;
}

TFileWrite SavePlaylistFile(const std::string& path, const std::vector<TPlaylistItem>& items) {
  const std::optional<TPlaylistFormat> format = PlaylistFormatOf(path);
  if (!format) return {false, "Playlists are saved as .m3u, .m3u8 or .pls files."};
  return ReplaceFile(path, WritePlaylist(*format, items, folderOf(path)));
}

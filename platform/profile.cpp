#include "platform/profile.h"

#include "platform/filesys.h"
#include "platform/utf8.h"

#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Every call on every file goes through this one lock, so two threads never interleave the
// read and the replacement of a file.
std::mutex& profileMutex() {
  static std::mutex mutex;
  return mutex;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

bool isBareName(const std::string& fileName) { return fileName.find('/') == std::string::npos; }

// $XDG_CONFIG_HOME/vorka/, or $HOME/.config/vorka/.
std::string configDir() { return XdgBaseDir("XDG_CONFIG_HOME", ".config") + "vorka/"; }

// One line of a file: its text without the line break (CRs before the LF, or ending the file,
// are part of the break), where the next line starts and whether an LF ended it.
struct TLine {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  bool terminated = false;
};

std::vector<TLine> splitLines(const std::string& content) {
  std::vector<TLine> lines;
  std::size_t begin = 0;
  while (begin < content.size()) {
    std::size_t newline = content.find('\n', begin);
    TLine line{begin, newline == std::string::npos ? content.size() : newline, content.size(), false};
    if (newline != std::string::npos) {
      line.next = newline + 1;
      line.terminated = true;
    }
    while (line.end > begin && content[line.end - 1] == '\r') --line.end;
    lines.push_back(line);
    begin = line.next;
  }
  return lines;
}

std::string_view textOf(const std::string& content, const TLine& line) {
  return std::string_view(content).substr(line.begin, line.end - line.begin);
}

bool isTerminated(const TLine& line) { return line.terminated; }

// The name of the section that `text` opens, or nothing when it is no section header.
std::optional<std::string_view> sectionHeader(std::string_view text) {
  text = trimmed(text);
  std::size_t close = text.find(']');
  if (text.empty() || text.front() != '[' || close == std::string_view::npos) return {};
  return trimmed(text.substr(1, close - 1));
}

bool isComment(std::string_view text) {
  text = trimmed(text);
  return !text.empty() && (text.front() == ';' || text.front() == '#');
}

// The key that `text` sets, or nothing when it is no "key=value" line.
std::optional<std::string_view> keyOf(std::string_view text) {
  std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || isComment(text)) return {};
  std::string_view key = trimmed(text.substr(0, equals));
  if (key.empty()) return {};
  return key;
}

std::string_view valueOf(std::string_view text) {
  std::string_view value = trimmed(text.substr(text.find('=') + 1));
  bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

// Where a key lives in a file: the first section of that name, the key's first line in it,
// and the line after which a new key of that section belongs.
struct TLocation {
  std::optional<std::size_t> section;
  std::optional<std::size_t> key;
  std::size_t lastKeyLine = 0;
};

TLocation locate(const std::string& content, const std::vector<TLine>& lines,
                 std::string_view section, std::string_view key) {
  TLocation found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = textOf(content, lines[i]);
    if (auto header = sectionHeader(text)) {
      if (found.section) break;
      if (equalsIgnoringCase(*header, section)) found.section = found.lastKeyLine = i;
      continue;
    }
    if (!found.section) continue;
    if (auto name = keyOf(text)) {
      found.lastKeyLine = i;
      if (!found.key && equalsIgnoringCase(*name, key)) found.key = i;
    }
  }
  return found;
}

// Larger files are no settings file of ours: they read as missing and are never rewritten.
constexpr std::size_t kMaxProfileBytes = 16 * 1024 * 1024;

// A UTF-8 byte-order mark, which some editors put at the start of a text file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The bytes of the file at `path` behind any byte-order mark: empty for a missing file, nothing
// when something is there that cannot be read whole. `hadMark` tells whether a mark was there.
std::optional<std::string> readProfile(const std::string& path, bool& hadMark) {
  TFileRead file = ReadRegularFile(path, kMaxProfileBytes);
  hadMark = false;
  if (file.Status == TReadStatus::Missing) return std::string();
  if (file.Status != TReadStatus::Read || file.Truncated) return {};
  hadMark = file.Bytes.starts_with(kByteOrderMark);
  if (hadMark) file.Bytes.erase(0, kByteOrderMark.size());
  return std::move(file.Bytes);
}

// A bare name's folder is the program's own, made on the first write; other folders are the
// caller's business.
bool ensureConfigDir(const std::string& fileName, const std::string& path) {
  return !isBareName(fileName) || MakePrivateFolders(path.substr(0, path.rfind('/') + 1));
}

// The copy of a file that an open batch collects its changes in; Content is empty until the
// first write reads the file.
struct TPendingFile {
  std::optional<std::string> Content;
  bool HadMark = false;
};

// The open batches, by the path of their file; guarded by profileMutex().
std::map<std::string, TPendingFile>& openBatches() {
  static std::map<std::string, TPendingFile> batches;
  return batches;
}

std::string withMark(bool hadMark, const std::string& content) {
  return (hadMark ? std::string(kByteOrderMark) : std::string()) + content;
}

// Line breaks become blanks, so no name or value can start a line of its own.
std::string singleLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

// The value as written: quoted when reading it back would otherwise lose outer blanks or quotes.
std::string encodedValue(const std::string& value) {
  bool needsQuotes = valueOf("=" + value) != std::string_view(value);
  return needsQuotes ? '"' + value + '"' : value;
}

std::string lineEnding(const std::string& content, const std::vector<TLine>& lines) {
  bool crlf = !lines.empty() && isTerminated(lines[0]) && lines[0].next - lines[0].end == 2 &&
              content[lines[0].end] == '\r';
  return crlf ? "\r\n" : "\n";
}

// `content` with `key` in `section` set to `value`; every other line stays as it was.
std::string withValue(const std::string& content, std::string_view section, std::string_view key,
                      const std::string& value) {
  std::vector<TLine> lines = splitLines(content);
  std::string eol = lineEnding(content, lines);
  std::string keyLine = std::string(key) + "=" + value;
  TLocation at = locate(content, lines, section, key);
  if (at.key) {
    const TLine& line = lines[*at.key];
    std::size_t equals = content.find('=', line.begin);
    return content.substr(0, equals + 1) + value + content.substr(line.end);
  }
  if (at.section) {
    const TLine& line = lines[at.lastKeyLine];
    std::string breakBefore = isTerminated(line) ? "" : eol;
    return content.substr(0, line.next) + breakBefore + keyLine + eol + content.substr(line.next);
  }
  std::string separator;
  if (!lines.empty() && !isTerminated(lines.back())) separator += eol;
  if (!lines.empty() && !trimmed(textOf(content, lines.back())).empty()) separator += eol;
  return content + separator + "[" + std::string(section) + "]" + eol + keyLine + eol;
}

} // namespace

std::string ProfilePath(const std::string& fileName) {
  return isBareName(fileName) ? configDir() + fileName : fileName;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, std::size_t size,
                                    const std::string& fileName) {
  if (size == 0) return {};
  std::lock_guard lock(profileMutex());
  const std::string path = ProfilePath(fileName);
  std::string result = def;
  bool hadMark = false;
  auto batch = openBatches().find(path);
  std::optional<std::string> content = batch != openBatches().end() && batch->second.Content
                                           ? batch->second.Content
                                           : readProfile(path, hadMark);
  if (content) {
    std::vector<TLine> lines = splitLines(*content);
    TLocation at = locate(*content, lines, trimmed(section), trimmed(key));
    if (at.key) result = valueOf(textOf(*content, lines[*at.key]));
  }
  return Utf8Prefix(result, size - 1);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName) {
  std::lock_guard lock(profileMutex());
  const std::string path = ProfilePath(fileName);
  auto batch = openBatches().find(path);
  TPendingFile pending;
  TPendingFile& file = batch != openBatches().end() ? batch->second : pending;
  if (!file.Content) {
    if (!ensureConfigDir(fileName, path)) return false;
    file.Content = readProfile(path, file.HadMark);
    if (!file.Content) return false;
  }
  std::string cleanSection = singleLine(section), cleanKey = singleLine(key);
  file.Content = withValue(*file.Content, trimmed(cleanSection), trimmed(cleanKey),
                           encodedValue(singleLine(value)));
  return &file != &pending || ReplaceFile(path, withMark(file.HadMark, *file.Content)).Written;
}

TProfileBatch::TProfileBatch(const std::string& fileName) : m_path(ProfilePath(fileName)) {
  std::lock_guard lock(profileMutex());
  openBatches()[m_path] = {};
}

TProfileBatch::~TProfileBatch() {
  std::lock_guard lock(profileMutex());
  openBatches().erase(m_path);
}

bool TProfileBatch::Commit() {
  std::lock_guard lock(profileMutex());
  auto batch = openBatches().find(m_path);
  if (batch == openBatches().end()) return true;
  TPendingFile file = std::move(batch->second);
  openBatches().erase(batch);
  return !file.Content || ReplaceFile(m_path, withMark(file.HadMark, *file.Content)).Written;
}

#include "library/PlaylistFile.h"

#include "platform/filesys.h"

namespace {

constexpr char kCtrlZ = 0x1A;

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// The bytes up to the last line end: what is whole of a file whose reading broke off.
std::string wholeLines(const std::string& bytes) {
  std::size_t end = bytes.find_last_of("\r\n");
  return end == std::string::npos ? std::string() : bytes.substr(0, end + 1);
}

} // namespace

TPlaylistFile::TPlaylistFile(std::string folder) : m_folder(std::move(folder)) {}

std::vector<std::string> TPlaylistFile::parse(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != kCtrlZ; ++i) {
    if (!isLineEnd(bytes[i])) {
      line += bytes[i];
      continue;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    if (!line.empty()) lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TPlaylistFile::TLoadResult TPlaylistFile::load(std::vector<std::string>& entries) {
  const std::string file = path();
  RemoveStaleTempFiles(file);
  TFileRead read = ReadRegularFile(file, MaxBytes);
  if (read.Status == TReadStatus::Missing || read.Status == TReadStatus::Folder)
    return TLoadResult::Missing;
  SetCurrentDir(m_folder);
  if (read.Status == TReadStatus::Read && read.Truncated) {
    read.Status = TReadStatus::Failed;
    read.Error = "it is larger than 64 MiB";
  }
  m_keep = read.Status != TReadStatus::Read;
  m_readError = read.Error;
  for (const std::string& entry : parse(m_keep ? wholeLines(read.Bytes) : read.Bytes))
    entries.push_back(entry);
  return m_keep ? TLoadResult::Unreadable : TLoadResult::Loaded;
}

bool TPlaylistFile::CanHold(const std::string& entry) {
  return entry.find_first_of(std::string("\r\n") + kCtrlZ) == std::string::npos;
}

std::string TPlaylistFile::Refusal(const std::string& entry) {
  std::string shown;
  for (char c : entry) {
    switch (c) {
    case '\r': shown += "\\r"; break;
    case '\n': shown += "\\n"; break;
    case kCtrlZ: shown += "\\x1A"; break;
    default: shown += c;
    }
  }
  return shown + " cannot be kept in the playlist: its name holds a line break or Ctrl-Z character.";
}

TFileWrite TPlaylistFile::save(const std::vector<std::string>& entries) const {
  if (m_keep) return {false, "it could not be read, so it is left as it is"};
  std::string bytes;
  for (const std::string& entry : entries) bytes += entry + "\r\n";
  return ReplaceFile(path(), bytes);
}

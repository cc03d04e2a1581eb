#include "playlist/PlaylistFile.h"

#include "platform/filesys.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

constexpr char kCtrlZ = 0x1A;

bool isFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string readOpened(std::FILE* f, const std::string& path) {
  std::string bytes;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  if (std::ferror(f)) {
    int error = errno;
    std::fclose(f);
    throw std::runtime_error("Could not read " + path + ": " + std::strerror(error));
  }
  std::fclose(f);
  return bytes;
}

} // namespace

TPlaylistFile::TPlaylistFile(std::string folder) : m_folder(std::move(folder)) {}

std::vector<std::string> TPlaylistFile::parse(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != kCtrlZ; ++i) {
    if (bytes[i] == '\r') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      continue;
    }
    line += bytes[i];
    open = true;
  }
  if (open) lines.push_back(line);
  return lines;
}

TPlaylistFile::TLoadResult TPlaylistFile::load(std::vector<std::string>& entries) const {
  const std::string file = path();
  if (!isFile(file)) return TLoadResult::Missing;
  std::FILE* f = std::fopen(file.c_str(), "rb");
  SetCurrentDir(m_folder);
  if (!f) return TLoadResult::Unreadable;
  for (const std::string& entry : parse(readOpened(f, file)))
    if (FileExists(entry)) entries.push_back(entry);
  return TLoadResult::Loaded;
}

bool TPlaylistFile::save(const std::vector<std::string>& entries) const {
  std::string bytes;
  for (const std::string& entry : entries) bytes += entry + "\r\n";
  return ReplaceFile(path(), bytes);
}

#include "platform/ArchiveFile.h"

#include "platform/utf8.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// libarchive reads the file in blocks of this size, and entries are read in pieces of it.
constexpr std::size_t kBlockBytes = 64 * 1024;
// A .gz does not store how large its file is unpacked; it is counted up to this many bytes.
constexpr std::uint64_t kMaxCountedBytes = std::uint64_t{1} << 30;

const char* const kArchiveExtensions[] = {".zip", ".gz",  ".lha", ".lzh", ".7z",
                                          ".mdz", ".s3z", ".xmz", ".itz"};

bool endsWithNoCase(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && AsciiLower(text.substr(text.size() - end.size())) == end;
}

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A .gz is one gzip-compressed file rather than an archive of several.
bool isGzipName(const std::string& path) { return endsWithNoCase(path, ".gz"); }

// The entry's name as the archive stores it: UTF-8 where libarchive can give it so, else the
// stored bytes.
std::string storedName(archive_entry* entry) {
  if (const char* name = archive_entry_pathname_utf8(entry)) return name;
  if (const char* name = archive_entry_pathname(entry)) return name;
  return {};
}

// An archive opened for reading, walked entry by entry. Opening never blocks: only regular
// files are opened.
class TArchiveReader {
public:
  explicit TArchiveReader(const std::string& path) : m_path(path), m_gzip(isGzipName(path)) {
    // A .gz's one file is named after it, as gzip names what it unpacks.
    const std::string name = fileNameOf(path);
    if (m_gzip && name.size() > 3) m_gzipEntryName = name.substr(0, name.size() - 3);
    open();
  }
  ~TArchiveReader() {
    if (m_archive) archive_read_free(m_archive);
    if (m_fd >= 0) close(m_fd);
  }
  TArchiveReader(const TArchiveReader&) = delete;
  TArchiveReader& operator=(const TArchiveReader&) = delete;

  // Read while the archive can be read; Missing when there is no file; Failed after an error.
  TReadStatus Status() const { return m_status; }
  // The sentence telling why the archive could not be read; empty while it can.
  const std::string& Error() const { return m_error; }

  // Moves to the next regular-file entry; false at the end of the archive or on an error.
  bool Next() {
    while (m_status == TReadStatus::Read) {
      archive_entry* entry = nullptr;
      const int result = archive_read_next_header(m_archive, &entry);
      if (result == ARCHIVE_EOF) return false;
      if (result < ARCHIVE_WARN) return damaged(libarchiveReason());
      if (archive_entry_filetype(entry) != AE_IFREG) continue;
      m_name = m_gzipEntryName.empty() ? storedName(entry) : m_gzipEntryName;
      if (m_name.empty()) continue;
      m_entry = entry;
      return true;
    }
    return false;
  }

  const std::string& Name() const { return m_name; }

  // Reads at most `size` bytes of the current entry into `buffer`: how many (0 at its end), or
  // nothing on an error.
  std::optional<std::size_t> Read(char* buffer, std::size_t size) {
    const la_ssize_t got = archive_read_data(m_archive, buffer, size);
    if (got < 0) {
      damaged(libarchiveReason());
      return std::nullopt;
    }
    return static_cast<std::size_t>(got);
  }

  // The current entry's unpacked size: as stored, or counted by unpacking it (up to
  // kMaxCountedBytes); nothing on an error.
  std::optional<std::uint64_t> Size() {
    if (archive_entry_size_is_set(m_entry))
      return static_cast<std::uint64_t>(std::max<la_int64_t>(archive_entry_size(m_entry), 0));
    std::string block(kBlockBytes, '\0');
    std::uint64_t counted = 0;
    while (counted < kMaxCountedBytes) {
      const std::optional<std::size_t> got = Read(block.data(), block.size());
      if (!got) return std::nullopt;
      if (*got == 0) break;
      counted += *got;
    }
    return std::min(counted, kMaxCountedBytes);
  }

private:
  void open() {
    const std::string name = fileNameOf(m_path);
    struct stat info{};
    if (stat(m_path.c_str(), &info) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return missing();
      return fail(name + " could not be read: " + std::strerror(errno) + ".");
    }
    if (S_ISDIR(info.st_mode)) return fail(name + " is a folder, not an archive.");
    if (!S_ISREG(info.st_mode)) return fail(name + " is not a regular file, so it is not read as an archive.");
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
      if (errno == ENOENT) return missing();
      return fail(name + " could not be read: " + std::strerror(errno) + ".");
    }
    // The name may have changed between the look and the opening.
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
      return fail(name + " is not a regular file, so it is not read as an archive.");
    m_archive = archive_read_new();
    if (!m_archive) return fail(name + " could not be read: there is not enough memory.");
    if (m_gzip) {
      archive_read_support_filter_gzip(m_archive);
      archive_read_support_format_raw(m_archive);
    } else {
      // Only the central directory is trusted for zips, so a cut-off zip is found out at once.
      archive_read_support_format_zip_seekable(m_archive);
      archive_read_support_format_7zip(m_archive);
      archive_read_support_format_lha(m_archive);
    }
    if (archive_read_open_fd(m_archive, m_fd, kBlockBytes) < ARCHIVE_WARN) {
      damaged(libarchiveReason());
      return;
    }
    // The raw format takes any bytes; a .gz must really be gzip-compressed.
    if (m_gzip && archive_filter_code(m_archive, 0) != ARCHIVE_FILTER_GZIP)
      damaged("the data is not gzip-compressed");
  }

  void missing() {
    m_status = TReadStatus::Missing;
    m_error = fileNameOf(m_path) + " does not exist.";
  }

  void fail(const std::string& sentence) {
    m_status = TReadStatus::Failed;
    m_error = sentence;
  }

  bool damaged(const std::string& why) {
    fail(fileNameOf(m_path) + " is damaged or is not an archive: " + why + ".");
    return false;
  }

  // libarchive's text of its last error, without its closing stop or line end.
  std::string libarchiveReason() const {
    const char* text = archive_error_string(m_archive);
    std::string reason = text && *text ? text : "its data could not be unpacked";
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n' || reason.back() == ' '))
      reason.pop_back();
    return reason;
  }

  std::string m_path;
  bool m_gzip;
  std::string m_gzipEntryName;
  int m_fd = -1;
  archive* m_archive = nullptr;
  archive_entry* m_entry = nullptr;
  std::string m_name;
  TReadStatus m_status = TReadStatus::Read;
  std::string m_error;
};

TFileRead failedEntryRead(std::string bytes, const std::string& error) {
  TFileRead result;
  result.Status = TReadStatus::Failed;
  result.Bytes = std::move(bytes);
  result.Error = error;
  return result;
}

} // namespace

bool IsArchiveName(const std::string& path) {
  return std::any_of(std::begin(kArchiveExtensions), std::end(kArchiveExtensions),
                     [&](const char* extension) { return endsWithNoCase(path, extension); });
}

std::string ArchiveEntryPath(const std::string& archive, const std::string& entry) {
  return archive + "#" + entry;
}

std::optional<TArchivePath> SplitArchivePath(const std::string& path) {
  for (std::size_t hash = path.find('#'); hash != std::string::npos; hash = path.find('#', hash + 1)) {
    const std::string archive = path.substr(0, hash);
    if (hash + 1 == path.size() || !IsArchiveName(archive) || DirectoryExists(archive)) continue;
    // A file or folder whose own name holds the "#" is what the path names.
    struct stat info{};
    if (lstat(path.substr(0, path.find('/', hash)).c_str(), &info) == 0) continue;
    return TArchivePath{archive, path.substr(hash + 1)};
  }
  return std::nullopt;
}

TArchiveListing ListArchive(const std::string& archive) {
  TArchiveListing listing;
  TArchiveReader reader(archive);
  while (reader.Next()) {
    const std::optional<std::uint64_t> size = reader.Size();
    if (!size) break;
    listing.Entries.push_back({reader.Name(), *size});
  }
  listing.Error = reader.Error();
  return listing;
}

TFileRead ReadFileOrEntry(const std::string& path, std::size_t maxBytes) {
  const std::optional<TArchivePath> split = SplitArchivePath(path);
  if (!split) return ReadRegularFile(path, maxBytes);
  TArchiveReader reader(split->Archive);
  while (reader.Next()) {
    if (reader.Name() != split->Entry) continue;
    TFileRead result;
    while (result.Bytes.size() < maxBytes) {
      const std::size_t had = result.Bytes.size();
      result.Bytes.resize(had + std::min(kBlockBytes, maxBytes - had));
      const std::optional<std::size_t> got = reader.Read(result.Bytes.data() + had, result.Bytes.size() - had);
      result.Bytes.resize(had + got.value_or(0));
      if (!got) return failedEntryRead(std::move(result.Bytes), reader.Error());
      if (*got == 0) break;
    }
    if (result.Bytes.size() == maxBytes) {
      char more;
      const std::optional<std::size_t> got = reader.Read(&more, 1);
      if (!got) return failedEntryRead(std::move(result.Bytes), reader.Error());
      result.Truncated = *got > 0;
    }
    result.Status = TReadStatus::Read;
    return result;
  }
  if (reader.Status() == TReadStatus::Failed) return failedEntryRead({}, reader.Error());
  return TFileRead{};
}

bool FileOrEntryExists(const std::string& path) {
  const std::optional<TArchivePath> split = SplitArchivePath(path);
  if (!split) return FileExists(path);
  TArchiveReader reader(split->Archive);
  while (reader.Next())
    if (reader.Name() == split->Entry) return true;
  return false;
}

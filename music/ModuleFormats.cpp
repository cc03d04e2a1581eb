#include "music/ModuleFormats.h"

#include "platform/ArchiveFile.h"
#include "platform/utf8.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

bool known(const std::string& extension) {
  const std::vector<std::string>& all = TModuleFormats::Extensions();
  return std::find(all.begin(), all.end(), AsciiLower(extension)) != all.end();
}

} // namespace

const std::vector<std::string>& TModuleFormats::Extensions() {
  static const std::vector<std::string> extensions = [] {
    std::vector<std::string> all;
    for (const std::string& extension : openmpt::get_supported_extensions()) all.push_back(AsciiLower(extension));
    return all;
  }();
  return extensions;
}

bool TModuleFormats::IsModuleName(const std::string& name) {
  const std::size_t last = name.rfind('.'), first = name.find('.');
  if (last == std::string::npos) return false;
  return (last + 1 < name.size() && known(name.substr(last + 1))) || (first > 0 && known(name.substr(0, first)));
}

bool TModuleFormats::HoldsModule(const std::string& path) {
  if (SplitArchivePath(path)) {
    // An archive entry: its head is unpacked; its whole size is known only when the head is all.
    const TFileRead entry = ReadFileOrEntry(path, openmpt::probe_file_header_get_recommended_size());
    if (entry.Status != TReadStatus::Read || entry.Bytes.empty()) return false;
    const auto* head = reinterpret_cast<const std::byte*>(entry.Bytes.data());
    const int probed =
        entry.Truncated
            ? openmpt::probe_file_header(openmpt::probe_file_header_flags_default2, head, entry.Bytes.size())
            : openmpt::probe_file_header(openmpt::probe_file_header_flags_default2, head, entry.Bytes.size(),
                                         entry.Bytes.size());
    return probed == openmpt::probe_file_header_result_success;
  }
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const auto size = static_cast<std::uint64_t>(file.tellg());
  if (size == 0) return false;
  std::vector<std::byte> head(std::min<std::uint64_t>(size, openmpt::probe_file_header_get_recommended_size()));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()))) return false;
  return openmpt::probe_file_header(openmpt::probe_file_header_flags_default2, head.data(), head.size(), size) ==
         openmpt::probe_file_header_result_success;
}

std::string TModuleFormats::ReadModuleBytes(const std::string& path) {
  constexpr std::size_t kMaxModuleBytes = 512 * 1024 * 1024;
  // A file known to be too large is refused before anything of it is read.
  std::error_code error;
  if (!SplitArchivePath(path) && std::filesystem::file_size(path, error) > kMaxModuleBytes && !error)
    throw std::runtime_error("the file is too large for a module");
  TFileRead file = ReadFileOrEntry(path, kMaxModuleBytes);
  switch (file.Status) {
  case TReadStatus::Missing: throw std::runtime_error(std::strerror(ENOENT));
  case TReadStatus::Folder: throw std::runtime_error("the path names a folder");
  case TReadStatus::Failed: throw std::runtime_error(file.Error);
  case TReadStatus::Read: break;
  }
  if (file.Truncated) throw std::runtime_error("the file is too large for a module");
  if (file.Bytes.empty()) throw std::runtime_error("the file is empty");
  return std::move(file.Bytes);
}

std::vector<std::string> TModuleFormats::MimeTypes() {
  std::vector<std::string> types;
  const QMimeDatabase database;
  for (const std::string& extension : Extensions())
    for (const QMimeType& type : database.mimeTypesForFileName(QString::fromStdString("x." + extension))) {
      const std::string name = type.name().toStdString();
      if (name.starts_with("audio/") && std::find(types.begin(), types.end(), name) == types.end())
        types.push_back(name);
    }
  return types;
}

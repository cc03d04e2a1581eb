#include "library/ModuleFacts.h"

#include "music/ModuleFormats.h"
#include "platform/ArchiveFile.h"

#include <libopenmpt/libopenmpt.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <sstream>

TFileStamp StampOf(const std::string& path) {
  const std::optional<TArchivePath> inside = SplitArchivePath(path);
  struct stat info{};
  if (stat((inside ? inside->Archive : path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return {static_cast<int64_t>(info.st_size),
          static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

TModuleFacts ReadModuleFacts(const std::string& path) {
  TModuleFacts facts;
  facts.Path = path;
  facts.Stamp = StampOf(path);
  try {
    const std::string bytes = TModuleFormats::ReadModuleBytes(path);
    std::ostringstream quiet;
    const std::map<std::string, std::string> loadOnly{
        {"load.skip_samples", "1"}, {"load.skip_plugins", "1"}};
    openmpt::module module(bytes.data(), bytes.size(), quiet, loadOnly);
    facts.Format = module.get_metadata("type");
    facts.FormatName = module.get_metadata("type_long");
    facts.Title = module.get_metadata("title");
    facts.Artist = module.get_metadata("artist");
    facts.Tracker = module.get_metadata("tracker");
    facts.Channels = module.get_num_channels();
    const std::vector<std::string> names = module.get_subsong_names();
    const int32_t count = std::max(1, module.get_num_subsongs());
    for (int32_t i = 0; i < count; ++i) {
      module.select_subsong(i);
      facts.Subsongs.push_back({i < static_cast<int32_t>(names.size()) ? names[i] : std::string(),
                                module.get_duration_seconds()});
    }
    facts.Readable = true;
  } catch (const std::exception& error) {
    facts.Error = error.what();
  }
  return facts;
}

#include "library/SongLevels.h"

#include "library/LibraryIndex.h"
#include "platform/utf8.h"

TSongLevels::TSongLevels(std::string databasePath) : m_databasePath(std::move(databasePath)) {}

TSongLevels::~TSongLevels() = default;

std::vector<TSongLevel> TSongLevels::levelsOf(const std::string& path) {
  std::lock_guard lock(m_lock);
  if (!m_index) m_index = std::make_unique<TLibraryIndex>(m_databasePath);
  const TFileStamp stamp = StampOf(path);
  if (std::vector<TSongLevel> measured = m_index->findLevels(path, stamp); !measured.empty()) return measured;
  // The format the index read, or the file name's ending.
  std::string format;
  if (const std::optional<TModuleFacts> facts = m_index->find(path)) format = facts->Format;
  if (format.empty()) {
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) format = AsciiLower(path.substr(dot + 1));
  }
  const std::optional<double> median = m_index->medianLoudness(format);
  if (!median) return {};
  TSongLevel guess;
  guess.Loudness = *median;
  guess.Measured = false;
  return {guess};
}

#include "library/SongLevels.h"

#include "library/LibraryIndex.h"

TSongLevels::TSongLevels(std::string databasePath) : m_databasePath(std::move(databasePath)) {}

TSongLevels::~TSongLevels() = default;

std::vector<TSongLevel> TSongLevels::levelsOf(const std::string& path, const std::string& format) {
  std::lock_guard lock(m_lock);
  if (!m_index) m_index = std::make_unique<TLibraryIndex>(m_databasePath);
  if (std::vector<TSongLevel> measured = m_index->findLevels(path, StampOf(path)); !measured.empty()) return measured;
  const std::optional<double> median = m_index->medianLoudness(format);
  if (!median) return {};
  TSongLevel guess;
  guess.Loudness = *median;
  guess.Measured = false;
  return {guess};
}

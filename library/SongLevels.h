#pragma once

#include "music/LoudnessScan.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TLibraryIndex;

// The levels the player gives a module file as it loads (MIDASsetLevelSource): those measured of
// it when the index holds them for the file as it is now, else a guess that keeps the loudness
// even until the measurement comes: the median loudness of the measured songs of its format
// (libopenmpt's short name, "xm").
// Nothing when the index knows neither. It opens its own connection to the index at the first
// call. Any thread, one call at a time.
class TSongLevels {
public:
  explicit TSongLevels(std::string databasePath);
  ~TSongLevels();

  std::vector<TSongLevel> levelsOf(const std::string& path, const std::string& format);

private:
  std::mutex m_lock;
  std::string m_databasePath;
  std::unique_ptr<TLibraryIndex> m_index;
};

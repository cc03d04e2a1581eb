#include "bench/BusySong.h"

#include "tests/support/ModuleWriter.h"

#include <vector>

namespace {

testmod::Module busy(int patterns, int channels) {
  std::vector<std::string> names;
  for (int i = 0; i < 8; ++i) names.push_back("Voice " + std::to_string(i + 1));
  testmod::Module m = testmod::simpleSong("Benchmark", channels, patterns, 64, names);
  for (auto& p : m.patterns)
    for (int row = 4; row < 64; row += 4)
      for (int ch = 0; ch < channels; ++ch) p.notes.push_back({row, ch, 37 + (row + ch * 5) % 36, ch % 8 + 1});
  return m;
}

} // namespace

std::string BusySong(int patterns, int channels) {
  const testmod::Module m = busy(patterns, channels);
  return channels > 32 ? testmod::writeIt(m) : testmod::writeXm(m);
}

std::string BusyMod(int patterns) { return testmod::writeMod(busy(patterns, 4)); }

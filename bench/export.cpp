// Times saving a module as an audio file: the same 8-channel song as the mixing benchmark,
// about a minute long, exported to WAV and to FLAC at 44100 Hz with 8-tap interpolation, five
// rounds each. Prints the median time and how many times faster than real time it is.

#include "music/AudioExport.h"
#include "bench/BusySong.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 5;

} // namespace

int main() {
  TempDir dir;
  TExportJob job;
  job.Module = dir.write("bench.xm", BusySong(8));
  const double songSeconds = 8 * 64 * testmod::rowSeconds(6, 125);
  for (const char* name : {"bench.wav", "bench.flac"}) {
    job.Output = dir.file(name);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
      auto start = std::chrono::steady_clock::now();
      if (TAudioExport::run(job, [](double) { return true; }).Status != TAudioExport::TStatus::Written) {
        std::fprintf(stderr, "the export of %s failed\n", name);
        return 1;
      }
      times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[kRounds / 2];
    std::printf("%-10s %.1f s of music in %.3f s (median of %d): %.0f times real time\n", name,
                songSeconds, median, kRounds, songSeconds / median);
  }
  return 0;
}

// Times saving a module as an audio file: the same 8-channel song as the mixing benchmark,
// about a minute long, exported to WAV and to FLAC at 44100 Hz with 8-tap interpolation, and the
// same song as a 4-channel MOD through the Amiga resampler (the player's automatic choice for
// Amiga formats) and without it, five rounds each; then the background measuring of the same
// songs' loudness and silent end (TLoudnessScan, one core). Prints the median time and how many
// times faster than real time it is.

#include "music/AudioExport.h"
#include "music/LoudnessScan.h"
#include "bench/BusySong.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

} // namespace

int main() {
  TempDir dir;
  struct TCase {
    const char* module;
    std::string data;
    TAmigaResampler amiga;
    const char* output;
  };
  const TCase cases[] = {{"bench.xm", BusySong(8), TAmigaResampler::Automatic, "bench.wav"},
                         {"bench.xm", BusySong(8), TAmigaResampler::Automatic, "bench.flac"},
                         {"bench.mod", BusyMod(8), TAmigaResampler::Automatic, "bench-amiga.wav"},
                         {"bench.mod", BusyMod(8), TAmigaResampler::Off, "bench-plain.wav"}};
  const double songSeconds = 8 * 64 * testmod::rowSeconds(6, 125);
  // The median time of kRounds runs of `work`; -1 when one fails.
  auto median = [](const auto& work) {
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
      auto start = std::chrono::steady_clock::now();
      if (!work()) return -1.0;
      times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[kRounds / 2];
  };
  for (const TCase& c : cases) {
    TExportJob job;
    job.Module = dir.write(c.module, c.data);
    job.Render.Amiga = c.amiga;
    job.Output = dir.file(c.output);
    const double time =
        median([&] { return TAudioExport::run(job, [](double) { return true; }).Status == TAudioExport::TStatus::Written; });
    if (time < 0) {
      std::fprintf(stderr, "the export of %s failed\n", c.output);
      return 1;
    }
    std::printf("%-16s %.1f s of music in %.3f s (median of %d): %.0f times real time\n", c.output, songSeconds, time,
                kRounds, songSeconds / time);
  }
  const std::atomic<bool> go{false};
  for (const TCase& c : {cases[0], cases[2]}) {
    TRenderOptions options;
    options.Amiga = c.amiga;
    const std::string path = dir.write(c.module, c.data);
    const double time = median([&] { return !TLoudnessScan::measure(path, options, 44100, go).empty(); });
    std::printf("loudness of %-9s %.1f s of music measured in %.3f s (median of %d): %.0f times real time\n", c.module,
                songSeconds, time, kRounds, songSeconds / time);
  }
  return 0;
}

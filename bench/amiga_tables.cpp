// Times what every module load costs with the default sound settings: turning libopenmpt's
// Amiga resampler on for a freshly loaded MOD, which builds its tables. Measured in a plain
// process, then after a QApplication has been made (whose libraries can leave the upper halves
// of the AVX registers in use, which slows that work down on many x86 processors), once
// straight through libopenmpt as the player used to and once through the player's own call,
// which clears that state first. Prints the median of kRounds fresh modules for each.

#include "music/MidasSong.h"
#include "tests/support/ModuleWriter.h"

#include <libopenmpt/libopenmpt.hpp>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 9;

double medianMilliseconds(const std::function<void()>& work) {
  std::vector<double> times;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[kRounds / 2];
}

} // namespace

int main(int argc, char** argv) {
  const std::string data = testmod::writeMod(testmod::simpleSong("Bench", 4, 4, 64, {"Lead", "Bass"}));
  auto straight = [&] {
    openmpt::module module(data.data(), data.size());
    module.ctl_set_boolean("render.resampler.emulate_amiga", true);
  };
  auto player = [&] {
    TMidasSong song(data);
    song.setRenderOptions(TRenderOptions{});
  };
  // The first load pays for what libopenmpt sets up once per process.
  straight();
  std::printf("plain process:            %.1f ms\n", medianMilliseconds(straight));
  QApplication app(argc, argv);
  std::printf("after QApplication:       %.1f ms straight through libopenmpt\n", medianMilliseconds(straight));
  std::printf("                          %.1f ms through the player (load and options)\n",
              medianMilliseconds(player));
  return 0;
}

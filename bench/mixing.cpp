// Times the sound library's own mixing path against bare libopenmpt on the same generated
// module: 60 s of an 8-channel song at 44100 Hz, 16-bit stereo, 8-tap interpolation, in the
// device's 2048-frame buffers. Prints both times, their ratio and the share of one core that
// playing in real time takes; then the same for a 4-channel MOD through the Amiga resampler
// (automatic for Amiga formats) and without it.

#include "music/MidasMixer.h"
#include "music/MidasSong.h"
#include "bench/BusySong.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 2048;
constexpr double kSeconds = 60.0;
constexpr int kRounds = 5;

template <typename Render> double secondsFor(Render render) {
  const int buffers = static_cast<int>(kSeconds * kRate / kFrames);
  auto start = std::chrono::steady_clock::now();
  for (int b = 0; b < buffers; ++b) render();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double libraryPath(const std::string& data, TAmigaResampler amiga = TAmigaResampler::Automatic) {
  TMidasSong song(data);
  TRenderOptions options;
  options.Amiga = amiga;
  song.setRenderOptions(options);
  song.start(true);
  TMidasMixer mixer({kRate, 2, 16});
  std::vector<TMidasSong*> playing{&song};
  std::vector<uint8_t> out(kFrames * 4);
  std::mutex lock; // the audio callback takes the library's lock around each buffer
  return secondsFor([&] {
    std::lock_guard guard(lock);
    mixer.mix(playing, out.data(), out.size());
  });
}

double barePath(const std::string& data) {
  openmpt::module mod(data.data(), data.size());
  mod.set_repeat_count(-1);
  mod.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 8);
  std::vector<int16_t> out(kFrames * 2);
  return secondsFor([&] { mod.read_interleaved_stereo(kRate, kFrames, out.data()); });
}

} // namespace

int main() {
  const std::string data = BusySong(4);
  double library = 1e9, bare = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    library = std::min(library, libraryPath(data));
    bare = std::min(bare, barePath(data));
  }
  std::printf("mixing %.0f s of an 8-channel module, 44100 Hz 16-bit stereo, 8-tap (best of %d)\n",
              kSeconds, kRounds);
  std::printf("  sound library: %8.3f s\n", library);
  std::printf("  bare libopenmpt: %6.3f s\n", bare);
  std::printf("  ratio:          %7.3f\n", library / bare);
  std::printf("  real-time playback takes %.2f %% of one core\n", 100.0 * library / kSeconds);
  const std::string mod = BusyMod(4);
  for (auto [amiga, name] : {std::pair{TAmigaResampler::Automatic, "Amiga resampler"}, {TAmigaResampler::Off, "no Amiga resampler"}}) {
    double seconds = 1e9;
    for (int round = 0; round < kRounds; ++round) seconds = std::min(seconds, libraryPath(mod, amiga));
    std::printf("a 4-channel MOD, %s: %.3f s, %.2f %% of one core in real time\n", name, seconds,
                100.0 * seconds / kSeconds);
  }
  return 0;
}

#include "music/LoudnessScan.h"

#include "music/MidasSong.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

// Silence is what stays under -70 dBFS.
constexpr float kSilence = 3.1622777e-4f;

struct DestroyMeter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

} // namespace

int32_t TLoudnessScan::gainFor(double loudness) {
  return static_cast<int32_t>(std::lround(100.0 * std::clamp(kTarget - loudness, -kMostGain, kMostGain)));
}

std::vector<TSongLevel> TLoudnessScan::measure(const std::string& path, const TRenderOptions& options, int32_t rate,
                                               const std::atomic<bool>& stop) {
  std::unique_ptr<TMidasSong> song = TMidasSong::fromFile(path);
  song->setRenderOptions(options);
  std::vector<TSongLevel> levels;
  const auto subsongs = static_cast<int32_t>(song->details().Subsongs.size());
  std::vector<float> piece(static_cast<std::size_t>(rate / 10) * 2);
  for (int32_t subsong = 0; subsong < subsongs && !stop; ++subsong) {
    std::unique_ptr<ebur128_state, DestroyMeter> meter(ebur128_init(2, static_cast<unsigned long>(rate), EBUR128_MODE_I));
    if (!meter) throw std::runtime_error("the loudness meter could not be made");
    song->selectSubsong(subsong);
    song->start(false);
    uint64_t frames = 0, lastSound = 0;
    while (std::size_t got = song->renderPass(rate, 2, piece.data(), piece.size() / 2)) {
      if (stop) return levels;
      ebur128_add_frames_float(meter.get(), piece.data(), got);
      for (std::size_t f = got; f-- > 0;)
        if (std::fabs(piece[2 * f]) > kSilence || std::fabs(piece[2 * f + 1]) > kSilence) {
          lastSound = frames + f + 1;
          break;
        }
      frames += got;
    }
    double loudness = TSongLevel::kSilent;
    if (ebur128_loudness_global(meter.get(), &loudness) != EBUR128_SUCCESS || !std::isfinite(loudness))
      loudness = TSongLevel::kSilent;
    levels.push_back({std::max(loudness, TSongLevel::kSilent), static_cast<double>(lastSound) / rate,
                      static_cast<double>(frames) / rate});
  }
  return levels;
}

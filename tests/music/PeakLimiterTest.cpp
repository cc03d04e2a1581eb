#include "music/PeakLimiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;

// Stereo: a tone at half scale, with a burst at 1.6 times full scale from 0.5 s to 0.6 s and a
// single loud sample at 1.0 s.
std::vector<float> toneWithPeaks(std::size_t frames) {
  std::vector<float> samples(frames * 2);
  for (std::size_t f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / kRate;
    const double level = t >= 0.5 && t < 0.6 ? 1.6 : 0.5;
    const auto value = static_cast<float>(level * std::sin(2 * std::numbers::pi * 440 * t));
    samples[2 * f] = value;
    samples[2 * f + 1] = -0.8f * value;
  }
  samples[2 * kRate] = 1.3f;
  return samples;
}

// What comes out is what went in, latency() frames later, times one gain a frame for both
// channels: never above the ceiling, 1 away from the peaks (so quiet music is untouched), just
// what the loudest sample needs at it, falling no faster than a straight line over the
// look-ahead (no click) and rising back slowly (no pumping).
TEST(PeakLimiterTest, LimitsPeaksAheadAndLeavesTheRest) {
  TPeakLimiter limiter(2, kRate);
  const std::size_t latency = limiter.latency();
  ASSERT_GE(latency, 100u);
  const std::vector<float> in = toneWithPeaks(5 * kRate / 2);
  std::vector<float> out(in.size());
  limiter.process(in.data(), out.data(), in.size() / 2);
  for (std::size_t s = 0; s < 2 * latency; ++s) ASSERT_EQ(out[s], 0.0f);

  double least = 1, previous = 1, steepest = 0;
  std::size_t previousFrame = latency;
  for (std::size_t f = latency; f < in.size() / 2; ++f) {
    const float left = in[2 * (f - latency)], right = in[2 * (f - latency) + 1];
    ASSERT_LE(std::fabs(out[2 * f]), TPeakLimiter::kCeiling) << "frame " << f;
    ASSERT_LE(std::fabs(out[2 * f + 1]), TPeakLimiter::kCeiling) << "frame " << f;
    if (std::fabs(left) < 0.05f) continue;
    const double gain = out[2 * f] / left;
    ASSERT_NEAR(out[2 * f + 1], gain * right, 1e-6) << "frame " << f;
    ASSERT_LE(gain, 1.0);
    least = std::min(least, gain);
    steepest = std::max(steepest, (previous - gain) / static_cast<double>(f - previousFrame));
    previous = gain;
    previousFrame = f;
    const double t = static_cast<double>(f - latency) / kRate;
    if (t < 0.49 || t > 1.9) {
      ASSERT_EQ(gain, 1.0) << "frame " << f;
    }
    // Rising back over tens of milliseconds after the burst, not in a few.
    if (t > 0.63 && t < 0.64) {
      ASSERT_LT(gain, 0.9) << "frame " << f;
    }
  }
  EXPECT_NEAR(least, TPeakLimiter::kCeiling / 1.6, 0.01);
  // The gain falls over the look-ahead in steps of at most (1 - least) / latency a frame.
  EXPECT_LT(steepest, 1.01 * (1 - least) / static_cast<double>(latency));
}

// Started again from the frames it last took in and the gain reduction it gave, the limiter goes on as if it
// had never stopped: a mixer can rewind it.
TEST(PeakLimiterTest, RestartsWhereItStood) {
  const std::vector<float> in = toneWithPeaks(kRate + kRate / 2);
  TPeakLimiter whole(2, kRate), again(2, kRate);
  std::vector<float> once(in.size()), parted(in.size());
  whole.process(in.data(), once.data(), in.size() / 2);
  // Into the burst, at 0.55 s, where the gain is falling and rising.
  const std::size_t cut = kRate * 55 / 100;
  again.process(in.data(), parted.data(), cut);
  const float reduction = again.reduction();
  const std::size_t recent = 2 * again.latency() + 1;
  TPeakLimiter restarted(2, kRate);
  restarted.process(in.data(), parted.data(), 1000);
  restarted.restart(in.data() + 2 * (cut - recent), recent, reduction);
  restarted.process(in.data() + 2 * cut, parted.data() + 2 * cut, in.size() / 2 - cut);
  for (std::size_t s = 2 * cut; s < in.size(); ++s) ASSERT_FLOAT_EQ(parted[s], once[s]) << "sample " << s;
}

} // namespace

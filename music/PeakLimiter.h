#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A look-ahead peak limiter: float frames (full scale 1.0) go in and come out latency() frames
// later, scaled so that no sample exceeds kCeiling. Music that stays at or under the ceiling
// passes unchanged, sample for sample; ahead of a sample that would exceed it the gain falls in a
// straight line over latency() frames to just what that sample needs, then rises back with a
// time constant of 80 ms, so that loud passages are not pumped. Both channels get the same gain.
// Not thread-safe: one mixing thread or one export uses it.
class TPeakLimiter {
public:
  // -0.3 dBFS: a 16-bit sample of the output stays below 31,700.
  static constexpr float kCeiling = 0.966f;

  // For `channels` (1 or 2) interleaved channels at `rate` Hz.
  TPeakLimiter(int channels, int32_t rate);

  // Frames between a frame going in and the same frame coming out: 3 ms.
  std::size_t latency() const { return m_lookahead; }
  // Takes `frames` frames of `in` in and puts the frames that come out into `out` (which may be
  // `in`).
  void process(const float* in, float* out, std::size_t frames) { process(in, in, out, frames); }
  // The same, with the gain worked out from `key` (as many frames) instead: the gain the whole
  // mix needs, given to one part of it, so that the parts still sum to the limited mix.
  void process(const float* in, const float* key, float* out, std::size_t frames);
  // How far under 1 the gain of the last frame that came out was (0 while nothing is limited).
  float reduction() const { return m_reduction; }
  // Starts again as if the `frames` frames of `recent` (interleaved, the newest last) were the
  // last taken in and `reduction` that of the last frame given out: the state the limiter had
  // there, when `recent` holds at least 2 x latency() + 1 frames of what it was given, silence
  // before the first frame counting as given.
  void restart(const float* recent, std::size_t frames, float reduction);
  // Silence in, nothing limited.
  void reset();

private:
  // Gains are summed in fixed point, so that a sum taken again from the same values is the same.
  static constexpr int64_t kOne = int64_t{1} << 24;

  void take(const float* frame, const float* key, float* out);
  // Delays `frames` frames while nothing is limited.
  void pass(const float* in, float* out, std::size_t frames);

  const std::size_t m_channels;
  const std::size_t m_lookahead;
  const float m_release; // share of the way back to 1 the gain goes each frame
  uint64_t m_taken = 0;  // frames taken in
  // The frames waiting to come out: a ring of m_lookahead frames, the next out at m_delayAt.
  std::vector<float> m_delay;
  std::size_t m_delayAt = 0;
  // The gain each of the frames of the look-ahead window needs, as a rising run of (frame, gain)
  // whose front is the least: the window's minimum (a ring of m_lookahead + 1 entries).
  std::vector<uint64_t> m_runFrames;
  std::vector<int64_t> m_runGains;
  std::size_t m_runFront = 0;
  std::size_t m_runSize = 0;
  // The window minimums of the last m_lookahead + 1 frames (the oldest at m_slot) and their sum:
  // their mean is the gain.
  std::vector<int64_t> m_minimums;
  std::size_t m_slot = 0;
  int64_t m_sum = 0;
  const double m_meanScale; // 1 / (kOne x the window)
  float m_reduction = 0.0f;
};

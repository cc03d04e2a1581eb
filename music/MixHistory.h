#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The last second or so of what the mixer summed (interleaved floats, before its limiter), where
// its blocks ended and the limiter's gain reduction at each end: what an output still holds can then be
// dropped back to the end of a block, the limiter put back as it stood there and the sound that
// was there faded into what replaces it. Not thread-safe (the mixing thread's).
class TMixHistory {
public:
  // Keeps `frames` frames (at least one) of `channels` channels.
  TMixHistory(int channels, std::size_t frames);

  // One block of `frames` frames just mixed, after which the limiter's gain reduction was
  // `reduction`.
  void append(const float* samples, std::size_t frames, float reduction);
  // How many of the last frames to drop, at most `most`, so that what stays ends where a kept
  // block ended; 0 when no such end is kept.
  std::size_t dropPoint(std::size_t most) const;
  // Drops the last `frames` frames (a dropPoint) and copies the first `count` of them, as far as
  // there are, into `out`; returns how many it copied.
  std::size_t drop(std::size_t frames, float* out, std::size_t count);
  // The last frame mixed (silence before the first).
  const float* lastFrame() const { return m_last.data(); }
  // The limiter's gain reduction after the last block kept (0 before the first).
  float lastReduction() const { return m_count > 0 ? m_reductions[(m_next + kEnds - 1) % kEnds] : 0.0f; }
  // Copies the last `frames` frames into `out`, silence for those before the oldest kept.
  void copyLast(std::size_t frames, float* out) const;
  void clear();

private:
  const int m_channels;
  const std::size_t m_capacity;   // frames
  std::vector<float> m_samples; // a ring of m_capacity frames
  uint64_t m_total = 0;         // frames appended less frames dropped
  std::array<float, 2> m_last{};
  // Where the latest blocks ended, as m_total stood then: a ring, newest at m_ends[m_next - 1].
  static constexpr std::size_t kEnds = 1024;
  std::array<uint64_t, kEnds> m_ends{};
  std::array<float, kEnds> m_reductions{};
  std::size_t m_next = 0;
  std::size_t m_count = 0;
};

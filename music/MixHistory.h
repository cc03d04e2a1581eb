#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The last second or so of what the mixer gave the output, 16-bit interleaved, and where its
// blocks ended: what an output still holds can then be dropped back to the end of a block and
// the sound that was there faded into what replaces it. Not thread-safe (the mixing thread's).
class TMixHistory {
public:
  // Keeps `frames` frames (at least one) of `channels` channels.
  TMixHistory(int channels, std::size_t frames);

  // One block of `frames` frames just mixed.
  void append(const int16_t* samples, std::size_t frames);
  // How many of the last frames to drop, at most `most`, so that what stays ends where a kept
  // block ended; 0 when no such end is kept.
  std::size_t dropPoint(std::size_t most) const;
  // Drops the last `frames` frames (a dropPoint) and copies the first `count` of them, as far as
  // there are, into `out`; returns how many it copied.
  std::size_t drop(std::size_t frames, int16_t* out, std::size_t count);
  // The last frame mixed (silence before the first).
  const int16_t* lastFrame() const { return m_last.data(); }
  void clear();

private:
  const int m_channels;
  const std::size_t m_capacity;   // frames
  std::vector<int16_t> m_samples; // a ring of m_capacity frames
  uint64_t m_total = 0;           // frames appended less frames dropped
  std::array<int16_t, 2> m_last{};
  // Where the latest blocks ended, as m_total stood then: a ring, newest at m_ends[m_next - 1].
  static constexpr std::size_t kEnds = 1024;
  std::array<uint64_t, kEnds> m_ends{};
  std::size_t m_next = 0;
  std::size_t m_count = 0;
};

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The last N values of something that changes as the output is mixed block by block, each with
// the output frame that ends its block, so that a reader can pick the value of the frame being
// heard while the output still holds later ones. Not thread-safe.
template <typename T, std::size_t N>
class TFrameRing {
public:
  // `value` as it stands after the block that ends at output frame `frame`; the oldest value
  // kept goes when N are.
  void push(const T& value, uint64_t frame) {
    m_values[m_next] = value;
    m_frames[m_next] = frame;
    m_next = (m_next + 1) % N;
    if (m_count < N) ++m_count;
  }

  // The value of the newest block ending at or before `frame`, or the oldest kept when all end
  // later; null when none is kept.
  const T* at(uint64_t frame) const {
    if (m_count == 0) return nullptr;
    // From the newest back to the oldest.
    std::size_t index = (m_next + N - 1) % N;
    for (std::size_t seen = 1; seen < m_count && m_frames[index] > frame; ++seen) index = (index + N - 1) % N;
    return &m_values[index];
  }

  // Forgets the values of blocks ending after `frame`: the output dropped them.
  void dropAfter(uint64_t frame) {
    while (m_count > 0 && m_frames[(m_next + N - 1) % N] > frame) {
      m_next = (m_next + N - 1) % N;
      --m_count;
    }
  }

  void clear() {
    m_count = 0;
    m_next = 0;
  }

private:
  std::array<T, N> m_values{};
  std::array<uint64_t, N> m_frames{};
  std::size_t m_next = 0;
  std::size_t m_count = 0;
};

#include "music/MixHistory.h"

#include <algorithm>

TMixHistory::TMixHistory(int channels, std::size_t frames)
    : m_channels(channels), m_capacity(std::max<std::size_t>(1, frames)),
      m_samples(m_capacity * static_cast<std::size_t>(channels)) {}

void TMixHistory::append(const float* samples, std::size_t frames, float reduction) {
  if (frames == 0) return;
  const auto channels = static_cast<std::size_t>(m_channels);
  // Only the newest m_capacity frames matter.
  const std::size_t skip = frames > m_capacity ? frames - m_capacity : 0;
  // In at most two runs: up to the end of the ring, then from its start.
  for (std::size_t f = skip; f < frames;) {
    const std::size_t at = static_cast<std::size_t>((m_total + f) % m_capacity);
    const std::size_t run = std::min(frames - f, m_capacity - at);
    std::copy_n(samples + f * channels, run * channels, m_samples.begin() + static_cast<std::ptrdiff_t>(at * channels));
    f += run;
  }
  std::copy_n(samples + (frames - 1) * channels, channels, m_last.begin());
  m_total += frames;
  m_ends[m_next] = m_total;
  m_reductions[m_next] = reduction;
  m_next = (m_next + 1) % kEnds;
  m_count = std::min(m_count + 1, kEnds);
}

std::size_t TMixHistory::dropPoint(std::size_t most) const {
  const uint64_t oldest = m_total > m_capacity ? m_total - m_capacity : 0;
  const uint64_t earliest = m_total > most ? m_total - most : 0;
  // From the newest end back, the earliest one not before `earliest` and still held.
  std::size_t best = 0;
  std::size_t index = m_next;
  for (std::size_t seen = 0; seen < m_count; ++seen) {
    index = (index + kEnds - 1) % kEnds;
    const uint64_t end = m_ends[index];
    if (end < earliest || end < oldest) break;
    best = static_cast<std::size_t>(m_total - end);
  }
  return best;
}

std::size_t TMixHistory::drop(std::size_t frames, float* out, std::size_t count) {
  frames = std::min<uint64_t>(frames, std::min<uint64_t>(m_total, m_capacity));
  const uint64_t from = m_total - frames;
  const auto channels = static_cast<std::size_t>(m_channels);
  const std::size_t copied = std::min(count, frames);
  for (std::size_t f = 0; f < copied; ++f) {
    const std::size_t at = ((from + f) % m_capacity) * channels;
    std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(at), channels, out + f * channels);
  }
  m_total = from;
  while (m_count > 0 && m_ends[(m_next + kEnds - 1) % kEnds] > m_total) {
    m_next = (m_next + kEnds - 1) % kEnds;
    --m_count;
  }
  if (m_total > 0) {
    const std::size_t at = ((m_total - 1) % m_capacity) * channels;
    std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(at), channels, m_last.begin());
  } else {
    m_last.fill(0);
  }
  return copied;
}

void TMixHistory::copyLast(std::size_t frames, float* out) const {
  const auto channels = static_cast<std::size_t>(m_channels);
  const uint64_t kept = std::min<uint64_t>(m_total, m_capacity);
  const std::size_t silent = frames > kept ? static_cast<std::size_t>(frames - kept) : 0;
  std::fill_n(out, silent * channels, 0.0f);
  for (std::size_t f = silent; f < frames; ++f) {
    const std::size_t at = ((m_total - frames + f) % m_capacity) * channels;
    std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(at), channels, out + f * channels);
  }
}

void TMixHistory::clear() {
  m_total = 0;
  m_next = 0;
  m_count = 0;
  m_last.fill(0);
}

#include "music/PlayViewRing.h"

void TPlayViewRing::publish(const TPlayView& view, uint64_t frame) {
  std::unique_lock lock(m_lock, std::try_to_lock);
  if (!lock) return;
  m_views[m_next] = view;
  m_frames[m_next] = frame;
  m_next = (m_next + 1) % kSize;
  if (m_count < kSize) ++m_count;
}

std::optional<TPlayView> TPlayViewRing::at(uint64_t frame) {
  std::lock_guard lock(m_lock);
  if (m_count == 0) return {};
  // From the newest back to the oldest.
  std::size_t index = (m_next + kSize - 1) % kSize;
  for (std::size_t seen = 1; seen < m_count && m_frames[index] > frame; ++seen)
    index = (index + kSize - 1) % kSize;
  return m_views[index];
}

void TPlayViewRing::clear() {
  std::lock_guard lock(m_lock);
  m_count = 0;
  m_next = 0;
}

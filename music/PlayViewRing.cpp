#include "music/PlayViewRing.h"

void TPlayViewRing::publish(const TPlayView& view, uint64_t frame) {
  std::unique_lock lock(m_lock, std::try_to_lock);
  if (lock) m_views.push(view, frame);
}

std::optional<TPlayView> TPlayViewRing::at(uint64_t frame) {
  std::lock_guard lock(m_lock);
  if (const TPlayView* view = m_views.at(frame)) return *view;
  return {};
}

void TPlayViewRing::clear() {
  std::lock_guard lock(m_lock);
  m_views.clear();
}

void TPlayViewRing::dropAfter(uint64_t frame) {
  std::lock_guard lock(m_lock);
  m_views.dropAfter(frame);
}

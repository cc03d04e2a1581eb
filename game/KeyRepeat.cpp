#include "game/KeyRepeat.h"

#include <algorithm>

void TKeyRepeat::press(double now, double delay, double interval) {
  m_held = true;
  m_next = now + delay;
  m_interval = std::max(interval, 1.0);
}

int TKeyRepeat::take(double now) {
  if (!m_held) return 0;
  m_next = std::max(m_next, now - kCatchUp);
  int steps = 0;
  for (; m_next <= now; m_next += m_interval) ++steps;
  return steps;
}

#include "tools/artgen/Tone.h"

#include <algorithm>
#include <cmath>

QRgb TTone::rgb(double level) const {
  const int l = std::clamp(static_cast<int>(std::lround(level)), 0, TPalette::kRampLevels - 1);
  const TPalette& palette = TPalette::shared();
  return m_ramp ? palette.ramp(*m_ramp, l) : palette.grey(2 * l + 1);
}

QColor TTone::at(double level, int alpha) const {
  QColor c = QColor::fromRgb(rgb(level));
  c.setAlpha(alpha);
  return c;
}

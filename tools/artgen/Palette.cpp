#include "tools/artgen/Palette.h"

#include <cmath>
#include <limits>

namespace {

// A hue ramp runs in straight lines from `dark` (level 0) to `full` (level `fullLevel`) and on
// to `pale` (level 15). Linear steps keep gradients in one ramp free of visible jumps.
struct TRampAnchors {
  QRgb dark;
  int fullLevel;
  QRgb full;
  QRgb pale;
};

constexpr std::array<TRampAnchors, 14> kRamps{{
    {qRgb(40, 4, 6), 10, qRgb(255, 0, 0), qRgb(255, 200, 190)},       // Red
    {qRgb(44, 16, 2), 10, qRgb(255, 128, 0), qRgb(255, 215, 170)},     // Orange
    {qRgb(40, 32, 2), 10, qRgb(255, 220, 0), qRgb(255, 250, 190)},     // Yellow
    {qRgb(0, 0, 10), 6, qRgb(0, 0, 70), qRgb(80, 95, 180)},            // Navy
    {qRgb(2, 30, 6), 10, qRgb(20, 200, 40), qRgb(200, 255, 200)},      // Green
    {qRgb(0, 30, 36), 10, qRgb(0, 220, 240), qRgb(200, 255, 255)},     // Cyan
    {qRgb(4, 10, 48), 10, qRgb(30, 90, 255), qRgb(190, 210, 255)},     // Blue
    {qRgb(24, 4, 40), 10, qRgb(150, 40, 230), qRgb(225, 195, 255)},    // Purple
    {qRgb(40, 2, 28), 10, qRgb(240, 30, 170), qRgb(255, 195, 235)},    // Magenta
    {qRgb(30, 14, 6), 9, qRgb(150, 85, 40), qRgb(240, 205, 160)},      // Brown
    {qRgb(18, 32, 0), 10, qRgb(160, 230, 20), qRgb(230, 255, 180)},    // Lime
    {qRgb(0, 28, 22), 10, qRgb(0, 170, 130), qRgb(180, 245, 225)},     // Teal
    {qRgb(4, 24, 44), 10, qRgb(60, 170, 255), qRgb(205, 235, 255)},    // Sky
    {qRgb(14, 6, 44), 10, qRgb(100, 70, 240), qRgb(205, 200, 255)},    // Violet
}};

int lerp(int from, int to, int step, int steps) {
  return static_cast<int>(std::lround(from + (to - from) * static_cast<double>(step) / steps));
}

QRgb lerp(QRgb from, QRgb to, int step, int steps) {
  return qRgb(lerp(qRed(from), qRed(to), step, steps), lerp(qGreen(from), qGreen(to), step, steps),
              lerp(qBlue(from), qBlue(to), step, steps));
}

QRgb rampColor(const TRampAnchors& r, int level) {
  if (level <= r.fullLevel)
    return lerp(r.dark, r.full, level, r.fullLevel);
  return lerp(r.full, r.pale, level - r.fullLevel, TPalette::kRampLevels - 1 - r.fullLevel);
}

// "Redmean" distance: a cheap weighting of the channels that follows the eye far better than
// plain RGB distance, mostly in the dark blues and greens.
int distance(QRgb a, QRgb b) {
  const int meanRed = (qRed(a) + qRed(b)) / 2;
  const int dr = qRed(a) - qRed(b);
  const int dg = qGreen(a) - qGreen(b);
  const int db = qBlue(a) - qBlue(b);
  return ((512 + meanRed) * dr * dr >> 8) + 4 * dg * dg + ((767 - meanRed) * db * db >> 8);
}

} // namespace

const TPalette& TPalette::shared() {
  static const TPalette palette;
  return palette;
}

TPalette::TPalette() {
  m_colors[kTransparent] = qRgb(0, 0, 0);
  for (int level = 1; level <= kGreyLevels; ++level) {
    const int v = lerp(0, 255, level, kGreyLevels);
    m_colors[greyIndex(level)] = qRgb(v, v, v);
  }
  for (size_t r = 0; r < kRamps.size(); ++r)
    for (int level = 0; level < kRampLevels; ++level)
      m_colors[rampIndex(static_cast<TRamp>(r), level)] = rampColor(kRamps[r], level);
  m_table = QList<QRgb>(m_colors.begin(), m_colors.end());
}

int TPalette::greyIndex(int level) {
  return level < 16 ? level : 224 + level;
}

int TPalette::rampIndex(TRamp ramp, int level) {
  return 16 + kRampLevels * static_cast<int>(ramp) + level;
}

int TPalette::nearest(QRgb rgb, int excluded) const {
  int best = 1;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 1; i < kSize; ++i) {
    const int d = distance(rgb, m_colors[i]);
    if (i != excluded && d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

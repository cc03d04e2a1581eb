#pragma once

#include <QList>
#include <QRgb>

#include <array>

// The hue ramps of the palette, in the order they sit in it.
enum class TRamp {
  Red, Orange, Yellow, Navy, Green, Cyan, Blue, Purple, Magenta, Brown, Lime, Teal, Sky, Violet
};

// The one 256-colour palette that every bitmap of the program shares.
//
//   0         pure black: transparent everywhere; no other entry is pure black
//   1..15     grey levels 1..15 of 31 (dark half of the grey ramp)
//   16..239   14 hue ramps of 16 levels each, dark (level 0) to pale (level 15), in TRamp
//             order; entry 16 + 16 * ramp + level
//   240..255  grey levels 16..31 of 31 (light half; 255 is pure white)
//
// Fixed entries: 70 = (0,0,70), the game field's navy (Navy level 6); 26 = (255,0,0), the key
// colour of the folder-list icons (Red level 10); 255 = white.
class TPalette {
public:
  static constexpr int kSize = 256;
  static constexpr int kTransparent = 0;
  static constexpr int kGreyLevels = 31;
  static constexpr int kRampLevels = 16;
  static constexpr int kFieldNavy = 70;
  static constexpr int kPureRed = 26;
  static constexpr int kWhite = 255;

  static const TPalette& shared();

  QRgb color(int index) const { return m_colors[index]; }
  const QList<QRgb>& colorTable() const { return m_table; }

  // Entry and colour of grey level 1 (darkest, not black) .. 31 (white).
  static int greyIndex(int level);
  QRgb grey(int level) const { return color(greyIndex(level)); }
  // Entry and colour of `level` 0..15 of a hue ramp.
  static int rampIndex(TRamp ramp, int level);
  QRgb ramp(TRamp ramp, int level) const { return color(rampIndex(ramp, level)); }

  // The entry among 1..255 that looks nearest to `rgb` (alpha ignored), skipping `excluded`
  // (-1: none). Never 0, so an opaque pixel never turns transparent.
  int nearest(QRgb rgb, int excluded = -1) const;

private:
  TPalette();

  std::array<QRgb, kSize> m_colors{};
  QList<QRgb> m_table;
};

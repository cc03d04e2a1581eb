#pragma once

#include "tools/artgen/Palette.h"

#include <QColor>
#include <QRgb>

#include <optional>

// A 16-level colour ramp of the palette to shade with: one of the hue ramps, or the grey ramp
// taken in steps of two (level 0 = grey 1, level 15 = grey 31). Shading by levels keeps
// every pixel on an exact palette entry.
class TTone {
public:
  static TTone hue(TRamp ramp) { return TTone(ramp); }
  static TTone grey() { return TTone(std::nullopt); }

  // Level `level` (rounded to the nearest of 0..15), as an opaque ARGB value.
  QRgb rgb(double level) const;
  QColor at(double level, int alpha = 255) const;

private:
  explicit TTone(std::optional<TRamp> ramp) : m_ramp(ramp) {}

  std::optional<TRamp> m_ramp;
};

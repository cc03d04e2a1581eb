#pragma once

#include <QImage>
#include <QString>

class TPsfFont;

// The game's lettering: the 8 x 8 font in several colours, and the LED digits of the score
// panel.
class TGameGlyphs {
public:
  static constexpr int kGlyph = 8;
  static constexpr int kFirstCode = 32;
  static constexpr int kCodes = 96; // 32 .. 127
  static constexpr int kGlyphsPerRow = 16;
  static constexpr int kDigitWidth = 16;
  static constexpr int kDigitHeight = 24;

  enum TGlyphSet { Silver, Gold, Green, Cyan, Red, kSets };

  // Every glyph set, one after another, 16 glyphs a row (6 rows a set), each glyph shaded
  // from light at the top to deep at the bottom over a one-pixel shadow.
  static QImage font(const TPsfFont& psf);
  // `text` (codes 32..127) in glyph set `set`, 8 pixels a character, on a transparent picture.
  static QImage text(const TPsfFont& psf, const QString& text, TGlyphSet set);
  // The ten seven-segment digits 0..9, 16 x 24 each, in one row.
  static QImage digits();
};

#pragma once

#include <QByteArray>
#include <QString>

// An 8 x 8 console font in the PSF1 format, as the Linux console keeps them (gzip-compressed
// or plain): 2-byte magic 0x36 0x04, a mode byte, the glyph height in bytes, then 256 (or
// 512) glyphs of one byte a row, the top bit the leftmost pixel.
class TPsfFont {
public:
  static constexpr int kGlyphSize = 8;

  // Reads the font at `path`. Throws std::runtime_error when the file is missing, is no
  // PSF1 font or holds glyphs of another size than 8 x 8.
  static TPsfFont load(const QString& path);

  int glyphCount() const { return m_glyphCount; }
  // Whether pixel (x, y) of glyph `glyph` is set.
  bool pixel(int glyph, int x, int y) const;

private:
  TPsfFont(QByteArray glyphs, int glyphCount);

  QByteArray m_glyphs;
  int m_glyphCount;
};

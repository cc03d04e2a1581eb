#include "tools/artgen/PsfFont.h"

#include <zlib.h>

#include <stdexcept>
#include <utility>

namespace {

constexpr int kHeaderSize = 4;
constexpr unsigned char kMagic0 = 0x36;
constexpr unsigned char kMagic1 = 0x04;
constexpr unsigned char kMode512 = 0x01;

std::runtime_error fontError(const QString& path, const char* what) {
  return std::runtime_error("console font " + path.toStdString() + ": " + what);
}

// The whole file, unpacked when it is gzip-compressed (zlib reads plain files unchanged).
QByteArray readAll(const QString& path) {
  gzFile file = gzopen(path.toLocal8Bit().constData(), "rb");
  if (!file)
    throw fontError(path, "cannot be opened (it comes with the package console-setup-linux)");
  QByteArray data;
  char buffer[16384];
  int count;
  while ((count = gzread(file, buffer, sizeof buffer)) > 0)
    data.append(buffer, count);
  const bool failed = count < 0;
  gzclose(file);
  if (failed)
    throw fontError(path, "cannot be read");
  return data;
}

} // namespace

TPsfFont TPsfFont::load(const QString& path) {
  const QByteArray data = readAll(path);
  const auto byte = [&](int i) { return static_cast<unsigned char>(data[i]); };
  if (data.size() < kHeaderSize || byte(0) != kMagic0 || byte(1) != kMagic1)
    throw fontError(path, "is no PSF1 font");
  if (byte(3) != kGlyphSize)
    throw fontError(path, "holds no 8 x 8 glyphs");
  const int count = (byte(2) & kMode512) ? 512 : 256;
  if (data.size() < kHeaderSize + count * kGlyphSize)
    throw fontError(path, "is cut short");
  return TPsfFont(data.mid(kHeaderSize, count * kGlyphSize), count);
}

TPsfFont::TPsfFont(QByteArray glyphs, int glyphCount)
    : m_glyphs(std::move(glyphs)), m_glyphCount(glyphCount) {}

bool TPsfFont::pixel(int glyph, int x, int y) const {
  const auto row = static_cast<unsigned char>(m_glyphs[glyph * kGlyphSize + y]);
  return (row >> (7 - x)) & 1;
}

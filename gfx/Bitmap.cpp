#include "gfx/Bitmap.h"

#include <QFile>
#include <QImage>

#include <stdexcept>

uint32_t TBitmap::color(int32_t x, int32_t y) const {
  std::size_t at = static_cast<std::size_t>(y) * width + x;
  if (!indexed()) return rgb[at];
  uint8_t index = indexes[at];
  return index < colorTable.size() ? colorTable[index] : 0;
}

TBitmap TBitmap::fromFile(const std::string& path) {
  QImage image(QFile::decodeName(QByteArray::fromStdString(path)), "BMP");
  if (image.isNull()) throw std::runtime_error("Cannot read bitmap " + path);
  TBitmap b;
  b.width = image.width();
  b.height = image.height();
  if (image.format() == QImage::Format_Indexed8) {
    for (QRgb c : image.colorTable()) b.colorTable.push_back(c & 0xFFFFFF);
    b.indexes.reserve(static_cast<std::size_t>(b.width) * b.height);
    for (int y = 0; y < b.height; ++y) {
      const uchar* line = image.constScanLine(y);
      b.indexes.insert(b.indexes.end(), line, line + b.width);
    }
    return b;
  }
  QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  b.rgb.reserve(static_cast<std::size_t>(b.width) * b.height);
  for (int y = 0; y < b.height; ++y) {
    auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < b.width; ++x) b.rgb.push_back(line[x] & 0xFFFFFF);
  }
  return b;
}

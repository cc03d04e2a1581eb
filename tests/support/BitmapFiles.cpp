#include "tests/support/BitmapFiles.h"

#include <QImage>

#include <stdexcept>

std::string writeIndexedBitmap(const std::string& path, int width, int height,
                               const std::vector<uint32_t>& table,
                               const std::function<uint8_t(int x, int y)>& pixel) {
  QImage image(width, height, QImage::Format_Indexed8);
  QList<QRgb> colors;
  for (uint32_t c : table) colors.push_back(0xFF000000u | c);
  image.setColorTable(colors);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, pixel(x, y));
  if (!image.save(QString::fromStdString(path), "BMP")) throw std::runtime_error("Cannot write " + path);
  return path;
}

#include "tools/artgen/BitmapWriter.h"

#include "tools/artgen/Quantiser.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <stdexcept>
#include <utility>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr int kColorTableSize = 256 * 4;
constexpr int32_t kPixelsPerMetre = 2835; // 72 dpi

void put16(QByteArray& out, uint16_t v) {
  out.append(static_cast<char>(v & 0xff)).append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v & 0xffff));
  put16(out, static_cast<uint16_t>(v >> 16));
}

// The whole file: headers, the 256 colours as blue, green, red, 0, then the rows bottom-up,
// each padded with zeros to a multiple of 4 bytes.
QByteArray bmpFile(const QImage& indexed) {
  const int stride = (indexed.width() + 3) & ~3;
  const int offset = kFileHeaderSize + kInfoHeaderSize + kColorTableSize;
  const int imageSize = stride * indexed.height();
  QByteArray out;
  out.reserve(offset + imageSize);
  out.append("BM");
  put32(out, offset + imageSize);
  put32(out, 0); // reserved
  put32(out, offset);
  put32(out, kInfoHeaderSize);
  put32(out, indexed.width());
  put32(out, indexed.height()); // positive: bottom-up
  put16(out, 1);                // planes
  put16(out, 8);                // bits per pixel
  put32(out, 0);                // BI_RGB
  put32(out, imageSize);
  put32(out, kPixelsPerMetre);
  put32(out, kPixelsPerMetre);
  put32(out, 256); // colours used
  put32(out, 0);   // all of them important
  const QList<QRgb> table = indexed.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb c = i < table.size() ? table[i] : 0;
    out.append(static_cast<char>(qBlue(c))).append(static_cast<char>(qGreen(c)));
    out.append(static_cast<char>(qRed(c))).append('\0');
  }
  for (int y = indexed.height() - 1; y >= 0; --y) {
    out.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), indexed.width());
    out.append(stride - indexed.width(), '\0');
  }
  return out;
}

} // namespace

TBitmapWriter::TBitmapWriter(QString folder) : m_folder(std::move(folder)) {}

void TBitmapWriter::write(const QString& name, const QImage& image) const {
  save(name, TQuantiser::toIndexed(image));
}

void TBitmapWriter::writeKeyed(const QString& name, const QImage& image, QRgb key) const {
  save(name, TQuantiser::toIndexed(image, key));
}

// Written by hand rather than by Qt's BMP writer, whose row padding is left uninitialised:
// the same drawing must give the same bytes on every build.
void TBitmapWriter::save(const QString& name, const QImage& indexed) const {
  const QString path = QDir(m_folder).filePath(name);
  const QByteArray bytes = bmpFile(indexed);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    throw std::runtime_error("Unable to write " + path.toStdString());
}

#include "tools/artgen/ArtPreview.h"

#include "tools/artgen/Palette.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kMargin = 16;
constexpr int kPad = 4;      // navy round each bitmap
constexpr int kCaption = 16; // caption line under it
constexpr int kMinSheetWidth = 1000;
const QColor kSheet(34, 34, 36);
const QColor kCaptionColour(200, 200, 205);

// The bitmap as the game shows it: entry 0 transparent.
QImage loadBitmap(const QString& path) {
  QImage image(path);
  if (image.isNull())
    throw std::runtime_error("Unable to read " + path.toStdString());
  if (image.format() == QImage::Format_Indexed8) {
    QList<QRgb> table = image.colorTable();
    table[TPalette::kTransparent] = qRgba(0, 0, 0, 0);
    image.setColorTable(table);
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct TTile {
  QString name;
  QImage image;
  QPoint at;
};

} // namespace

void TArtPreview::write(const QString& folder, const QStringList& names, const QString& sheetName) {
  const QDir dir(folder);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  const QFontMetrics metrics(font);

  std::vector<TTile> tiles;
  int width = kMinSheetWidth;
  for (const QString& name : names) {
    QImage image = loadBitmap(dir.filePath(name));
    width = std::max(width, image.width() + 2 * kPad + 2 * kMargin);
    tiles.push_back({name, std::move(image), {}});
  }
  // Rows filled left to right, as many tiles as fit.
  int x = kMargin, y = kMargin, rowHeight = 0;
  for (TTile& t : tiles) {
    const int w = std::max(t.image.width() + 2 * kPad, metrics.horizontalAdvance(t.name));
    const int h = t.image.height() + 2 * kPad + kCaption;
    if (x > kMargin && x + w > width - kMargin) {
      x = kMargin;
      y += rowHeight + kMargin;
      rowHeight = 0;
    }
    t.at = {x, y};
    x += w + kMargin;
    rowHeight = std::max(rowHeight, h);
  }

  QImage sheet(width, y + rowHeight + kMargin, QImage::Format_ARGB32);
  sheet.fill(kSheet);
  QPainter p(&sheet);
  p.setFont(font);
  p.setPen(kCaptionColour);
  const QColor navy = QColor::fromRgb(TPalette::shared().color(TPalette::kFieldNavy));
  for (const TTile& t : tiles) {
    p.fillRect(QRect(t.at, t.image.size() + QSize(2 * kPad, 2 * kPad)), navy);
    p.drawImage(t.at + QPoint(kPad, kPad), t.image);
    p.drawText(t.at + QPoint(0, t.image.height() + 2 * kPad + metrics.ascent() + 2), t.name);
  }
  p.end();
  const QString path = dir.filePath(sheetName);
  if (!sheet.save(path, "PNG"))
    throw std::runtime_error("Unable to write " + path.toStdString());
}

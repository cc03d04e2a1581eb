#include "controls/Bitmaps.h"

#include "platform/filesys.h"

#include <QBitmap>
#include <QFile>
#include <QImage>

QPixmap LoadBitmap(const std::string& fileName) {
  return QPixmap(QFile::decodeName(QByteArray::fromStdString(ProgramDir() + fileName)), "BMP");
}

QPixmap LoadTransparentBitmap(const std::string& fileName) {
  QPixmap pixmap = LoadBitmap(fileName);
  if (!pixmap.isNull()) pixmap.setMask(pixmap.createMaskFromColor(Qt::black));
  return pixmap;
}

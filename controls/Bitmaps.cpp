#include "controls/Bitmaps.h"

#include "platform/filesys.h"

#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QLabel>

QPixmap LoadBitmap(const std::string& fileName) {
  return QPixmap(QFile::decodeName(QByteArray::fromStdString(DataDir() + fileName)), "BMP");
}

QPixmap LoadTransparentBitmap(const std::string& fileName) {
  QPixmap pixmap = LoadBitmap(fileName);
  if (!pixmap.isNull()) pixmap.setMask(pixmap.createMaskFromColor(Qt::black));
  return pixmap;
}

QLabel* NewPicture(QWidget* parent, const std::string& fileName, QRect where) {
  auto* label = new QLabel(parent);
  label->setPixmap(LoadTransparentBitmap(fileName));
  label->setGeometry(where);
  return label;
}

#pragma once

#include <QImage>
#include <QRgb>
#include <QString>

// Saves drawn pictures as the program's bitmaps: quantised to the shared palette (see
// TQuantiser) and written as 8-bit BMP files (BI_RGB, 256-entry colour table) into one folder.
class TBitmapWriter {
public:
  explicit TBitmapWriter(QString folder);

  // Saves `image` as `name` in the folder. Throws std::runtime_error when it cannot.
  void write(const QString& name, const QImage& image) const;
  // The same for a picture on a key colour: only pixels of exactly `key` get its entry.
  void writeKeyed(const QString& name, const QImage& image, QRgb key) const;

private:
  void save(const QString& name, const QImage& indexed) const;

  QString m_folder;
};

#pragma once

#include <QString>
#include <QStringList>

// A contact sheet of bitmaps already written to a folder: each at 1x on the game field's
// navy, captioned with its file name, on a dark neutral sheet, saved as a 32-bit PNG.
class TArtPreview {
public:
  // Throws std::runtime_error when a bitmap cannot be read or the sheet cannot be written.
  static void write(const QString& folder, const QStringList& names, const QString& sheetName);
};

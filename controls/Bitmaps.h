#pragma once

#include <QPixmap>
#include <QRect>
#include <string>

// The program's bitmaps, which the build writes beside the executable.

// The bitmap `fileName` from the program's data folder, or a null pixmap when it is missing.
QPixmap LoadBitmap(const std::string& fileName);

// The same with palette entry 0 (pure black) transparent, as every picture of the program
// draws it.
QPixmap LoadTransparentBitmap(const std::string& fileName);

class QLabel;
class QWidget;

// A label on `parent` at `where` showing the program's bitmap `fileName`, black transparent.
QLabel* NewPicture(QWidget* parent, const std::string& fileName, QRect where);

#pragma once

#include <QString>

class TBitmapWriter;

// The pictures of the main window and the dialogs: the main picture, the tool buttons, the
// graphic push buttons, the folder-list icons and the dialog pictures.
class TUiArt {
public:
  static void writeAll(const TBitmapWriter& writer);
  // The program's icon for the desktop, as full-colour PNG files of 16 to 256 pixels in the
  // hicolor theme's layout below `folder` (icons/hicolor/<n>x<n>/apps/<name>.png). Throws
  // std::runtime_error when a file cannot be written.
  static void writeDesktopIcons(const QString& folder, const QString& name);
};

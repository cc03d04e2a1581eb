#pragma once

class TBitmapWriter;

// The pictures of the main window and the dialogs: the main picture, the tool buttons, the
// graphic push buttons, the folder-list icons and the dialog pictures.
class TUiArt {
public:
  static void writeAll(const TBitmapWriter& writer);
};

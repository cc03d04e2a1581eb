#pragma once

#include <QString>

class TBitmapWriter;

// The pictures of the puzzle game: cubes, the animated well, bubbles, the explosion, the
// console panels and signs, the 8 x 8 font and the LED digits; and a contact sheet of them
// all, art-preview.png, to judge them by eye.
class TGameArt {
public:
  // Writes the bitmaps with `writer` and the contact sheet into `folder`, where the writer
  // writes. Throws std::runtime_error when the console font is missing or a file cannot be
  // written.
  static void writeAll(const TBitmapWriter& writer, const QString& folder);
};

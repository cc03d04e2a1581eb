#pragma once

#include <cstdint>

class TDX;

// Numbers in the game's 16 x 24 LED digits, right-aligned in a field of six cells with leading
// zeros; a longer number starts 16 pixels further left per extra character, and a minus sign
// shows as a gap.
class TDigits {
public:
  // Loads "digits.bmp" (without its palette) from the game data folder.
  explicit TDigits(TDX* display);

  void Draw(int32_t x, int32_t y, int32_t value) const;

  TDX* Display;
  int32_t Image = -1;
};

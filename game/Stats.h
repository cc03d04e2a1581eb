#pragma once

#include "gfx/Text.h"

#include <array>
#include <cstdint>

class TDX;

// What happened in one game (bricks locked, clears of one to four rows, the final score) and
// the game-over panel that shows it.
class TStats {
public:
  // Loads the font and "panel_gameover.bmp".
  explicit TStats(TDX* display);

  void Reset();
  // Counts a clear of `rows` rows at once; only 1 to 4 count.
  void AddClear(int32_t rows);
  // The panel at (88, 100) with its seven lines.
  void Draw();

  TDX* Display;
  TText Text;
  int32_t Image = -1;
  std::array<int32_t, 4> Counts{}; // [rows - 1]
  int32_t BricksUsed = 0;
  int32_t Points = 0;
};

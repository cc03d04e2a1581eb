#pragma once

#include <array>
#include <cstdint>

class TDX;

// Draws single cubes of the seven brick colours (colour codes 2 to 8) on the display's back
// surface; every other code draws nothing. Loads its own seven cube images.
class TBlock {
public:
  // Throws when a cube bitmap is missing (std::runtime_error) or cannot go on a surface
  // (EDXError).
  explicit TBlock(TDX* display);

  // The cube of `code` at cell (column, row), whose top left is (20 * column + 5, 20 * row + 5).
  void DrawCell(uint8_t code, int32_t column, int32_t row) const;
  // The cube of `code` with its top left at pixel (x, y).
  void DrawAt(uint8_t code, int32_t x, int32_t y) const;

  TDX* Display;
  // Image indexes in the order blue, red, yellow, gray, green, lightblue, lilac.
  std::array<int32_t, 7> Images{};

private:
  int32_t imageOf(uint8_t code) const;
};

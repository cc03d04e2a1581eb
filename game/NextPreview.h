#pragma once

#include <cstdint>

class TDX;

// The next-brick window in the alcove right of the score panel: "NEXT" over a glass window
// that shows the coming brick in small cubes, in its first rotation, centred.
class TNextPreview {
public:
  static constexpr int32_t kX = 526, kY = 86;
  static constexpr int32_t kGlassX = kX + 4, kGlassY = kY + 24, kGlassSize = 48;
  static constexpr int32_t kCube = 12;

  // Loads "panel_next.bmp" and "cube_small.bmp"; throws as TBlock does.
  explicit TNextPreview(TDX* display);

  // Draws the window with shape `shape` (0 to 6) in it, or empty for another number.
  void Draw(int32_t shape) const;

  TDX* Display;
  int32_t Panel = -1;
  int32_t Cubes = -1; // frame colour code - 2
};

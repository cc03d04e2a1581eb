#pragma once

#include <array>
#include <cstdint>

class TDX;

// One bubble: top left in pixels (drawn 5 further right and down), size 0 to 4 (also its
// frame) and wobble phase 0 to 9.
struct TBubble {
  int32_t X = 0, Y = 0, Size = 0, Phase = 0;
};

// Bubbles rising and wobbling through the well behind the cubes, recycled at the bottom when
// they reach the top. Update belongs to the tick, Draw to the frame.
class TBubbles {
public:
  // Bubbles 0 to `count` (at most 100) live.
  TBubbles(TDX* display, int32_t count);

  void Update();
  void Draw() const;

  int32_t Image = -1;
  std::array<TBubble, 101> Bubbles{};
  TDX* Display;
  int32_t Count;
};

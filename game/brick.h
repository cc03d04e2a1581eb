#pragma once

#include "gfx/Block.h"

#include <cstdint>
#include <functional>

class TDX;

// The falling brick: its shape and rotation in the shape table, the board position of its
// 4 x 4 box (box cell (i, j) on board cell (X + i, Y + j)) and its fall speed. Draw also
// applies gravity: one row every FallDelay + 1 frames.
class TBrick {
public:
  // Loads its cube images, seeds the shared random generator from the time of day and picks
  // the first brick and the one after it; FallDelay 20.
  explicit TBrick(TDX* display);

  void SetShape(int32_t shape);
  // The next shape in rotation 1 with its box at (5, 1), covering columns 6 to 9, rows 2 to 5;
  // a random shape becomes the next one.
  void NewBrick();
  // The next rotation (4 to 1); the caller has checked that it fits.
  void Rotate() { Rotation = Rotation == 4 ? 1 : Rotation + 1; }
  uint8_t Colour() const { return static_cast<uint8_t>(ShapeBase / 4 + 2); }
  void ResetFallCounter() { FallCounter = 0; }
  // Takes `value` only within 0 to FallDelay.
  void SetFallCounter(int32_t value);
  // Draws the brick, then, when `fall`, counts one frame of gravity; a counter at or above
  // FallDelay moves the brick a row and starts again. A brick that already overlaps the stack
  // (as Overlaps tells) is not moved further, however many frames pass between ticks. Frames
  // drawn for a key, between the heartbeat's, pass `fall` false: keys never speed the fall.
  void Draw(bool fall = true);

  // Whether the brick at (x, y, shape base, rotation) overlaps occupied cells; set by the game.
  std::function<bool(int32_t x, int32_t y, int32_t shapeBase, int32_t rotation)> Overlaps;

  TBlock Block;
  TDX* Display;
  int32_t ShapeBase = 0;
  int32_t NextShape = 0; // 0 to 6
  int32_t Rotation = 1;
  int32_t X = 5;
  int32_t Y = 1;
  int32_t FallDelay = 20;
  int32_t FallCounter = 0;
};

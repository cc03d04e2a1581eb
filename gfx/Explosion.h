#pragma once

#include "gfx/Block.h"
#include "gfx/CellGrid.h"

#include <cstdint>
#include <vector>

class TDX;

// One flying cube of a removed row; pixel positions on the back surface, speeds per tick.
struct TParticle {
  uint8_t Colour = 0;
  int32_t X = 0, Y = 0;
  int32_t SpeedX = 0, SpeedY = 0;
  bool Exploding = false;
  int32_t Frame = 0;
  int32_t Fuse = 0;
};

// The cubes of removed rows flying off under gravity, bouncing off the well's walls and
// bursting into a 16-frame explosion. Update, Start and Clear belong to the tick, Draw to the
// frame; the caller keeps the two apart.
class TExplosion {
public:
  explicit TExplosion(TDX* display);

  // Turns the cubes of `row` (1 to 21) of `grid` into particles; false when the row had none.
  bool Start(const TCellGrid& grid, int32_t row);
  void Update();
  void Draw() const;
  void Clear() { Particles.clear(); }

  TDX* Display;
  bool Finished = false;
  TBlock Block;
  std::vector<TParticle> Particles;
  int32_t Image = -1;
};

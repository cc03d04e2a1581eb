#pragma once

#include <cstdint>

class TBoard;
class TBrick;
class TDX;

// Where the falling brick will land: its cubes drawn as outlines in its colour at the lowest
// place it can drop to straight down. Drawn before the brick, which covers it once it is there.
class TGhostBrick {
public:
  // Loads "cube_ghost.bmp"; throws as TBlock does.
  explicit TGhostBrick(TDX* display);

  // The box row the brick comes to rest at: the lowest row from its own on that it fits in.
  static int32_t LandingRow(const TBoard& board, const TBrick& brick);
  void Draw(const TBoard& board, const TBrick& brick) const;

  TDX* Display;
  int32_t Image = -1; // frame colour code - 2
};

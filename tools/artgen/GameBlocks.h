#pragma once

#include "tools/artgen/Tone.h"

#include <QImage>

// The game's 20 x 20 building blocks: the glossy cubes of the pieces and the animated metal
// pieces of the well, whose glass conduit carries pulses of light down the walls and along
// the floor.
class TGameBlocks {
public:
  static constexpr int kCell = 20;
  static constexpr int kWallFrames = 10;

  enum class TWallPiece { Top, Middle, BottomLeft, BottomRight, Floor };

  // One fully opaque bevelled cube.
  static QImage cube(const TTone& tone);
  // kWallFrames frames of `piece` in one row; the last frame runs on into the first.
  static QImage wall(TWallPiece piece);
};

#pragma once

#include "tools/artgen/Tone.h"

#include <QImage>

// The game's 20 x 20 building blocks: the glossy cubes of the pieces and the animated metal
// pieces of the well, whose glass conduit carries pulses of light down the walls and along
// the floor.
class TGameBlocks {
public:
  static constexpr int kCell = 20;
  static constexpr int kSmallCell = 12;
  static constexpr int kWallFrames = 10;
  // One frame for each brick colour, in the order of the game's colour codes 2 to 8: light
  // blue, red, grey, green, blue, lilac, yellow.
  static constexpr int kColours = 7;

  enum class TWallPiece { Top, Middle, BottomLeft, BottomRight, Floor };

  // One fully opaque bevelled cube.
  static QImage cube(const TTone& tone);
  // The cubes of the next-brick window: kColours frames of kSmallCell pixels, lit as the big ones.
  static QImage smallCubes();
  // The landing place of the brick: kColours frames of a cell's outline in the brick's colour,
  // bright at the rim and at the corners, open inside so the well shows through.
  static QImage ghosts();
  // kWallFrames frames of `piece` in one row; the last frame runs on into the first.
  static QImage wall(TWallPiece piece);
};

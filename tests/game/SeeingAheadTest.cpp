#include "game/GhostBrick.h"
#include "game/Types.h"
#include "game/NextPreview.h"
#include "game/board.h"
#include "game/brick.h"

#include "platform/random.h"
#include "tests/support/GameDisplay.h"

#include <gtest/gtest.h>

namespace {

// The next brick is the one that comes: the window shows it centred in small cubes of its
// colour; the ghost outlines the brick where it would land, on the floor or on the stack, and
// is not drawn for a brick that already rests in the stack.
TEST(SeeingAheadTest, NextBrickAndLandingPlace) {
  SetRandomSeed(7);
  TGameDisplay d;
  TBoard board(&d.dx);
  TBrick brick(&d.dx);
  TNextPreview next(&d.dx);
  TGhostBrick ghost(&d.dx);
  for (int i = 0; i < 20; ++i) {
    const int coming = brick.NextShape;
    brick.NewBrick();
    ASSERT_EQ(brick.ShapeBase, coming * 4);
  }

  const int glassX = TNextPreview::kGlassX, glassY = TNextPreview::kGlassY, cube = TNextPreview::kCube;
  next.Draw(-1); // no brick: the whole window, nothing over it
  EXPECT_TRUE(d.drawnAt(next.Panel, 0, TNextPreview::kX, TNextPreview::kY));
  next.Draw(1); // the bar lies in one row, four cubes wide: centred top to bottom
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(d.drawnAt(next.Cubes, 1, glassX + cube * i, glassY + 18)) << i;
  d.clear();
  next.Draw(0); // the square sits in the middle
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) EXPECT_TRUE(d.drawnAt(next.Cubes, 0, glassX + 12 + cube * i, glassY + 12 + cube * j));

  brick.SetShape(1); // the lying bar, its cubes in box row 2
  brick.X = 5;
  brick.Y = 1;
  d.clear();
  ghost.Draw(board, brick);
  for (int column = 6; column <= 9; ++column) EXPECT_TRUE(d.drawnAt(ghost.Image, 1, 20 * column + 5, 20 * 21 + 5));
  for (int column = 4; column <= 13; ++column) board.Grid.at(column, 15) = ccRed;
  d.clear();
  ghost.Draw(board, brick);
  for (int column = 6; column <= 9; ++column) EXPECT_TRUE(d.drawnAt(ghost.Image, 1, 20 * column + 5, 20 * 14 + 5));
  brick.Y = 13; // overlapping the stack: about to lock
  d.clear();
  ghost.Draw(board, brick);
  EXPECT_TRUE(d.plain({0, 0, 640, 480}));
}

} // namespace

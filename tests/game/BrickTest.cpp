#include "game/Types.h"
#include "game/brick.h"

#include "platform/random.h"
#include "tests/support/GameDisplay.h"

#include <gtest/gtest.h>

#include <set>

namespace {

int cubes(const TShapeBox& box) {
  int n = 0;
  for (const auto& column : box)
    for (uint8_t c : column) n += c;
  return n;
}

// Every entry of the shape table holds four cubes; the square never changes, the straight and
// skew pieces alternate between two orientations, the others have four.
TEST(ShapeTableTest, Rotations) {
  for (const TShapeBox& box : ShapeTable) EXPECT_EQ(cubes(box), 4);
  for (int shape = 0; shape < 7; ++shape) {
    std::set<TShapeBox> distinct(ShapeTable.begin() + shape * 4, ShapeTable.begin() + shape * 4 + 4);
    int expected = shape == 0 ? 1 : (shape == 1 || shape == 3 || shape == 4) ? 2 : 4;
    EXPECT_EQ(static_cast<int>(distinct.size()), expected) << "shape " << shape;
  }
  // The straight four lies in row 2 and stands in column 3.
  EXPECT_EQ(ShapeTable[4][0][1] + ShapeTable[4][1][1] + ShapeTable[4][2][1] + ShapeTable[4][3][1], 4);
  EXPECT_EQ(ShapeTable[5][2][0] + ShapeTable[5][2][1] + ShapeTable[5][2][2] + ShapeTable[5][2][3], 4);
}

class BrickTest : public ::testing::Test {
protected:
  TGameDisplay d;
};

// A new brick starts in rotation 1 with its box at (5, 1); colours run 2 to 8; rotation wraps.
TEST_F(BrickTest, NewBrickColourAndRotation) {
  TBrick brick(&d.dx);
  EXPECT_EQ(brick.X, 5);
  EXPECT_EQ(brick.Y, 1);
  EXPECT_EQ(brick.Rotation, 1);
  EXPECT_EQ(brick.FallDelay, 20);
  EXPECT_EQ(brick.ShapeBase % 4, 0);
  for (int shape = 0; shape < 7; ++shape) {
    brick.SetShape(shape);
    EXPECT_EQ(brick.Colour(), shape + 2);
  }
  brick.Rotation = 4;
  brick.Rotate();
  EXPECT_EQ(brick.Rotation, 1);
  SetRandomSeed(3);
  std::set<int> shapes;
  for (int i = 0; i < 200; ++i) {
    brick.NewBrick();
    shapes.insert(brick.ShapeBase / 4);
  }
  EXPECT_EQ(shapes.size(), 7u);
}

// Gravity moves the brick one row every FallDelay + 1 frames; a counter set at or above the
// delay moves it on the next frame; SetFallCounter keeps the counter within 0 to the delay.
TEST_F(BrickTest, Gravity) {
  TBrick brick(&d.dx);
  for (int frame = 1; frame <= 20; ++frame) brick.Draw();
  EXPECT_EQ(brick.Y, 1);
  brick.Draw();
  EXPECT_EQ(brick.Y, 2);
  brick.FallDelay = 0;
  brick.Draw();
  brick.Draw();
  EXPECT_EQ(brick.Y, 4);

  brick.FallDelay = 20;
  brick.ResetFallCounter();
  brick.SetFallCounter(-1);
  brick.SetFallCounter(21);
  EXPECT_EQ(brick.FallCounter, 0);
  brick.SetFallCounter(20);
  brick.Draw();
  EXPECT_EQ(brick.Y, 5);
  brick.FallCounter = 15; // a level-up lowered the delay below the counter
  brick.FallDelay = 5;
  brick.Draw();
  EXPECT_EQ(brick.Y, 6);
}

// A brick that overlaps the stack is not pushed further down by frames without ticks.
TEST_F(BrickTest, GravityStopsAtAnOverlap) {
  TBrick brick(&d.dx);
  brick.FallDelay = 0;
  brick.Overlaps = [](int32_t, int32_t y, int32_t, int32_t) { return y >= 10; };
  for (int i = 0; i < 30; ++i) brick.Draw();
  EXPECT_EQ(brick.Y, 10);
}

// The brick draws its cubes at their cells' pixel positions before gravity moves it.
TEST_F(BrickTest, DrawsItsCubes) {
  TBrick brick(&d.dx);
  brick.SetShape(0); // square: box cells (3,1) (4,1) (3,2) (4,2)
  brick.X = 5;
  brick.Y = 3;
  d.clear();
  brick.Draw();
  const int32_t lightBlue = brick.Block.Images[5];
  for (auto [column, row] : {std::pair{8, 4}, {9, 4}, {8, 5}, {9, 5}})
    EXPECT_TRUE(d.drawnAt(lightBlue, 0, 20 * column + 5, 20 * row + 5)) << column << "," << row;
  EXPECT_TRUE(d.plain({165, 125, 205, 145}));
  d.clear();
  brick.Block.DrawCell(1, 8, 4);
  brick.Block.DrawCell(10, 8, 4);
  EXPECT_TRUE(d.plain({165, 85, 185, 105}));
}

} // namespace

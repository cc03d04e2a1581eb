#include "game/Types.h"
#include "game/board.h"

#include "platform/random.h"
#include "tests/support/GameDisplay.h"

#include <gtest/gtest.h>

namespace {

class BoardTest : public ::testing::Test {
protected:
  void SetUp() override { SetRandomSeed(11); }

  // Fills `row` with cube code 3 in `count` of its columns, from column 4 on.
  void fillRow(int row, int count, uint8_t code = 3) {
    for (int c = 0; c < count; ++c) board.Grid.at(4 + c, row) = code;
  }
  int occupied(int row) const {
    int n = 0;
    for (int column = 4; column <= 13; ++column) n += board.Grid.at(column, row) > 1;
    return n;
  }

  TGameDisplay d;
  TBoard board{&d.dx};
};

// A new board is an empty field between two walls, top pieces in row 1 and corners and floor
// in row 22; a new brick at its start does not collide.
TEST_F(BoardTest, InitialLayout) {
  EXPECT_EQ(board.Grid.at(3, 1), ccWallTop);
  EXPECT_EQ(board.Grid.at(14, 21), ccWallMiddle);
  EXPECT_EQ(board.Grid.at(3, 22), ccCornerLeft);
  EXPECT_EQ(board.Grid.at(14, 22), ccCornerRight);
  EXPECT_EQ(board.Grid.at(8, 22), ccFloor);
  EXPECT_EQ(board.Grid.at(1, 5), ccEmpty);
  for (int row = 1; row <= 21; ++row) EXPECT_EQ(occupied(row), 0);
  for (int shape = 0; shape < 7; ++shape) EXPECT_FALSE(board.Collides(5, 1, shape * 4, 1));
}

// A brick collides on walls, the floor, cubes and everything outside the grid; resting on the
// floor its lowest cube is in row 21; rotation 5 reads as 1.
TEST_F(BoardTest, Collisions) {
  const int bar = 4; // the straight four, lying in box row 2
  EXPECT_TRUE(board.Collides(0, 19, bar, 1));  // columns 1 to 4: column 3 is the wall
  EXPECT_TRUE(board.Collides(-1, 19, bar, 1)); // column 0 lies outside the grid
  EXPECT_FALSE(board.Collides(3, 19, bar, 1)); // row 21
  EXPECT_TRUE(board.Collides(3, 20, bar, 1));  // row 22, the floor
  EXPECT_TRUE(board.Collides(10, 5, bar, 1));  // column 14, the wall
  EXPECT_TRUE(board.Collides(20, 5, bar, 1));  // outside the grid
  EXPECT_TRUE(board.Collides(3, -3, bar, 1));  // above it
  EXPECT_EQ(board.Collides(3, 10, bar, 5), board.Collides(3, 10, bar, 1));
  board.Grid.at(6, 12) = 5;
  EXPECT_TRUE(board.Collides(3, 10, bar, 1));
  EXPECT_FALSE(board.Collides(3, 9, bar, 1));
}

// Lock writes the brick's colour one row above the position given, and drops cubes that
// would land outside the grid.
TEST_F(BoardTest, LockOneRowUp) {
  board.Lock(3, 20, 4, 1); // the bar at row 22 is stored in row 21
  for (int column = 4; column <= 7; ++column) EXPECT_EQ(board.Grid.at(column, 21), 3);
  board.Lock(3, -1, 4, 1); // would be row 0
  EXPECT_EQ(occupied(1), 0);
  board.Lock(3, 0, 4, 1);
  EXPECT_EQ(occupied(1), 4);
}

// Full rows are marked and explode; two full rows with a row between them collapse so that
// the row between drops by one and everything above by two.
TEST_F(BoardTest, FullRowsCollapse) {
  fillRow(21, 10);
  fillRow(20, 3, 5);
  fillRow(19, 10);
  fillRow(18, 2, 7);
  EXPECT_EQ(board.FindFullRows(), 2);
  EXPECT_EQ(board.RowMarks[18], 1);
  EXPECT_EQ(board.RowMarks[20], 1);
  EXPECT_EQ(board.Explosion.Particles.size(), 20u);
  board.EmptyMarkedRows();
  EXPECT_EQ(occupied(21), 0);
  EXPECT_EQ(occupied(19), 0);
  EXPECT_EQ(board.RowMarks[20], 1);
  board.CollapseMarkedRows();
  EXPECT_EQ(occupied(21), 3);
  EXPECT_EQ(board.Grid.at(4, 21), 5);
  EXPECT_EQ(occupied(20), 2);
  EXPECT_EQ(board.Grid.at(4, 20), 7);
  EXPECT_EQ(occupied(19), 0);
  EXPECT_EQ(board.RowMarks[20], 0);
  EXPECT_TRUE(board.Explosion.Particles.empty());
}

// The bomb clears from the top while it can pay 2 per cube.
TEST_F(BoardTest, Bomb) {
  fillRow(20, 4);
  EXPECT_EQ(board.Bomb(0), 0);
  EXPECT_EQ(occupied(20), 4);

  board.Clear();
  fillRow(15, 10);
  fillRow(16, 5);
  EXPECT_EQ(board.Bomb(20), 0);
  EXPECT_EQ(occupied(15), 0);
  EXPECT_EQ(occupied(16), 5);
  EXPECT_EQ(board.RowMarks[14], 1);

  board.Clear();
  board.RowMarks.fill(0);
  fillRow(10, 3);
  fillRow(11, 8);
  fillRow(12, 2);
  EXPECT_EQ(board.Bomb(25), 3);
  EXPECT_EQ(occupied(10), 0);
  EXPECT_EQ(occupied(11), 0);
  EXPECT_EQ(occupied(12), 2);

  board.Clear();
  fillRow(10, 9);
  EXPECT_EQ(board.Bomb(10), 10);
  EXPECT_EQ(occupied(10), 9);
}

// The explosion runs until its particles are gone; the wall animation cycles 0 to 9.
TEST_F(BoardTest, ExplosionAndAnimation) {
  fillRow(21, 10);
  board.FindFullRows();
  int steps = 0;
  while (board.AnimateExplosion() && steps < 500) ++steps;
  EXPECT_GT(steps, 5);
  EXPECT_LT(steps, 500);
  std::vector<int> frames;
  for (int i = 0; i < 11; ++i) {
    board.Update();
    frames.push_back(board.AnimFrame);
  }
  EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
}

// The background fills the well navy and the strip below it black; the board draws walls at
// the animation frame, the floor at frame 0, the cubes at their cells and the bubbles behind.
TEST_F(BoardTest, Drawing) {
  d.clear(1);
  board.DrawBackground();
  EXPECT_TRUE(d.plain({80, 35, 290, 465}, 70));
  EXPECT_TRUE(d.plain({80, 465, 290, 480}, 0));
  EXPECT_EQ(d.back(79, 100), 1u);

  board.AnimFrame = 6;
  board.Grid.at(8, 20) = 6;
  for (int i = 0; i <= board.Bubbles.Count; ++i) board.Bubbles.Bubbles[i] = {150, 390, 4, 0};
  board.Draw();
  EXPECT_TRUE(d.drawnAt(board.Walls.Middle, 6, 65, 205));
  EXPECT_TRUE(d.drawnAt(board.Walls.Top, 6, 285, 25));
  EXPECT_TRUE(d.drawnAt(board.Walls.Left, 6, 65, 445));
  EXPECT_TRUE(d.drawnAt(board.Walls.Bottom, 0, 165, 445));
  EXPECT_TRUE(d.drawnAt(board.Block.Images[0], 0, 165, 405)); // blue cube, code 6
  // The bubble at (155, 395) lies behind the cube at (165, 405): where they meet, the cube shows.
  int meeting = 0;
  for (int y = 405; y < 415; ++y)
    for (int x = 165; x < 175; ++x) {
      if (d.image(board.Bubbles.Image, 4, x - 155, y - 395) == 0) continue;
      ++meeting;
      EXPECT_EQ(d.back(x, y), d.image(board.Block.Images[0], 0, x - 165, y - 405));
    }
  EXPECT_GT(meeting, 0);
}

} // namespace

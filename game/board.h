#pragma once

#include "gfx/Block.h"
#include "gfx/Bubbles.h"
#include "gfx/CellGrid.h"
#include "gfx/Explosion.h"

#include <array>
#include <cstdint>

class TDX;

// The playing field: walls in columns 3 and 14, the floor in row 22 and the cubes of every
// locked brick in columns 4 to 13, rows 1 to 21. It tests and stores bricks, finds, explodes
// and removes full rows, carries out the bomb and draws the field with its animated walls,
// the bubbles behind it and the explosion. No locks: the game keeps tick and frame apart.
class TBoard {
public:
  // Loads the wall images and makes its cube painter, explosion and 21 bubbles.
  explicit TBoard(TDX* display);

  // Empties the playing field; walls and floor stay.
  void Clear();
  void DrawBackground() const;
  void Update();
  void Draw() const;
  // True when a cube of the brick lies on an occupied cell or outside the grid. Rotation 5
  // reads as 1.
  bool Collides(int32_t x, int32_t y, int32_t shapeBase, int32_t rotation) const;
  // Stores the brick's colour one row above the given position; cubes that would land outside
  // the grid are dropped.
  void Lock(int32_t x, int32_t y, int32_t shapeBase, int32_t rotation);
  // Marks the full rows, starts their explosion and returns how many there are.
  int32_t FindFullRows();
  void EmptyMarkedRows();
  // Blasts rows from the top while `percent` pays 2 per cube; returns what is left.
  int32_t Bomb(int32_t percent);
  // One step of the explosion; true while it runs.
  bool AnimateExplosion();
  void DrawExplosion() const { Explosion.Draw(); }
  // Removes the marked rows, dropping what is above them, clears the marks and the particles.
  void CollapseMarkedRows();
  // The highest row (1 to 21) that holds a cube; 22 for an empty field.
  int32_t TopRow() const;

  // The cell grid as the board starts: walls, floor and an empty field.
  static TCellGrid InitialGrid();

  // The wall and floor images, loaded first, in this order.
  struct TWallImages {
    int32_t Top, Middle, Right, Left, Bottom;
  };
  TWallImages Walls;
  TCellGrid Grid;
  TDX* Display;
  TBlock Block;
  TExplosion Explosion;
  TBubbles Bubbles;
  int32_t AnimFrame = 0;
  std::array<uint8_t, 22> RowMarks{}; // [row - 1], rows 1 to 21 used

private:
  static TWallImages loadWalls(TDX* display);
  int32_t occupiedInRow(int32_t row) const;
  void emptyRow(int32_t row);
};

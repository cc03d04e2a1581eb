#include "game/board.h"

#include "game/Types.h"
#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

namespace {

constexpr int32_t kFirstColumn = 4;
constexpr int32_t kLastColumn = 13;
constexpr int32_t kLastRow = 21;
constexpr int32_t kBubbleCount = 20;

int32_t loadWall(TDX* display, const char* file) {
  return display->AddImage(std::make_unique<TDXBMPImage>(display, GameDataFile(file), 20, 20, true));
}

} // namespace

TBoard::TWallImages TBoard::loadWalls(TDX* display) {
  TWallImages w;
  w.Top = loadWall(display, "cube_top.bmp");
  w.Middle = loadWall(display, "cube_middle.bmp");
  w.Right = loadWall(display, "cube_right.bmp");
  w.Left = loadWall(display, "cube_left.bmp");
  w.Bottom = loadWall(display, "cube_bottom.bmp");
  return w;
}

TBoard::TBoard(TDX* display)
    : Walls(loadWalls(display)), Grid(InitialGrid()), Display(display), Block(display),
      Explosion(display), Bubbles(display, kBubbleCount) {}

TCellGrid TBoard::InitialGrid() {
  TCellGrid g;
  g.cells.fill(ccEmpty);
  for (int32_t column : {3, 14}) {
    g.at(column, 1) = ccWallTop;
    for (int32_t row = 2; row <= 21; ++row) g.at(column, row) = ccWallMiddle;
  }
  g.at(3, 22) = ccCornerLeft;
  g.at(14, 22) = ccCornerRight;
  for (int32_t column = kFirstColumn; column <= kLastColumn; ++column) g.at(column, 22) = ccFloor;
  return g;
}

void TBoard::Clear() {
  for (int32_t row = 1; row <= kLastRow; ++row) emptyRow(row);
}

void TBoard::emptyRow(int32_t row) {
  for (int32_t column = kFirstColumn; column <= kLastColumn; ++column) Grid.at(column, row) = ccEmpty;
}

int32_t TBoard::occupiedInRow(int32_t row) const {
  int32_t count = 0;
  for (int32_t column = kFirstColumn; column <= kLastColumn; ++column)
    if (Grid.at(column, row) > ccEmpty) ++count;
  return count;
}

int32_t TBoard::TopRow() const {
  int32_t row = 1;
  while (row <= kLastRow && occupiedInRow(row) == 0) ++row;
  return row;
}

void TBoard::DrawBackground() const {
  Display->Back->EraseRect({80, 35, 290, 465}, 70);
  Display->Back->EraseRect({80, 465, 290, 480}, 0);
}

void TBoard::Update() {
  Bubbles.Update();
  if (++AnimFrame > 9) AnimFrame = 0;
}

void TBoard::Draw() const {
  Bubbles.Draw();
  for (int32_t column = 3; column <= 14; ++column) {
    for (int32_t row = 1; row <= 22; ++row) {
      const uint8_t code = Grid.at(column, row);
      const int32_t x = 20 * column + 5, y = 20 * row + 5;
      int32_t image = -1, frame = AnimFrame;
      switch (code) {
      case ccEmpty: continue;
      case ccWallMiddle: image = Walls.Middle; break;
      case ccCornerRight: image = Walls.Right; break;
      case ccCornerLeft: image = Walls.Left; break;
      case ccWallTop: image = Walls.Top; break;
      case ccFloor:
        image = Walls.Bottom;
        frame = 0;
        break;
      default: Block.DrawCell(code, column, row); continue;
      }
      Display->Back->DrawImage(*Display->Images[image], x, y, frame);
    }
  }
}

bool TBoard::Collides(int32_t x, int32_t y, int32_t shapeBase, int32_t rotation) const {
  if (rotation == 5) rotation = 1;
  const TShapeBox& box = ShapeTable[shapeBase + rotation - 1];
  for (int32_t i = 1; i <= 4; ++i) {
    for (int32_t j = 1; j <= 4; ++j) {
      if (!box[i - 1][j - 1]) continue;
      if (!TCellGrid::inside(x + i, y + j) || Grid.at(x + i, y + j) > ccEmpty) return true;
    }
  }
  return false;
}

void TBoard::Lock(int32_t x, int32_t y, int32_t shapeBase, int32_t rotation) {
  const TShapeBox& box = ShapeTable[shapeBase + rotation - 1];
  const auto colour = static_cast<uint8_t>(shapeBase / 4 + 2);
  for (int32_t i = 1; i <= 4; ++i)
    for (int32_t j = 1; j <= 4; ++j)
      if (box[i - 1][j - 1] && TCellGrid::inside(x + i, y + j - 1)) Grid.at(x + i, y + j - 1) = colour;
}

int32_t TBoard::FindFullRows() {
  int32_t found = 0;
  for (int32_t row = 1; row <= kLastRow; ++row) {
    if (occupiedInRow(row) != 10) continue;
    Explosion.Start(Grid, row);
    RowMarks[row - 1] = 1;
    ++found;
  }
  return found;
}

void TBoard::EmptyMarkedRows() {
  for (int32_t row = 1; row <= kLastRow; ++row)
    if (RowMarks[row - 1]) emptyRow(row);
}

int32_t TBoard::Bomb(int32_t percent) {
  int32_t row = 1, cost = 0;
  do {
    cost = 2 * occupiedInRow(row);
    if (percent >= cost) {
      if (Explosion.Start(Grid, row)) RowMarks[row - 1] = 1;
      percent -= cost;
      emptyRow(row);
    }
    ++row;
  } while (percent >= cost && row <= kLastRow);
  return percent;
}

bool TBoard::AnimateExplosion() {
  Explosion.Update();
  return !Explosion.Finished;
}

void TBoard::CollapseMarkedRows() {
  for (int32_t row = 1; row <= kLastRow; ++row) {
    if (!RowMarks[row - 1]) continue;
    for (int32_t y = row - 1; y >= 1; --y)
      for (int32_t column = kFirstColumn; column <= kLastColumn; ++column)
        Grid.at(column, y + 1) = Grid.at(column, y);
  }
  RowMarks.fill(0);
  Explosion.Clear();
}

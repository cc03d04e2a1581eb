#include "game/GhostBrick.h"

#include "game/Types.h"
#include "game/board.h"
#include "game/brick.h"
#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

TGhostBrick::TGhostBrick(TDX* display) : Display(display) {
  Image = display->AddImage(
      std::make_unique<TDXBMPImage>(display, GameDataFile("cube_ghost.bmp"), 20, 20, true));
}

int32_t TGhostBrick::LandingRow(const TBoard& board, const TBrick& brick) {
  int32_t y = brick.Y;
  while (!board.Collides(brick.X, y + 1, brick.ShapeBase, brick.Rotation)) ++y;
  return y;
}

void TGhostBrick::Draw(const TBoard& board, const TBrick& brick) const {
  // A brick that already overlaps the stack is about to lock where it is.
  if (board.Collides(brick.X, brick.Y, brick.ShapeBase, brick.Rotation)) return;
  const int32_t y = LandingRow(board, brick);
  const TShapeBox& box = ShapeTable[brick.ShapeBase + brick.Rotation - 1];
  for (int32_t i = 1; i <= 4; ++i)
    for (int32_t j = 1; j <= 4; ++j)
      if (box[i - 1][j - 1])
        Display->Back->DrawImage(*Display->Images[Image], 20 * (brick.X + i) + 5,
                                 20 * (y + j) + 5, brick.Colour() - 2);
}

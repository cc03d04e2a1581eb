#include "game/NextPreview.h"

#include "game/Types.h"
#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

#include <algorithm>

TNextPreview::TNextPreview(TDX* display) : Display(display) {
  Panel = display->AddImage(
      std::make_unique<TDXBMPImage>(display, GameDataFile("panel_next.bmp"), 56, 78, true));
  Cubes = display->AddImage(
      std::make_unique<TDXBMPImage>(display, GameDataFile("cube_small.bmp"), kCube, kCube, true));
}

void TNextPreview::Draw(int32_t shape) const {
  TDXSurface& back = *Display->Back;
  back.DrawImage(*Display->Images[Panel], kX, kY, 0);
  if (shape < 0 || shape >= kShapeCount) return;
  const TShapeBox& box = ShapeTable[shape * 4];
  int left = 4, right = 0, top = 4, bottom = 0;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (box[i][j]) {
        left = std::min(left, i);
        right = std::max(right, i);
        top = std::min(top, j);
        bottom = std::max(bottom, j);
      }
  const int x = kGlassX + (kGlassSize - (right - left + 1) * kCube) / 2 - left * kCube;
  const int y = kGlassY + (kGlassSize - (bottom - top + 1) * kCube) / 2 - top * kCube;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (box[i][j]) back.DrawImage(*Display->Images[Cubes], x + i * kCube, y + j * kCube, shape);
}

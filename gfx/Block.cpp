#include "gfx/Block.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

namespace {

// The cube bitmaps in loading order, with the colour code each draws.
struct Cube {
  const char* file;
  uint8_t code;
};
constexpr Cube kCubes[] = {{"cube_blue.bmp", 6},  {"cube_red.bmp", 3},       {"cube_yellow.bmp", 8},
                           {"cube_gray.bmp", 4},  {"cube_green.bmp", 5},     {"cube_lightblue.bmp", 2},
                           {"cube_lilac.bmp", 7}};

} // namespace

TBlock::TBlock(TDX* display) : Display(display) {
  for (std::size_t i = 0; i < Images.size(); ++i)
    Images[i] = display->AddImage(
        std::make_unique<TDXBMPImage>(display, GameDataFile(kCubes[i].file), 20, 20, true));
}

int32_t TBlock::imageOf(uint8_t code) const {
  for (std::size_t i = 0; i < Images.size(); ++i)
    if (kCubes[i].code == code) return Images[i];
  return -1;
}

void TBlock::DrawCell(uint8_t code, int32_t column, int32_t row) const {
  DrawAt(code, 20 * column + 5, 20 * row + 5);
}

void TBlock::DrawAt(uint8_t code, int32_t x, int32_t y) const {
  int32_t image = imageOf(code);
  if (image >= 0) Display->Back->DrawImage(*Display->Images[image], x, y, 0);
}

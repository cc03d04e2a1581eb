#include "gfx/AnimSprite.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

TAnimSprite::TAnimSprite(TDX* display, int32_t frameWidth, int32_t frameHeight,
                         int32_t frameCount, const std::string& fileName)
    : Display(display), FrameCount(frameCount), FrameWidth(frameWidth), FrameHeight(frameHeight) {
  try {
    Image = display->AddImage(
        std::make_unique<TDXBMPImage>(display, GameDataFile(fileName), frameWidth, frameHeight, true));
  } catch (const std::exception& e) {
    throw EAnimSprite(e.what());
  }
}

void TAnimSprite::Draw(int32_t x, int32_t y) {
  try {
    Display->Back->DrawImage(*Display->Images[Image], x, y, Frame);
  } catch (const std::exception& e) {
    throw EAnimSprite(e.what());
  }
  if (++Ticks < Delay) return;
  Ticks = 0;
  if (++Frame >= FrameCount) Frame = 0;
}

void TAnimSprite::Erase(int32_t x, int32_t y) {
  Display->Back->EraseRect({x, y, x + FrameWidth, y + FrameHeight}, 0);
}

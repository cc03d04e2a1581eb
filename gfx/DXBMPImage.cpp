#include "gfx/DXBMPImage.h"

#include "gfx/Bitmap.h"

TDXBMPImage::TDXBMPImage(TDX* display, std::string fileName, int32_t frameWidth,
                         int32_t frameHeight, bool usePalette)
    : TDXFileImageObject(display, std::move(fileName), frameWidth, frameHeight, usePalette) {
  Load();
}

void TDXBMPImage::Load() { LoadFromBitmap(TBitmap::fromFile(FileName)); }

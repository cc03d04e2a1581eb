#include "gfx/DXImageObject.h"

#include "gfx/Bitmap.h"
#include "gfx/DX.h"
#include "gfx/DXCanvas.h"
#include "gfx/DXSurface.h"

TDXImageObject::TDXImageObject(TDX* display, int32_t frameWidth, int32_t frameHeight,
                               bool usePalette)
    : Display(display), FrameWidth(frameWidth), FrameHeight(frameHeight), UsePalette(usePalette) {}

TDXImageObject::~TDXImageObject() = default;

RECT TDXImageObject::FrameRect(int32_t frame) const {
  if (Columns <= 0) return {};
  const int32_t left = (frame % Columns) * FrameWidth;
  const int32_t top = (frame / Columns) * FrameHeight;
  return {left, top, left + FrameWidth, top + FrameHeight};
}

void TDXImageObject::SurfaceLost(TDXSurface&) { Load(); }

void TDXImageObject::LoadFromBitmap(const TBitmap& bitmap) {
  Surface.reset();
  Surface = std::make_unique<TDXSurface>(Display, bitmap.width, bitmap.height);
  Surface->OnLost = [this](TDXSurface& sender) { SurfaceLost(sender); };
  if (UsePalette) {
    PALETTEENTRY entries[256] = {};
    for (std::size_t i = 0; i < bitmap.colorTable.size() && i < 256; ++i) {
      uint32_t c = bitmap.colorTable[i];
      entries[i] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                    static_cast<uint8_t>(c), 0};
    }
    Display->SetPaletteEntries(entries);
  }
  Surface->Canvas->Draw(0, 0, bitmap);
  Surface->Canvas->ReleaseHandle();
  Surface->SetTransparentColor(0);
  Columns = FrameWidth > 0 ? bitmap.width / FrameWidth : 0;
}

#pragma once

#include "gfx/DX.h"
#include "gfx/DXImageObject.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"
#include "gfx/MemoryWindow.h"

// A display device on an in-memory window, reading the game's real bitmaps from the build
// folder (VORKA_OUTPUT_DIR), with read-back of what lands on the back surface.
class TGameDisplay {
public:
  // Mode 4 (windowed, XRGB) by default; 0 gives the 8-bit full-screen format.
  explicit TGameDisplay(uint8_t mode = 4) {
    SetGameDataFolder(VORKA_OUTPUT_DIR);
    dx.SetMode(mode);
  }

  // The back surface's value at (x, y).
  uint32_t back(int32_t x, int32_t y) const { return dx.Back->Surface->Pixels().pixel(x, y); }
  // The value of pixel (x, y) of frame `frame` of image `image`.
  uint32_t image(int32_t image, int32_t frame, int32_t x, int32_t y) const {
    const TDXImageObject& i = *dx.Images[image];
    RECT r = i.FrameRect(frame);
    return i.Surface->Surface->Pixels().pixel(r.left + x, r.top + y);
  }
  // True when frame `frame` of image `image` appears with its top left at (left, top): every one
  // of its opaque pixels is on the back surface there.
  bool drawnAt(int32_t imageIndex, int32_t frame, int32_t left, int32_t top) const {
    const TDXImageObject& i = *dx.Images[imageIndex];
    int opaque = 0;
    for (int32_t y = 0; y < i.FrameHeight; ++y)
      for (int32_t x = 0; x < i.FrameWidth; ++x) {
        uint32_t v = image(imageIndex, frame, x, y);
        if (v == 0) continue;
        ++opaque;
        if (back(left + x, top + y) != v) return false;
      }
    return opaque > 0;
  }
  // True when nothing but `color` lies in the rectangle.
  bool plain(const RECT& r, uint32_t color = 70) const {
    for (int32_t y = r.top; y < r.bottom; ++y)
      for (int32_t x = r.left; x < r.right; ++x)
        if (back(x, y) != color) return false;
    return true;
  }
  void clear(uint32_t color = 70) { dx.Back->Erase(color); }

  TMemoryWindow window{1024, 768, {0, 0, 640, 480}};
  TDX dx{&window, &window};
};

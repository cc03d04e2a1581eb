#pragma once

#include "gfx/DDraw3.h"

#include <memory>
#include <string>

class TDX;
class TDXSurface;
struct TBitmap;

// A bitmap on an off-screen surface, cut into equal frames: frame n is the cell at column
// n mod Columns, row n div Columns. Colour 0 is transparent. Owned by the display device.
class TDXImageObject {
public:
  TDXImageObject(TDX* display, int32_t frameWidth, int32_t frameHeight, bool usePalette);
  virtual ~TDXImageObject();
  TDXImageObject(const TDXImageObject&) = delete;
  TDXImageObject& operator=(const TDXImageObject&) = delete;

  // Puts the picture onto a new surface in the display's current format.
  virtual void Load() = 0;
  // The rectangle of frame `frame` in the bitmap (outside it for frames beyond it; empty when
  // the bitmap is narrower than one frame).
  RECT FrameRect(int32_t frame) const;
  void SurfaceLost(TDXSurface& sender);

  TDX* Display;
  std::unique_ptr<TDXSurface> Surface;
  int32_t Columns = 0;
  int32_t FrameWidth;
  int32_t FrameHeight;
  bool UsePalette;

protected:
  // Makes the surface for `bitmap`, hands its colour table to the display when UsePalette,
  // draws it and sets the colour key 0.
  void LoadFromBitmap(const TBitmap& bitmap);
};

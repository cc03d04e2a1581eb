#pragma once

#include "gfx/DDraw3.h"

struct TBitmap;

// Lets the window system's bitmap drawing paint on a surface: the first drawing borrows the
// surface's device context, ReleaseHandle (and destruction) gives it back. Throws EDXError.
class TDXCanvas {
public:
  // Throws EDXError "No surface for canvas" without a surface.
  explicit TDXCanvas(IDirectDrawSurface* surface);
  ~TDXCanvas();
  TDXCanvas(const TDXCanvas&) = delete;
  TDXCanvas& operator=(const TDXCanvas&) = delete;

  // Draws `bitmap` with its top left at (x, y), its colours converted into the surface's.
  void Draw(int32_t x, int32_t y, const TBitmap& bitmap);
  void ReleaseHandle();

private:
  IDirectDrawSurface* m_surface;
  HDC m_dc = nullptr;
};

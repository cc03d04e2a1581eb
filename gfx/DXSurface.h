#pragma once

#include "gfx/DDraw3.h"

#include <functional>
#include <memory>
#include <string>

class TDX;
class TDXCanvas;
class TDXImageObject;

// One display surface with filling, rectangle copies and transparent frame drawing under its
// own clipping. A drawing call whose surface is lost runs OnLost instead of raising (and is not
// repeated); every other failure raises EDXError. Window thread only.
class TDXSurface {
public:
  // An off-screen surface in the display's format. Throws "Cannot create surface (w, h)".
  TDXSurface(TDX* display, int32_t width, int32_t height);
  // The primary surface alone (windowed), as large as the screen.
  static std::unique_ptr<TDXSurface> CreatePrimary(TDX* display);
  // The primary surface with one back buffer (full screen).
  static std::unique_ptr<TDXSurface> CreateFlipping(TDX* display);
  // The back buffer of a flipping primary.
  static std::unique_ptr<TDXSurface> CreateAttached(TDXSurface& primary);
  ~TDXSurface();
  TDXSurface(const TDXSurface&) = delete;
  TDXSurface& operator=(const TDXSurface&) = delete;

  void CheckResult(HRESULT result, const std::string& message);
  bool IsLost();
  void SetTransparentColor(uint32_t color);
  void Erase(uint32_t color);
  void EraseRect(const RECT& rect, uint32_t color);
  // Copies `sourceRect` of `source` with its top left at (x, y); only a clipper clips it.
  void Draw(int32_t x, int32_t y, bool transparent, const RECT& sourceRect, TDXSurface& source);
  // Draws frame `frame` of `image` at (x, y), transparent pixels left alone, clipped to this
  // surface and to the bitmap; nothing happens when nothing is left.
  void DrawImage(const TDXImageObject& image, int32_t x, int32_t y, int32_t frame);
  // Cuts `sourceRect` to `source` and, moving (x, y) with it, to ClipRect; true when something
  // is left.
  bool ClipBlit(int32_t& x, int32_t& y, RECT& sourceRect, const TDXSurface& source) const;

  TDX* Display;
  IDirectDrawSurface* Surface = nullptr;
  std::unique_ptr<TDXCanvas> Canvas;
  std::function<void(TDXSurface&)> OnLost;
  RECT Bounds;
  RECT ClipRect;
  uint32_t TransparentColor = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t Attached = 0;

private:
  TDXSurface(TDX* display, IDirectDrawSurface* surface, int32_t width, int32_t height,
             uint8_t attached);
  static std::unique_ptr<TDXSurface> createPrimary(TDX* display, uint32_t flags, uint32_t caps);
  void fill(const RECT& rect, uint32_t color, const char* message);
};

#include "gfx/DXSurface.h"

#include "gfx/DX.h"
#include "gfx/DXCanvas.h"
#include "gfx/DXError.h"
#include "gfx/DXImageObject.h"

#include <algorithm>

TDXSurface::TDXSurface(TDX* display, IDirectDrawSurface* surface, int32_t width, int32_t height,
                       uint8_t attached)
    : Display(display), Surface(surface), Canvas(std::make_unique<TDXCanvas>(surface)),
      Bounds{0, 0, width, height}, ClipRect{0, 0, width, height}, Width(width), Height(height),
      Attached(attached) {}

TDXSurface::TDXSurface(TDX* display, int32_t width, int32_t height)
    : Display(display), Width(width), Height(height) {
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwHeight = static_cast<uint32_t>(height);
  desc.dwWidth = static_cast<uint32_t>(width);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  DDCheck(display->DirectDraw->CreateSurface(&desc, &Surface, nullptr),
          "Cannot create surface (" + std::to_string(width) + ", " + std::to_string(height) + ")");
  Canvas = std::make_unique<TDXCanvas>(Surface);
  Bounds = ClipRect = {0, 0, width, height};
}

std::unique_ptr<TDXSurface> TDXSurface::createPrimary(TDX* display, uint32_t flags, uint32_t caps) {
  DDSURFACEDESC desc;
  desc.dwFlags = flags;
  desc.ddsCaps.dwCaps = caps;
  desc.dwBackBufferCount = (flags & DDSD_BACKBUFFERCOUNT) ? 1 : 0;
  IDirectDrawSurface* surface = nullptr;
  DDCheck(display->DirectDraw->CreateSurface(&desc, &surface, nullptr), "Cannot create surface");
  DDSURFACEDESC mode;
  HRESULT r = display->DirectDraw->GetDisplayMode(&mode);
  if (r != DD_OK) {
    surface->Release();
    DDCheck(r, "Cannot get display mode");
  }
  return std::unique_ptr<TDXSurface>(new TDXSurface(display, surface, static_cast<int32_t>(mode.dwWidth),
                                                    static_cast<int32_t>(mode.dwHeight), 0));
}

std::unique_ptr<TDXSurface> TDXSurface::CreatePrimary(TDX* display) {
  return createPrimary(display, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
}

std::unique_ptr<TDXSurface> TDXSurface::CreateFlipping(TDX* display) {
  return createPrimary(display, DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                       DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
}

std::unique_ptr<TDXSurface> TDXSurface::CreateAttached(TDXSurface& primary) {
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* back = nullptr;
  DDCheck(primary.Surface->GetAttachedSurface(&caps, &back), "Cannot create back surface");
  return std::unique_ptr<TDXSurface>(new TDXSurface(primary.Display, back, primary.Width, primary.Height, 1));
}

TDXSurface::~TDXSurface() {
  Canvas.reset();
  if (Surface && !Attached) Surface->Release();
}

void TDXSurface::CheckResult(HRESULT result, const std::string& message) {
  if (result == DD_OK) return;
  if (result == DDERR_SURFACELOST && OnLost) {
    OnLost(*this);
    return;
  }
  DDCheck(result, message);
}

bool TDXSurface::IsLost() {
  HRESULT r = Surface->IsLost();
  if (r == DDERR_SURFACELOST) return true;
  if (r != DD_OK) throw EDXError("Cannot check lost");
  return false;
}

void TDXSurface::SetTransparentColor(uint32_t color) {
  TransparentColor = color;
  DDCOLORKEY key{color, color};
  DDCheck(Surface->SetColorKey(DDCKEY_SRCBLT, &key), "Cannot set transparent color");
}

void TDXSurface::Erase(uint32_t color) { fill(Bounds, color, "Cannot erase surface"); }

void TDXSurface::EraseRect(const RECT& rect, uint32_t color) {
  fill(rect, color, "Cannot erase rectangle");
}

void TDXSurface::fill(const RECT& rect, uint32_t color, const char* message) {
  DDBLTFX fx;
  fx.dwFillColor = color;
  CheckResult(Surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), message);
}

void TDXSurface::Draw(int32_t x, int32_t y, bool transparent, const RECT& sourceRect,
                      TDXSurface& source) {
  RECT dest{x, y, x + sourceRect.width(), y + sourceRect.height()};
  DDBLTFX fx;
  uint32_t flags = DDBLT_WAIT | (transparent ? DDBLT_KEYSRC : 0);
  CheckResult(Surface->Blt(&dest, source.Surface, &sourceRect, flags, &fx), "Cannot BLT");
}

void TDXSurface::DrawImage(const TDXImageObject& image, int32_t x, int32_t y, int32_t frame) {
  RECT source = image.FrameRect(frame);
  if (!ClipBlit(x, y, source, *image.Surface)) return;
  CheckResult(Surface->BltFast(x, y, image.Surface->Surface, &source,
                               DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
              "Cannot DrawImage");
}

bool TDXSurface::ClipBlit(int32_t& x, int32_t& y, RECT& r, const TDXSurface& source) const {
  // Cut the source rectangle to the source surface.
  r.left = std::max(r.left, source.Bounds.left);
  r.top = std::max(r.top, source.Bounds.top);
  r.right = std::min(r.right, source.Bounds.right);
  r.bottom = std::min(r.bottom, source.Bounds.bottom);
  if (r.left > r.right || r.top > r.bottom) return false;
  // Cut the destination to the clip rectangle, moving the source edge with it.
  if (x < ClipRect.left) {
    r.left += ClipRect.left - x;
    x = ClipRect.left;
  }
  if (y < ClipRect.top) {
    r.top += ClipRect.top - y;
    y = ClipRect.top;
  }
  if (x + r.width() > ClipRect.right) r.right -= x + r.width() - ClipRect.right;
  if (y + r.height() > ClipRect.bottom) r.bottom -= y + r.height() - ClipRect.bottom;
  return r.left < r.right && r.top < r.bottom;
}

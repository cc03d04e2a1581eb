#pragma once

#include "gfx/ComObject.h"
#include "gfx/DDraw3.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TOpaqueSpans;
class TSoftClipper;
class TSoftDirectDraw;
class TSoftPalette;

// A surface: a pixel buffer in the display's format (8-bit indexes or 32-bit XRGB). A primary
// surface stands for the screen; a flipping primary owns one attached back buffer whose
// pixels it exchanges with its own on Flip. A surface used as the source of colour-keyed copies
// keeps the runs of its opaque pixels for the key, found again after anything changes it.
class TSoftSurface final : public TComObject<IDirectDrawSurface> {
public:
  enum class Kind { Offscreen, Primary, BackBuffer };

  TSoftSurface(TSoftDirectDraw* owner, Kind kind, int32_t width, int32_t height,
               int32_t bitsPerPixel);

  HRESULT Blt(const RECT* destRect, IDirectDrawSurface* source, const RECT* sourceRect,
              uint32_t flags, const DDBLTFX* effects) override;
  HRESULT BltFast(int32_t x, int32_t y, IDirectDrawSurface* source, const RECT* sourceRect,
                  uint32_t trans) override;
  HRESULT Flip(IDirectDrawSurface* targetOverride, uint32_t flags) override;
  HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached) override;
  HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override;
  HRESULT IsLost() override;
  HRESULT Restore() override;
  HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key) override;
  HRESULT SetClipper(IDirectDrawClipper* clipper) override;
  HRESULT SetPalette(IDirectDrawPalette* palette) override;
  HRESULT GetDC(HDC* dc) override;
  HRESULT ReleaseDC(HDC dc) override;
  TPixelView Pixels() const override;
  void MarkLost() override { m_lost = true; }

  // For the DirectDraw object.
  void attachBackBuffer(TSoftSurface* back);
  void flipToGdi();
  const PALETTEENTRY* shownPalette() const;
  bool showsPalette(const TSoftPalette* palette) const { return m_palette == palette; }

private:
  class TDc;
  ~TSoftSurface() override;

  bool lost();
  RECT bounds() const { return {0, 0, m_width, m_height}; }
  uint8_t* row(int32_t y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_pitch; }
  void fill(const RECT& rect, uint32_t color);
  void copy(int32_t x, int32_t y, TSoftSurface& source, const RECT& sourceRect,
            std::optional<uint32_t> key);
  void drawBitmap(const TBitmap& bitmap, int32_t x, int32_t y);
  // Cuts `dest` (and `source` with it) to the clipper's window, or reports a rectangle outside
  // the surface when there is no clipper; false when nothing is left or the rectangle is bad.
  HRESULT clip(RECT& dest, RECT* source) const;
  // Whether `source` can be copied onto this surface now.
  HRESULT checkSource(TSoftSurface* source);
  // The colour key a copy from `source` uses, when `keyed`; fails when it has none.
  HRESULT sourceKey(const TSoftSurface& source, bool keyed, std::optional<uint32_t>& key) const;
  void shown(const RECT& rect);
  // Every change of the pixels goes through here, so that kept opaque runs are found again.
  void changed() { ++m_version; }
  const TOpaqueSpans& opaqueSpans(uint32_t key);

  TSoftDirectDraw* m_owner;
  Kind m_kind;
  int32_t m_width, m_height, m_bitsPerPixel, m_pitch;
  std::vector<uint8_t> m_pixels;
  bool m_lost = false;
  bool m_flipped = false;
  std::optional<uint32_t> m_colorKey;
  TSoftClipper* m_clipper = nullptr;
  TSoftPalette* m_palette = nullptr;
  TSoftSurface* m_back = nullptr;
  TDc* m_dc;
  bool m_dcTaken = false;
  uint64_t m_version = 0;
  std::unique_ptr<TOpaqueSpans> m_spans;
  uint64_t m_spansVersion = 0;
};

#pragma once

#include "gfx/ComObject.h"
#include "gfx/DDraw3.h"

class TSoftPalette;
class TSoftSurface;

// The DirectDraw object: the cooperative level, the display mode (the desktop, 32-bit XRGB,
// or a full-screen 8-bit mode shown by the exclusive window) and the one primary surface.
class TSoftDirectDraw final : public TComObject<IDirectDraw> {
public:
  TSoftDirectDraw();

  HRESULT SetCooperativeLevel(HWND window, uint32_t flags) override;
  HRESULT SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT GetDisplayMode(DDSURFACEDESC* desc) override;
  HRESULT FlipToGDISurface() override;
  HRESULT CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                        void* outer) override;
  HRESULT CreateClipper(uint32_t flags, IDirectDrawClipper** clipper, void* outer) override;
  HRESULT CreatePalette(uint32_t flags, const PALETTEENTRY* entries,
                        IDirectDrawPalette** palette, void* outer) override;

  // For the surfaces and palettes this object made.
  bool fullScreen() const { return m_modeWidth != 0; }
  int32_t bitsPerPixel() const { return fullScreen() ? 8 : 32; }
  // True while a full-screen display's window has lost the focus.
  bool exclusiveInactive() const;
  // The palette that 8-bit pixels are shown through, and that bitmaps are matched against.
  const PALETTEENTRY* displayPalette() const;
  // The window system's palette, shown while no palette is attached to the primary.
  const PALETTEENTRY* defaultPalette() const { return m_defaultPalette; }
  void primaryGone(TSoftSurface* primary);
  void paletteChanged(TSoftPalette* palette);
  // Shows the full-screen primary's visible buffer in the exclusive window.
  void presentFrame();

private:
  ~TSoftDirectDraw() override = default;
  HRESULT createPrimary(const DDSURFACEDESC& desc, IDirectDrawSurface** surface);
  HRESULT createOffscreen(const DDSURFACEDESC& desc, IDirectDrawSurface** surface);

  HWND m_window = nullptr;
  bool m_exclusive = false;
  int32_t m_modeWidth = 0;
  int32_t m_modeHeight = 0;
  TSoftSurface* m_primary = nullptr;
  PALETTEENTRY m_defaultPalette[256];
};

#pragma once

#include "gfx/DDraw3.h"

#include <array>
#include <memory>

class TDisplayWindow;
class TDXImageObject;
class TDXSurface;

// The game's display device: the DirectDraw object, the visible (primary) and back surfaces,
// the palette, the windowed clipper and the table of images. Everything of the game draws on
// Back; Flip shows it. Mode 4 is windowed in the desktop's format; modes 0 to 3 are 8-bit full
// screen at 640 x 480, 320 x 200, 800 x 600 and 1024 x 768. Failures raise EDXError. Window
// thread only.
class TDX {
public:
  // `form` is the game window, `panel` the control filling its client area. Makes no
  // DirectDraw call; the first SetMode does.
  TDX(TDisplayWindow* form, TDisplayWindow* panel);
  ~TDX();
  TDX(const TDX&) = delete;
  TDX& operator=(const TDX&) = delete;

  // Builds the display for mode `mode`; nothing happens when it is already in force.
  void SetMode(uint8_t mode);
  // Shows what has been drawn on Back.
  void Flip();
  // Takes 256 entries as the colours the display wants; in a window they wait for full screen.
  void SetPaletteEntries(const PALETTEENTRY* entries);
  // Keeps `image` in the next slot and returns the slot's index.
  int32_t AddImage(std::unique_ptr<TDXImageObject> image);
  // Frees every image; the next one goes into slot 0 again.
  void FreeImages();
  void RestoreFront(TDXSurface& sender);
  void RestoreBack(TDXSurface& sender);

  static constexpr int kImageSlots = 256;

  IDirectDrawPalette* Palette = nullptr;
  PALETTEENTRY PaletteEntries[256];
  IDirectDraw* DirectDraw = nullptr;
  IDirectDrawClipper* Clipper = nullptr;
  std::unique_ptr<TDXSurface> Primary;
  std::unique_ptr<TDXSurface> Back;
  std::array<std::unique_ptr<TDXImageObject>, kImageSlots> Images;
  int32_t ImageCount = 0;
  TDisplayWindow* Form;
  TDisplayWindow* Panel;
  uint8_t Mode = 0;
  RECT SavedBounds;

private:
  void InitPalette();
  void leaveMode();
  void enterWindowed();
  void enterFullScreen();
  void releasePaletteAndClipper();
};

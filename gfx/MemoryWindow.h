#pragma once

#include "gfx/DisplayWindow.h"

#include <vector>

// A display window that lives in memory: it keeps what the display shows, so tests (and
// programs without a screen) can read the pixels back as colours.
class TMemoryWindow : public TDisplayWindow {
public:
  // A window whose client area is `client` on a screen of `screenWidth` x `screenHeight`;
  // its outer bounds add a 4-pixel frame and a 20-pixel title.
  TMemoryWindow(int32_t screenWidth, int32_t screenHeight, RECT client);

  RECT ScreenRect() const override { return {0, 0, m_screenWidth, m_screenHeight}; }
  RECT ClientScreenRect() const override { return m_client; }
  RECT Bounds() const override { return m_bounds; }
  void SetBounds(const RECT& bounds) override;
  void SetCursorVisible(bool visible) override { m_cursorVisible = visible; }
  void Close() override { ++m_closeRequests; }
  bool IsActive() const override { return m_active; }
  void ShowScreen(const TPixelView& screen, const RECT& rect) override;
  void EnterFullScreen(int32_t width, int32_t height) override;
  void LeaveFullScreen() override;
  void ShowFrame(const TPixelView& frame, const PALETTEENTRY* palette) override;

  void setActive(bool active) { m_active = active; }
  bool fullScreen() const { return m_fullScreen; }
  bool cursorVisible() const { return m_cursorVisible; }
  int closeRequests() const { return m_closeRequests; }
  int framesShown() const { return m_framesShown; }
  // The colour (0xRRGGBB) the user sees at (x, y) of the client area: in a window from the
  // last blits onto the screen, in full screen from the last frame through the palette it was
  // shown with.
  uint32_t clientPixel(int32_t x, int32_t y) const;

private:
  int32_t m_screenWidth, m_screenHeight;
  RECT m_client;
  RECT m_bounds;
  bool m_active = true;
  bool m_fullScreen = false;
  bool m_cursorVisible = true;
  int m_closeRequests = 0;
  int m_framesShown = 0;
  std::vector<uint32_t> m_screen;
  int32_t m_frameWidth = 0, m_frameHeight = 0;
  std::vector<uint8_t> m_frame;
  PALETTEENTRY m_palette[256] = {};
};

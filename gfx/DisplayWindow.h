#pragma once

#include "gfx/DDraw3.h"

// What the display API needs of a window: the game window (for full screen, bounds and the
// pointer) and the panel that fills its client area (for the windowed picture). The Qt game
// panel is one; an in-memory window stands in for it in tests. Screen coordinates count from
// the top left of the window's own screen. Called on the window's thread only.
class TDisplayWindow {
public:
  virtual ~TDisplayWindow() = default;

  // The size of the window's screen, as (0, 0, width, height).
  virtual RECT ScreenRect() const = 0;
  // The client area in screen coordinates.
  virtual RECT ClientScreenRect() const = 0;
  // The outer bounds in screen coordinates, and setting them.
  virtual RECT Bounds() const = 0;
  virtual void SetBounds(const RECT& bounds) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  // Asks the window to close.
  virtual void Close() = 0;
  // False while another window has the keyboard focus; a full-screen display loses its
  // surfaces then.
  virtual bool IsActive() const = 0;

  // A blit onto the windowed screen changed `rect` (screen coordinates, already inside the
  // client area) of `screen`, the whole screen's XRGB pixels.
  virtual void ShowScreen(const TPixelView& screen, const RECT& rect) = 0;
  // The display switches to `width` x `height`: the window covers the screen and shows the
  // frames of ShowFrame, scaled by the largest whole factor that fits and centred on black.
  virtual void EnterFullScreen(int32_t width, int32_t height) = 0;
  virtual void LeaveFullScreen() = 0;
  // The visible full-screen buffer: 8-bit indexes into the 256 `palette` entries.
  virtual void ShowFrame(const TPixelView& frame, const PALETTEENTRY* palette) = 0;
};

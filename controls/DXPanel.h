#pragma once

#include "gfx/DisplayWindow.h"

#include <QImage>
#include <QWidget>

#include <functional>

// The control the game draws into, filling its window's client area. It is the display
// device's window in both roles: as the panel it shows what lands on the windowed screen
// inside its area; as the game window (its top-level window) it goes full screen and shows
// each frame through its palette, scaled by the largest whole factor that fits and centred on
// black. GUI thread only.
class TDXPanel : public QWidget, public TDisplayWindow {
public:
  explicit TDXPanel(QWidget* parent = nullptr);

  // Run when the panel must paint itself anew in a window (the game shows its last frame
  // again).
  std::function<void()> OnPaint;

  RECT ScreenRect() const override;
  RECT ClientScreenRect() const override;
  RECT Bounds() const override;
  void SetBounds(const RECT& bounds) override;
  void SetCursorVisible(bool visible) override;
  void Close() override;
  bool IsActive() const override;
  void ShowScreen(const TPixelView& screen, const RECT& rect) override;
  void EnterFullScreen(int32_t width, int32_t height) override;
  void LeaveFullScreen() override;
  void ShowFrame(const TPixelView& frame, const PALETTEENTRY* palette) override;

  // The scale factor and the place of a `frame` sized picture in an `area` sized panel.
  static QRect fullScreenPlacement(QSize frame, QSize area);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void changed();

  QImage m_picture;
  bool m_fullScreen = false;
  bool m_painting = false;
};

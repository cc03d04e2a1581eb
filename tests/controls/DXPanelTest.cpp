#include "controls/DXPanel.h"

#include "gfx/DX.h"
#include "gfx/DXSurface.h"
#include "tests/support/QtApp.h"

#include <QApplication>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A 640 x 480 game window whose client area the panel fills, with the display device on it.
class DXPanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    window.resize(640, 480);
    window.show();
    QApplication::processEvents();
    panel->OnPaint = [this] {
      if (dx.Primary) dx.Flip();
    };
  }

  QColor seen(int x, int y) { return panel->grab().toImage().pixelColor(x, y); }

  QApplication& app = testApp();
  QWidget window;
  TDXPanel* panel = new TDXPanel;
  TDX dx{panel, panel};
};

// In a window the back surface's top left shows in the panel after Flip, and again whenever
// the panel repaints.
TEST_F(DXPanelTest, WindowedFrames) {
  dx.SetMode(4);
  dx.Back->Erase(0x00204060);
  dx.Back->EraseRect({10, 10, 20, 20}, 0x00FF0000);
  dx.Flip();
  EXPECT_EQ(seen(0, 0), QColor(0x20, 0x40, 0x60));
  EXPECT_EQ(seen(15, 15), QColor(Qt::red));
  EXPECT_EQ(seen(639, 479), QColor(0x20, 0x40, 0x60));
  dx.Back->Erase(0x0000FF00);
  EXPECT_EQ(seen(300, 300), QColor(Qt::green));
}

// Full screen shows the frame through its palette, centred on black at a whole scale, and
// leaving it gives the window back its bounds.
TEST_F(DXPanelTest, FullScreenFrames) {
  dx.SetMode(4);
  RECT bounds = panel->Bounds();
  dx.SetMode(0);
  QApplication::processEvents();
  EXPECT_TRUE(window.isFullScreen());
  PALETTEENTRY entries[256] = {};
  entries[9] = {250, 100, 0, 0};
  dx.SetPaletteEntries(entries);
  dx.Back->Erase(9);
  dx.Flip();
  QRect placed = TDXPanel::fullScreenPlacement({640, 480}, panel->size());
  EXPECT_EQ(seen(placed.center().x(), placed.center().y()), QColor(250, 100, 0));
  if (placed.left() > 0) {
    EXPECT_EQ(seen(0, 0), QColor(Qt::black));
  }
  dx.SetMode(4);
  QApplication::processEvents();
  EXPECT_FALSE(window.isFullScreen());
  EXPECT_EQ(panel->Bounds(), bounds);
}

// The picture grows by whole factors only and sits in the middle.
TEST(DXPanelPlacementTest, WholeFactorsCentred) {
  EXPECT_EQ(TDXPanel::fullScreenPlacement({640, 480}, {800, 600}), QRect(80, 60, 640, 480));
  EXPECT_EQ(TDXPanel::fullScreenPlacement({640, 480}, {1920, 1080}), QRect(320, 60, 1280, 960));
  EXPECT_EQ(TDXPanel::fullScreenPlacement({640, 480}, {2560, 1440}), QRect(320, 0, 1920, 1440));
  EXPECT_EQ(TDXPanel::fullScreenPlacement({640, 480}, {600, 400}), QRect(-20, -40, 640, 480));
}

} // namespace

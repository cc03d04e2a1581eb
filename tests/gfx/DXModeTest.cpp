#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/MemoryWindow.h"

#include "tests/support/BitmapFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// An image that counts how often the display device reloads it after it was made.
class CountingImage : public TDXBMPImage {
public:
  using TDXBMPImage::TDXBMPImage;
  void Load() override {
    ++reloads;
    TDXBMPImage::Load();
  }
  int reloads = 0;
};

constexpr uint8_t kWindowed = 4;
constexpr uint8_t kFullScreen = 0;

// Mode switches of the display device on an in-memory window: a 640 x 480 client at (100, 80)
// on a 1024 x 768 screen.
class DXModeTest : public ::testing::Test {
protected:
  // A one-frame 20 x 20 bitmap of colour 1, whose table gives colour 1 the value `rgb`.
  std::string bitmap(const std::string& name, uint32_t rgb) {
    return writeIndexedBitmap(dir.file(name), 20, 20, {0x000000, rgb}, [](int, int) { return 1; });
  }

  int32_t addImage(const std::string& path, bool usePalette = true) {
    return dx.AddImage(std::make_unique<TDXBMPImage>(&dx, path, 20, 20, usePalette));
  }

  // Draws frame 0 of image `index` at the top left of the back surface, shows it and returns
  // the colour the user sees there.
  uint32_t shown(int32_t index) {
    dx.Back->Erase(0);
    dx.Back->DrawImage(*dx.Images[index], 0, 0, 0);
    dx.Flip();
    return window.clientPixel(5, 5);
  }

  TempDir dir;
  TMemoryWindow window{1024, 768, {100, 80, 740, 560}};
  TDX dx{&window, &window};
};

// The first SetMode(0) makes the DirectDraw object and enters full screen though Mode already
// reads 0; asking for the mode in force again rebuilds nothing.
TEST_F(DXModeTest, FirstAndRepeatedSetMode) {
  EXPECT_EQ(dx.Mode, 0);
  EXPECT_EQ(dx.DirectDraw, nullptr);
  dx.SetMode(kFullScreen);
  ASSERT_NE(dx.DirectDraw, nullptr);
  EXPECT_TRUE(window.fullScreen());
  EXPECT_FALSE(window.cursorVisible());
  EXPECT_EQ(dx.Back->Width, 640);
  EXPECT_EQ(dx.Back->Attached, 1);
  auto counted = std::make_unique<CountingImage>(&dx, bitmap("a.bmp", 0x336699), 20, 20, true);
  CountingImage& image = *counted;
  dx.AddImage(std::move(counted));
  IDirectDrawSurface* primary = dx.Primary->Surface;
  dx.SetMode(kFullScreen);
  EXPECT_EQ(dx.Primary->Surface, primary);
  EXPECT_EQ(image.reloads, 0);
  dx.SetMode(kWindowed);
  EXPECT_EQ(image.reloads, 1);
}

// Windowed to full screen and back: the window returns to the bounds it had, the pointer is
// hidden in full screen only, and every image is drawn from a surface of the new mode.
TEST_F(DXModeTest, SwitchingRestoresBoundsAndReloadsImages) {
  dx.SetMode(kWindowed);
  EXPECT_FALSE(window.fullScreen());
  EXPECT_EQ(dx.Back->Width, 1024);
  EXPECT_NE(dx.Clipper, nullptr);
  int32_t image = addImage(bitmap("a.bmp", 0x336699));
  EXPECT_EQ(shown(image), 0x336699u);
  const RECT bounds = window.Bounds();

  dx.SetMode(kFullScreen);
  EXPECT_TRUE(window.fullScreen());
  EXPECT_EQ(dx.Clipper, nullptr);
  EXPECT_EQ(dx.Images[image]->Surface->Surface->Pixels().bitsPerPixel, 8);
  EXPECT_EQ(shown(image), 0x336699u);

  dx.SetMode(kWindowed);
  EXPECT_FALSE(window.fullScreen());
  EXPECT_EQ(window.Bounds(), bounds);
  EXPECT_TRUE(window.cursorVisible());
  EXPECT_EQ(dx.Images[image]->Surface->Surface->Pixels().bitsPerPixel, 32);
  EXPECT_EQ(shown(image), 0x336699u);
}

// Palette changes in a window wait for full screen; there the last image with a palette
// decides the colours, an image without one takes the nearest of them.
TEST_F(DXModeTest, PaletteRules) {
  dx.SetMode(kWindowed);
  PALETTEENTRY entries[256] = {};
  entries[1] = {1, 2, 3, 0};
  dx.SetPaletteEntries(entries);
  EXPECT_EQ(dx.Palette, nullptr);
  dx.SetMode(kFullScreen);
  ASSERT_NE(dx.Palette, nullptr);
  dx.Back->Erase(1);
  dx.Flip();
  EXPECT_EQ(window.clientPixel(300, 300), 0x010203u);

  int32_t first = addImage(bitmap("first.bmp", 0x00FF00));
  int32_t second = addImage(bitmap("second.bmp", 0xFF0000));
  EXPECT_EQ(dx.PaletteEntries[1], (PALETTEENTRY{255, 0, 0, 0}));
  EXPECT_EQ(shown(first), 0xFF0000u); // its colour 1 now shows the second image's colour
  EXPECT_EQ(shown(second), 0xFF0000u);
  int32_t plain = addImage(bitmap("plain.bmp", 0xF00808), false);
  EXPECT_EQ(shown(plain), 0xFF0000u);
}

// A lost back surface is restored by the drawing call that finds it lost, which draws nothing
// and raises nothing; a lost image surface stays lost until a mode switch reloads the images.
TEST_F(DXModeTest, LostSurfaces) {
  dx.SetMode(kWindowed);
  int32_t image = addImage(bitmap("a.bmp", 0x336699));
  dx.Back->Erase(9);
  dx.Back->Surface->MarkLost();
  EXPECT_NO_THROW(dx.Back->Erase(7));
  EXPECT_FALSE(dx.Back->IsLost());
  EXPECT_EQ(dx.Back->Surface->Pixels().pixel(0, 0), 9u);

  dx.Images[image]->Surface->Surface->MarkLost();
  EXPECT_NO_THROW(dx.Back->DrawImage(*dx.Images[image], 0, 0, 0));
  EXPECT_TRUE(dx.Images[image]->Surface->IsLost());
  dx.SetMode(kFullScreen);
  EXPECT_FALSE(dx.Images[image]->Surface->IsLost());

  // The full-screen window losing the focus loses primary and back; drawing and flipping go on
  // without an error, and the display comes back with the focus.
  window.setActive(false);
  EXPECT_NO_THROW(dx.Back->Erase(3));
  EXPECT_NO_THROW(dx.Flip());
  window.setActive(true);
  EXPECT_EQ(shown(image), 0x336699u);
}

// Ending the device leaves full screen, shows the pointer and asks the window to close.
TEST_F(DXModeTest, DestroyRestoresTheDisplay) {
  TMemoryWindow own{1024, 768, {0, 0, 640, 480}};
  {
    TDX device(&own, &own);
    device.SetMode(kFullScreen);
    EXPECT_TRUE(own.fullScreen());
  }
  EXPECT_FALSE(own.fullScreen());
  EXPECT_TRUE(own.cursorVisible());
  EXPECT_EQ(own.closeRequests(), 1);
}

} // namespace

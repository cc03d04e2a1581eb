#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXCanvas.h"
#include "gfx/DXError.h"
#include "gfx/DXSurface.h"
#include "gfx/MemoryWindow.h"

#include "tests/support/BitmapFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// The shared test colours: index 0 black (transparent), then a few distinct colours.
const std::vector<uint32_t> kTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                      0x00FFFF, 0xFF00FF, 0x808080};

constexpr uint8_t kWindowed = 4;
constexpr uint8_t kFullScreen = 0;

// Drawing on the back surface in both display formats: colours are written and read back as
// the surface's own pixel values (palette indexes in full screen, XRGB in a window).
class DXSurfaceTest : public ::testing::TestWithParam<uint8_t> {
protected:
  void SetUp() override {
    dx.SetMode(GetParam());
    // A 108 x 20 strip of three 36 x 20 frames: frame f has colour f + 1 in column c when c is
    // even and is transparent in odd columns; its rows carry nothing else.
    strip = addImage(writeIndexedBitmap(dir.file("strip.bmp"), 108, 20, kTable,
                                        [](int x, int) { return x % 2 ? 0 : 1 + x / 36; }),
                     36, 20);
  }

  int32_t addImage(const std::string& path, int fw, int fh, bool usePalette = true) {
    return dx.AddImage(std::make_unique<TDXBMPImage>(&dx, path, fw, fh, usePalette));
  }

  bool full() const { return GetParam() == kFullScreen; }
  // The back surface's value for table colour `index`.
  uint32_t value(int index) const { return full() ? index : kTable[index]; }
  uint32_t back(int x, int y) const { return dx.Back->Surface->Pixels().pixel(x, y); }

  TempDir dir;
  TMemoryWindow window{1024, 768, {100, 80, 740, 560}};
  TDX dx{&window, &window};
  int32_t strip = -1;
};

// Colour fills write the value as given, in the whole surface or in a rectangle.
TEST_P(DXSurfaceTest, ColourFill) {
  dx.Back->Erase(70);
  EXPECT_EQ(back(0, 0), 70u);
  EXPECT_EQ(back(639, 479), 70u);
  dx.Back->EraseRect({10, 20, 30, 40}, 5);
  EXPECT_EQ(back(10, 20), 5u);
  EXPECT_EQ(back(29, 39), 5u);
  EXPECT_EQ(back(30, 39), 70u);
  EXPECT_EQ(back(9, 20), 70u);
}

// A frame is drawn with its colour-0 pixels left alone.
TEST_P(DXSurfaceTest, ColourKeyLeavesTransparentPixels) {
  dx.Back->Erase(70);
  dx.Back->DrawImage(*dx.Images[strip], 200, 100, 1);
  EXPECT_EQ(back(200, 100), value(2));
  EXPECT_EQ(back(201, 100), 70u);
  EXPECT_EQ(back(234, 119), value(2));
  EXPECT_EQ(back(236, 100), 70u);
  dx.Back->Draw(300, 100, false, {36, 0, 72, 20}, *dx.Images[strip]->Surface);
  EXPECT_EQ(back(301, 100), 0u);
  dx.Back->Draw(400, 100, true, {36, 0, 72, 20}, *dx.Images[strip]->Surface);
  EXPECT_EQ(back(401, 100), 70u);
  EXPECT_EQ(back(400, 100), value(2));
}

// Frames partly or wholly outside the surface or the bitmap draw only their inside part.
TEST_P(DXSurfaceTest, ClippedFrames) {
  dx.Back->Erase(70);
  dx.Back->DrawImage(*dx.Images[strip], -10, 0, 0);
  EXPECT_EQ(back(0, 0), value(1));  // column 10 of the frame
  EXPECT_EQ(back(1, 0), 70u);       // column 11, transparent
  EXPECT_EQ(back(25, 0), 70u);      // column 35
  EXPECT_EQ(back(26, 0), 70u);      // beyond the frame
  dx.Back->Erase(70);
  dx.Back->DrawImage(*dx.Images[strip], 10, 10, 3);  // beyond the strip's three frames
  dx.Back->DrawImage(*dx.Images[strip], 10, 10, -1); // left of it
  dx.Back->DrawImage(*dx.Images[strip], 700, 10, 0); // right of the back surface's 640
  for (int x = 0; x < 60; ++x) EXPECT_EQ(back(x, 10), 70u) << x;
}

INSTANTIATE_TEST_SUITE_P(BothFormats, DXSurfaceTest, ::testing::Values(kWindowed, kFullScreen),
                         [](const auto& info) {
                           return std::string(info.param == kWindowed ? "Windowed" : "FullScreen");
                         });

// The clipping cases of a fast blit: inside, at an edge, outside and at a negative origin.
struct ClipCase {
  const char* name;
  int32_t x, y;
  RECT source;
  bool drawn;
  int32_t endX, endY;
  RECT endSource;
};

class ClipBlitTest : public ::testing::TestWithParam<ClipCase> {
protected:
  TMemoryWindow window{1024, 768, {0, 0, 640, 480}};
  TDX dx{&window, &window};
};

TEST_P(ClipBlitTest, AdjustsPositionAndRectangle) {
  dx.SetMode(kWindowed);
  TDXSurface dest(&dx, 100, 50);
  TDXSurface source(&dx, 40, 30);
  const ClipCase& c = GetParam();
  int32_t x = c.x, y = c.y;
  RECT r = c.source;
  ASSERT_EQ(dest.ClipBlit(x, y, r, source), c.drawn);
  if (!c.drawn) return;
  EXPECT_EQ(x, c.endX);
  EXPECT_EQ(y, c.endY);
  EXPECT_EQ(r, c.endSource);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipBlitTest,
    ::testing::Values(ClipCase{"Inside", 5, 6, {0, 0, 20, 10}, true, 5, 6, {0, 0, 20, 10}},
                      ClipCase{"RightAndBottomEdge", 90, 45, {0, 0, 20, 10}, true, 90, 45, {0, 0, 10, 5}},
                      ClipCase{"NegativeOrigin", -10, -4, {0, 0, 36, 10}, true, 0, 0, {10, 4, 36, 10}},
                      ClipCase{"OutsideTheDestination", 100, 0, {0, 0, 20, 10}, false, 0, 0, {}},
                      ClipCase{"BeyondTheSource", 0, 0, {40, 0, 60, 10}, false, 0, 0, {}},
                      ClipCase{"PartlyBeyondTheSource", 0, 0, {30, 20, 50, 40}, true, 0, 0, {30, 20, 40, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

// Frame rectangles count columns from the bitmap's width; the rest of a row is never used.
TEST(DXImageTest, FrameRectangles) {
  TempDir dir;
  TMemoryWindow window{1024, 768, {0, 0, 640, 480}};
  TDX dx{&window, &window};
  dx.SetMode(kWindowed);
  auto grid = [&](int w, int h, int fw, int fh) {
    auto path = writeIndexedBitmap(dir.file("g.bmp"), w, h, kTable, [](int, int) { return 1; });
    return TDXBMPImage(&dx, path, fw, fh, false);
  };
  TDXBMPImage threeByTwo = grid(60, 40, 20, 20);
  EXPECT_EQ(threeByTwo.Columns, 3);
  EXPECT_EQ(threeByTwo.FrameRect(4), (RECT{20, 20, 40, 40}));
  EXPECT_EQ(threeByTwo.FrameRect(-1), (RECT{-20, 0, 0, 20}));
  TDXBMPImage wide = grid(100, 50, 36, 50);
  EXPECT_EQ(wide.Columns, 2);
  EXPECT_EQ(wide.FrameRect(1), (RECT{36, 0, 72, 50}));
  EXPECT_EQ(wide.FrameRect(2), (RECT{0, 50, 36, 100}));
  TDXBMPImage narrow = grid(10, 10, 20, 20);
  EXPECT_EQ(narrow.Columns, 0);
  EXPECT_EQ(narrow.FrameRect(0), (RECT{}));
}

// Failures raise EDXError with the operation's message; a missing bitmap raises its reader's
// error and nothing is registered.
TEST(DXImageTest, Failures) {
  TempDir dir;
  TMemoryWindow window{1024, 768, {0, 0, 640, 480}};
  TDX dx{&window, &window};
  dx.SetMode(kWindowed);
  EXPECT_THROW(TDXCanvas(nullptr), EDXError);
  try {
    TDXSurface bad(&dx, 0, 5);
    FAIL();
  } catch (const EDXError& e) {
    EXPECT_STREQ(e.what(), "Cannot create surface (0, 5): DDERR_INVALIDPARAMS");
  }
  EXPECT_THROW(dx.AddImage(std::make_unique<TDXBMPImage>(&dx, dir.file("none.bmp"), 8, 8, false)),
               std::runtime_error);
  EXPECT_EQ(dx.ImageCount, 0);
  dx.Back->Surface->MarkLost();
  try {
    dx.Back->SetTransparentColor(0);
    FAIL();
  } catch (const EDXError& e) {
    EXPECT_STREQ(e.what(), "Cannot set transparent color: DDERR_SURFACELOST");
  }
}

} // namespace

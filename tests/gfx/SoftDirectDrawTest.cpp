#include "gfx/Bitmap.h"
#include "gfx/DDraw3.h"
#include "gfx/MemoryWindow.h"

#include <gtest/gtest.h>

namespace {

// The display API straight, on an in-memory window of 800 x 600 with a 200 x 100 client at
// (50, 40).
class SoftDirectDrawTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK); }
  void TearDown() override {
    for (IDirectDrawSurface* s : made) s->Release();
    dd->Release();
  }

  IDirectDrawSurface* offscreen(int w, int h) {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    made.push_back(s);
    return s;
  }

  IDirectDrawSurface* primary(uint32_t caps = DDSCAPS_PRIMARYSURFACE, uint32_t flags = DDSD_CAPS) {
    DDSURFACEDESC d;
    d.dwFlags = flags;
    d.ddsCaps.dwCaps = caps;
    d.dwBackBufferCount = 1;
    IDirectDrawSurface* s = nullptr;
    HRESULT r = dd->CreateSurface(&d, &s, nullptr);
    if (r != DD_OK) return nullptr;
    made.push_back(s);
    return s;
  }

  void fill(IDirectDrawSurface* s, uint32_t color, const RECT* r = nullptr) {
    DDBLTFX fx;
    fx.dwFillColor = color;
    ASSERT_EQ(s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }

  TMemoryWindow window{800, 600, {50, 40, 250, 140}};
  IDirectDraw* dd = nullptr;
  std::vector<IDirectDrawSurface*> made;
};

// A window's surfaces are 32-bit and as large as asked; the windowed primary is the screen.
TEST_F(SoftDirectDrawTest, WindowedSurfaces) {
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface* screen = primary();
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->Pixels().width, 800);
  EXPECT_EQ(screen->Pixels().bitsPerPixel, 32);
  EXPECT_EQ(primary(), nullptr);
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* second = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  EXPECT_EQ(offscreen(30, 20)->Pixels().bitsPerPixel, 32);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 8), DDERR_NOEXCLUSIVEMODE);
}

// Blits onto the windowed primary are clipped to the clipper's window and shown there.
TEST_F(SoftDirectDrawTest, ClipperKeepsBlitsInTheClientArea) {
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface* screen = primary();
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, &window), DD_OK);
  ASSERT_EQ(screen->SetClipper(clipper), DD_OK);
  clipper->Release();
  IDirectDrawSurface* source = offscreen(300, 300);
  fill(source, 0x00FF8000);
  RECT dest{0, 0, 300, 300};
  ASSERT_EQ(screen->Blt(&dest, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(screen->Pixels().pixel(49, 39), 0u);
  EXPECT_EQ(screen->Pixels().pixel(50, 40), 0x00FF8000u);
  EXPECT_EQ(screen->Pixels().pixel(249, 139), 0x00FF8000u);
  EXPECT_EQ(screen->Pixels().pixel(250, 140), 0u);
  EXPECT_EQ(window.clientPixel(0, 0), 0xFF8000u);
  EXPECT_EQ(window.clientPixel(199, 99), 0xFF8000u);
  EXPECT_EQ(screen->BltFast(0, 0, source, nullptr, 0), DDERR_BLTFASTCANTCLIP);
}

// Without a clipper a rectangle outside the surface is refused, and sizes must agree.
TEST_F(SoftDirectDrawTest, RectanglesAreChecked) {
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface* a = offscreen(40, 40);
  IDirectDrawSurface* b = offscreen(40, 40);
  RECT out{30, 30, 50, 50};
  DDBLTFX fx;
  EXPECT_EQ(a->Blt(&out, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
  RECT src{0, 0, 20, 20};
  EXPECT_EQ(a->BltFast(30, 30, b, &src, 0), DDERR_INVALIDRECT);
  RECT big{0, 0, 30, 30};
  EXPECT_EQ(a->Blt(&big, b, &src, DDBLT_WAIT, nullptr), DDERR_NOSTRETCHHW);
  EXPECT_EQ(a->BltFast(0, 0, b, &src, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
}

// A copy of a surface onto itself, overlapping, moves the picture as a whole.
TEST_F(SoftDirectDrawTest, OverlappingCopyOntoItself) {
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface* s = offscreen(10, 10);
  for (int y = 0; y < 10; ++y) {
    RECT line{0, y, 10, y + 1};
    fill(s, 100 + y, &line);
  }
  RECT src{0, 0, 10, 8};
  ASSERT_EQ(s->BltFast(0, 2, s, &src, 0), DD_OK);
  for (int y = 2; y < 10; ++y) EXPECT_EQ(s->Pixels().pixel(3, y), 100u + y - 2) << y;
  RECT back{0, 2, 10, 10};
  ASSERT_EQ(s->BltFast(0, 0, s, &back, 0), DD_OK);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(s->Pixels().pixel(3, y), 100u + y) << y;
}

// Keyed copies, in both pixel formats: every source rectangle of a picture with several
// opaque runs per row, an all-transparent row and an all-opaque one, so that each edge cuts
// runs everywhere, lands exactly as a pixel-by-pixel copy would; a picture changed after its
// first copy, or given another key, is copied as it is now.
TEST_F(SoftDirectDrawTest, KeyedCopiesAtEveryCut) {
  auto check = [&](const char* format) {
    IDirectDrawSurface* source = offscreen(9, 4);
    IDirectDrawSurface* target = offscreen(12, 8);
    auto value = [](int x, int y) -> uint32_t {
      if (y == 1 || (y != 3 && (x + 3 * y) % 4 == 0)) return 0;
      return 1 + x + 10 * y;
    };
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 9; ++x) {
        RECT dot{x, y, x + 1, y + 1};
        fill(source, value(x, y), &dot);
      }
    DDCOLORKEY key{0, 0};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    for (int top = 0; top < 4; ++top)
      for (int bottom = top + 1; bottom <= 4; ++bottom)
        for (int left = 0; left < 9; ++left)
          for (int right = left + 1; right <= 9; ++right) {
            fill(target, 200);
            RECT src{left, top, right, bottom};
            ASSERT_EQ(target->BltFast(2, 3, source, &src, DDBLTFAST_SRCCOLORKEY), DD_OK);
            for (int y = 0; y < 8; ++y)
              for (int x = 0; x < 12; ++x) {
                const int sx = x - 2 + left, sy = y - 3 + top;
                const bool inside = sx >= left && sx < right && sy >= top && sy < bottom;
                const uint32_t expected = inside && value(sx, sy) ? value(sx, sy) : 200;
                ASSERT_EQ(target->Pixels().pixel(x, y), expected)
                    << format << " " << left << "," << top << "-" << right << "," << bottom << " at " << x << "," << y;
              }
          }
    RECT corner{0, 0, 2, 1};
    fill(source, 0, &corner);
    fill(target, 200);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(target->Pixels().pixel(1, 0), 200u) << format;
    DDCOLORKEY other{value(5, 3), value(5, 3)};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &other), DD_OK);
    fill(target, 200);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(target->Pixels().pixel(1, 0), 0u) << format;
    EXPECT_EQ(target->Pixels().pixel(5, 3), 200u) << format;
  };
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  check("32-bit");
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8), DD_OK);
  check("8-bit");
}

// Full screen: 8-bit surfaces, a flip chain whose Flip exchanges the buffers and shows the
// front through the attached palette; only the listed 8-bit modes exist.
TEST_F(SoftDirectDrawTest, FullScreenFlipChain) {
  EXPECT_EQ(dd->SetCooperativeLevel(&window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DDERR_UNSUPPORTEDMODE);
  EXPECT_EQ(dd->SetDisplayMode(700, 500, 8), DDERR_UNSUPPORTEDMODE);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8), DD_OK);
  EXPECT_TRUE(window.fullScreen());
  IDirectDrawSurface* front =
      primary(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX, DDSD_CAPS | DDSD_BACKBUFFERCOUNT);
  ASSERT_TRUE(front);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
  EXPECT_EQ(back->Pixels().bitsPerPixel, 8);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

  PALETTEENTRY entries[256] = {};
  entries[7] = {10, 20, 30, 0};
  IDirectDrawPalette* palette = nullptr;
  EXPECT_EQ(dd->CreatePalette(0, entries, &palette, nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(front->SetPalette(palette), DD_OK);
  fill(back, 7);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(window.clientPixel(100, 100), 0x0A141Eu);
  EXPECT_EQ(front->Pixels().pixel(0, 0), 7u);
  EXPECT_EQ(back->Pixels().pixel(0, 0), 0u);
  entries[7] = {255, 0, 0, 0};
  ASSERT_EQ(palette->SetEntries(0, 7, 1, entries + 7), DD_OK);
  EXPECT_EQ(window.clientPixel(100, 100), 0xFF0000u);
  ASSERT_EQ(dd->FlipToGDISurface(), DD_OK);
  EXPECT_EQ(front->Pixels().pixel(0, 0), 0u);
  palette->Release();

  window.setActive(false);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
  window.setActive(true);
  EXPECT_EQ(front->Restore(), DD_OK);
  EXPECT_EQ(back->IsLost(), DD_OK);
  ASSERT_EQ(dd->RestoreDisplayMode(), DD_OK);
  EXPECT_FALSE(window.fullScreen());
}

// Bitmaps drawn through a device context keep their colours exactly in 32-bit and take the
// nearest display colour in 8-bit, pure black staying colour 0 and nothing else becoming it.
TEST_F(SoftDirectDrawTest, BitmapsThroughTheDeviceContext) {
  TBitmap bitmap;
  bitmap.width = 3;
  bitmap.height = 1;
  bitmap.colorTable = {0x000000, 0x102030, 0x030303};
  bitmap.indexes = {0, 1, 2};

  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface* rgb = offscreen(3, 1);
  HDC dc = nullptr;
  ASSERT_EQ(rgb->GetDC(&dc), DD_OK);
  HDC again = nullptr;
  EXPECT_EQ(rgb->GetDC(&again), DDERR_DCALREADYCREATED);
  RECT any{0, 0, 1, 1};
  DDBLTFX fx;
  EXPECT_EQ(rgb->Blt(&any, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
  dc->DrawBitmap(bitmap, 0, 0);
  ASSERT_EQ(rgb->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(rgb->ReleaseDC(dc), DDERR_NODC);
  EXPECT_EQ(rgb->Pixels().pixel(1, 0), 0x102030u);

  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8), DD_OK);
  IDirectDrawSurface* indexed = offscreen(3, 1);
  ASSERT_EQ(indexed->GetDC(&dc), DD_OK);
  dc->DrawBitmap(bitmap, 0, 0);
  indexed->ReleaseDC(dc);
  EXPECT_EQ(indexed->Pixels().pixel(0, 0), 0u);
  EXPECT_EQ(indexed->Pixels().pixel(1, 0), 32u); // the grey ramp's nearest entry
  EXPECT_NE(indexed->Pixels().pixel(2, 0), 0u);
}

} // namespace

// The bitmaps vorka_artgen draws, read back as the program reads them.

#include <QImage>
#include <QRect>
#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace {

QImage bitmap(const QString& name) { return QImage(QStringLiteral(VORKA_OUTPUT_DIR "/") + name); }

bool hasOpaquePixel(const QImage& image, const QRect& r) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (image.pixelIndex(x, y) != 0)
        return true;
  return false;
}

bool samePixels(const QImage& image, const QRect& a, const QRect& b) {
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (image.pixelIndex(a.x() + x, a.y() + y) != image.pixelIndex(b.x() + x, b.y() + y))
        return false;
  return true;
}

struct TSize {
  const char* name;
  int width, height;
};

const std::vector<TSize> kGameSizes{
    {"cube_lightblue.bmp", 20, 20}, {"cube_red.bmp", 20, 20},         {"cube_gray.bmp", 20, 20},
    {"cube_green.bmp", 20, 20},     {"cube_blue.bmp", 20, 20},        {"cube_lilac.bmp", 20, 20},
    {"cube_yellow.bmp", 20, 20},    {"cube_top.bmp", 200, 20},        {"cube_middle.bmp", 200, 20},
    {"cube_right.bmp", 200, 20},    {"cube_left.bmp", 200, 20},       {"cube_bottom.bmp", 200, 20},
    {"expl36x50x16.bmp", 576, 50},  {"bubble.bmp", 100, 20},          {"panel_header.bmp", 240, 46},
    {"panel_score.bmp", 174, 145},  {"panel_border.bmp", 6, 132},     {"panel_bottom.bmp", 240, 86},
    {"menubar.bmp", 2000, 20},      {"panel_gameover.bmp", 195, 216}, {"panel_pause.bmp", 222, 23},
    {"digits.bmp", 160, 24},        {"cube_small.bmp", 84, 12},       {"cube_ghost.bmp", 140, 20},
    {"panel_next.bmp", 56, 78}};

const std::vector<TSize> kUiSizes{
    {"main.bmp", 120, 260},       {"btnplaylist.bmp", 41, 41}, {"btnmodinfo.bmp", 41, 41},
    {"btngame.bmp", 41, 41},      {"btnrew.bmp", 41, 41},      {"btnstop.bmp", 41, 41},
    {"btnplay.bmp", 41, 41},      {"btnpause.bmp", 41, 41},    {"btnffwd.bmp", 41, 41},
    {"okup.bmp", 75, 25},         {"okdown.bmp", 75, 25},      {"cancelup.bmp", 75, 25},
    {"canceldown.bmp", 75, 25},   {"iconparent.bmp", 16, 14},  {"iconmodule.bmp", 16, 14},
    {"iconfolder.bmp", 16, 14},   {"appicon.bmp", 32, 32},     {"setupicon.bmp", 32, 32},
    {"playlisticon.bmp", 32, 32}, {"infoicon.bmp", 32, 32},    {"playlisttitle.bmp", 150, 24},
    {"infotitle.bmp", 86, 27}};

TEST(ArtTest, EveryBitmapHasItsSizeOnTheSharedPalette) {
  const QList<QRgb> palette = bitmap(QStringLiteral("cube_red.bmp")).colorTable();
  ASSERT_EQ(palette.size(), 256);
  EXPECT_EQ(palette[0], qRgb(0, 0, 0));
  EXPECT_EQ(palette[70], qRgb(0, 0, 70));
  EXPECT_EQ(palette.count(qRgb(0, 0, 0)), 1);
  std::vector<TSize> all = kGameSizes;
  all.insert(all.end(), kUiSizes.begin(), kUiSizes.end());
  for (const TSize& s : all) {
    const QImage image = bitmap(QString::fromLatin1(s.name));
    ASSERT_FALSE(image.isNull()) << s.name;
    EXPECT_EQ(image.size(), QSize(s.width, s.height)) << s.name;
    EXPECT_EQ(image.format(), QImage::Format_Indexed8) << s.name;
    EXPECT_EQ(image.colorTable(), palette) << s.name;
  }
}

TEST(ArtTest, CubesHaveNoTransparentPixel) {
  for (const char* colour : {"lightblue", "red", "gray", "green", "blue", "lilac", "yellow"}) {
    const QImage cube = bitmap(QStringLiteral("cube_%1.bmp").arg(colour));
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_NE(cube.pixelIndex(x, y), 0) << colour << " at " << x << ',' << y;
  }
}

TEST(ArtTest, AnimationFramesAreDrawnAndChange) {
  const struct {
    const char* name;
    QSize frame;
  } strips[] = {{"expl36x50x16.bmp", {36, 50}}, {"bubble.bmp", {20, 20}},
                {"menubar.bmp", {200, 20}},     {"panel_pause.bmp", {111, 23}},
                {"digits.bmp", {16, 24}},       {"cube_top.bmp", {20, 20}},
                {"cube_middle.bmp", {20, 20}},  {"cube_left.bmp", {20, 20}},
                {"cube_right.bmp", {20, 20}},   {"cube_bottom.bmp", {20, 20}},
                {"cube_small.bmp", {12, 12}},   {"cube_ghost.bmp", {20, 20}}};
  for (const auto& s : strips) {
    const QImage image = bitmap(QString::fromLatin1(s.name));
    const int frames = image.width() / s.frame.width();
    for (int f = 0; f < frames; ++f) {
      const QRect frame(QPoint(f * s.frame.width(), 0), s.frame);
      EXPECT_TRUE(hasOpaquePixel(image, frame)) << s.name << " frame " << f;
      if (f > 0) {
        EXPECT_FALSE(samePixels(image, frame, frame.translated(-s.frame.width(), 0)))
            << s.name << " frames " << f - 1 << " and " << f;
      }
    }
  }
}

// Glyph `code` of glyph set `set`: 96 glyphs a set, 16 a row.
QRect glyph(int set, int code) {
  const int n = 96 * set + code - 32;
  return {n % 16 * 8, n / 16 * 8, 8, 8};
}

TEST(ArtTest, FontHoldsAtLeastFourColouredSetsOfAsciiGlyphs) {
  const QImage font = bitmap(QStringLiteral("font_large.bmp"));
  ASSERT_EQ(font.width(), 128);
  ASSERT_EQ(font.height() % 48, 0);
  const int sets = font.height() / 48;
  EXPECT_GE(sets, 4);
  EXPECT_FALSE(hasOpaquePixel(font, glyph(0, ' ')));
  EXPECT_TRUE(hasOpaquePixel(font, glyph(0, 'A')));
  EXPECT_FALSE(samePixels(font, glyph(0, 'A'), glyph(0, 'B')));
  // The crossbar of the VGA 'A' (row 3) is lit in every set, in a colour of its own.
  QList<uint> crossbar;
  for (int set = 0; set < sets; ++set) {
    const uint index = font.pixelIndex(glyph(set, 'A').topLeft() + QPoint(3, 3));
    EXPECT_NE(index, 0u) << "set " << set;
    EXPECT_FALSE(crossbar.contains(index)) << "set " << set;
    crossbar << index;
  }
}

} // namespace

#include "game/Stats.h"
#include "game/board.h"
#include "game/brick.h"
#include "game/console.h"

#include "platform/random.h"
#include "tests/support/GameDisplay.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The back surface shown through the display palette, as the player sees a full-screen frame.
QImage screen(const TGameDisplay& d) {
  TPixelView back = d.dx.Back->Surface->Pixels();
  QImage image(back.width, back.height, QImage::Format_RGB32);
  for (int y = 0; y < back.height; ++y)
    for (int x = 0; x < back.width; ++x) {
      const PALETTEENTRY& e = d.dx.PaletteEntries[back.pixel(x, y)];
      image.setPixel(x, y, qRgb(e.peRed, e.peGreen, e.peBlue));
    }
  return image;
}

// A whole game screen built from the game objects, drawn in the frame's order: a stacked field
// with a falling brick, an explosion in flight, bubbles, the console with its menu and message
// line, and the statistics panel. It is kept as build/game-preview.png for review.
TEST(GamePreviewTest, WholeScreen) {
  SetRandomSeed(2026);
  TGameDisplay d(0);
  TBoard board(&d.dx);
  TBrick brick(&d.dx);
  TStats stats(&d.dx);
  TConsole console(&d.dx);
  for (int row = 13; row <= 21; ++row)
    for (int column = 4; column <= 13; ++column)
      if (row == 16 || Random(10) < 7 - (21 - row) / 3) board.Grid.at(column, row) = 2 + Random(7);
  board.FindFullRows();
  board.EmptyMarkedRows();
  for (int i = 0; i < 6; ++i) board.AnimateExplosion();
  for (int i = 0; i < 40; ++i) board.Update();
  brick.SetShape(5);
  brick.Y = 4;
  console.Score = 12870;
  console.Level = 7;
  console.BombPercent = 45;
  console.Cursor = 4;
  console.AddMessage("Welcome Player1");
  for (int i = 0; i < 20; ++i) console.Update();
  stats.BricksUsed = 96;
  stats.Points = 12870;
  stats.AddClear(1);
  stats.AddClear(2);

  console.ClearMenu();
  board.DrawBackground();
  board.Draw();
  console.DrawPanels();
  brick.Draw();
  board.DrawExplosion();
  stats.Draw();
  console.DrawMenu();

  QImage shot = screen(d);
  const std::string path = std::string(VORKA_OUTPUT_DIR) + "game-preview.png";
  ASSERT_TRUE(shot.save(QString::fromStdString(path)));
  EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(640, 480));
  // Below the well stays black; the header panel, drawn over by nothing, shows whole.
  EXPECT_EQ(shot.pixel(100, 470) & 0xFFFFFF, 0u);
  EXPECT_TRUE(d.drawnAt(console.HeaderImage, 0, 350, 35));
}

} // namespace

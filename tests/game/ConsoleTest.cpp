#include "game/Stats.h"
#include "game/console.h"

#include "platform/keyboard.h"
#include "tests/support/GameDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

namespace {

class ConsoleTest : public ::testing::Test {
protected:
  // One tick of the menu with `keys` down.
  int32_t tick(std::initializer_list<int> keys) {
    return console.HandleKeys([&](int vk) { return std::find(keys.begin(), keys.end(), vk) != keys.end(); });
  }

  TGameDisplay d;
  TConsole console{&d.dx};
};

// A new console offers level 1 with the bar on the start-level row.
TEST_F(ConsoleTest, NewConsoleMenu) {
  EXPECT_EQ(console.Level, 1);
  EXPECT_EQ(console.Cursor, 1);
  EXPECT_EQ(console.Score, 0);
  d.clear(0);
  console.DrawMenu();
  // The bar's right end, where no menu line runs over it.
  for (int y = 0; y < 20; ++y)
    for (int x = 150; x < 200; ++x) {
      if (uint32_t v = d.image(console.MenuBar.Image, 0, x, y)) {
        EXPECT_EQ(d.back(370 + x, 224 + y), v);
      }
    }
  const int32_t set3 = 3 * 96 - 32;
  EXPECT_TRUE(d.drawnAt(console.Text.Image, set3 + 'S', 390, 230));
  EXPECT_TRUE(d.drawnAt(console.Text.Image, set3 + '1', 390 + 8 * 13, 230));
  EXPECT_TRUE(d.drawnAt(console.Text.Image, set3 + 'P', 390, 215));
  EXPECT_TRUE(d.drawnAt(console.Text.Image, set3 + 'Q', 390, 365));
  console.ClearMenu();
  EXPECT_TRUE(d.plain({370, 209, 570, 380}, 0));
}

// The arrows move the bar and change the level within their limits, all of one tick together.
TEST_F(ConsoleTest, CursorAndLevelLimits) {
  tick({VK_LEFT});
  EXPECT_EQ(console.Level, 1);
  for (int i = 0; i < 12; ++i) tick({VK_RIGHT});
  EXPECT_EQ(console.Level, 10);
  tick({VK_UP});
  EXPECT_EQ(console.Cursor, 0);
  tick({VK_UP});
  EXPECT_EQ(console.Cursor, 0);
  tick({VK_LEFT});
  EXPECT_EQ(console.Level, 10);
  console.Cursor = 5;
  tick({VK_UP, VK_DOWN});
  EXPECT_EQ(console.Cursor, 5);
  for (int i = 0; i < 12; ++i) tick({VK_DOWN});
  EXPECT_EQ(console.Cursor, 10);
}

// Enter plays on row 0 every tick it is held, quits on row 10, runs the music command of its
// row and does nothing on the blank rows.
TEST_F(ConsoleTest, EnterActsOnTheRow) {
  std::vector<std::string> commands;
  console.OnPlayNext = [&] { commands.push_back("next"); };
  console.OnStop = [&] { commands.push_back("stop"); };
  console.OnPause = [&] { commands.push_back("pause"); };
  console.OnForward = [&] { commands.push_back("forward"); };
  console.OnRewind = [&] { commands.push_back("rewind"); };
  EXPECT_EQ(tick({}), TConsole::kNothing);
  console.Cursor = 0;
  EXPECT_EQ(tick({VK_RETURN}), TConsole::kPlayGame);
  EXPECT_EQ(tick({VK_RETURN}), TConsole::kPlayGame);
  for (int row = 1; row <= 9; ++row) {
    console.Cursor = row;
    EXPECT_EQ(tick({VK_RETURN}), TConsole::kNothing) << row;
  }
  EXPECT_EQ(commands, (std::vector<std::string>{"next", "stop", "pause", "forward", "rewind"}));
  console.Cursor = 10;
  EXPECT_EQ(tick({VK_RETURN}), TConsole::kQuit);
}

// The panels sit at their places with score, level and bomb meter in the LED digits.
TEST_F(ConsoleTest, Panels) {
  console.Score = 42;
  console.Level = 7;
  console.BombPercent = 100;
  d.clear(0);
  console.DrawPanels();
  EXPECT_TRUE(d.drawnAt(console.HeaderImage, 0, 350, 35));
  EXPECT_TRUE(d.drawnAt(console.BorderImage, 0, 584, 80));
  EXPECT_TRUE(d.drawnAt(console.BottomImage, 0, 350, 360));
  EXPECT_TRUE(d.drawnAt(console.Digits.Image, 2, 400 + 80, 83));
  EXPECT_TRUE(d.drawnAt(console.Digits.Image, 7, 400 + 80, 117));
  EXPECT_TRUE(d.drawnAt(console.Digits.Image, 1, 400 + 48, 151));
}

// Only clears of one to four rows count; the panel shows points per brick as a whole number.
TEST_F(ConsoleTest, Statistics) {
  TStats stats(&d.dx);
  stats.AddClear(0);
  stats.AddClear(5);
  stats.AddClear(2);
  stats.AddClear(4);
  stats.AddClear(4);
  EXPECT_EQ(stats.Counts, (std::array<int32_t, 4>{0, 1, 0, 2}));
  stats.BricksUsed = 12;
  stats.Points = 1000;
  d.clear(0);
  stats.Draw();
  EXPECT_TRUE(d.drawnAt(stats.Text.Image, 3 * 96 - 32 + '8', 98 + 8 * 15, 170));
  EXPECT_TRUE(d.drawnAt(stats.Text.Image, 3 * 96 - 32 + '3', 98 + 8 * 16, 170));
  EXPECT_TRUE(d.drawnAt(stats.Text.Image, 96 - 32 + '2', 98 + 8 * 15, 220)); // quadruples, set 1
  stats.Reset();
  EXPECT_EQ(stats.BricksUsed, 0);
  EXPECT_NO_THROW(stats.Draw());
}

} // namespace

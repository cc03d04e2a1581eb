#include "game/game.h"

#include "game/board.h"
#include "gfx/DataFolder.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "scores/Score.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

using namespace std::chrono_literals;

namespace {

void runEvents(std::chrono::milliseconds span) {
  auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(2ms);
  }
}

// The real game window with its heartbeat, frames and a player hammering keys, closed at a
// random moment, many times over: it never crashes or hangs, ticks and frames really run, and
// the music commands from the ticks arrive on the window's thread.
TEST(GameWindowTest, ClosedAtRandomMoments) {
  testApp();
  SetGameDataFolder(VORKA_OUTPUT_DIR);
  TempDir dir;
  THighScoreList scores(dir.file("highscore.dat"), 20);
  std::mt19937 random(42);
  const std::thread::id gui = std::this_thread::get_id();
  std::atomic<int> commands{0}, offThread{0};
  for (int round = 0; round < 8; ++round) {
    TGameLinks links;
    links.PlayerName = "Tester";
    links.HighScores = &scores;
    auto command = [&] {
      ++commands;
      if (std::this_thread::get_id() != gui) ++offThread;
    };
    // As the main window's handlers do, the commands go to the GUI thread first.
    links.PlayNext = links.Stop = [&, command] { QMetaObject::invokeMethod(qApp, command, Qt::QueuedConnection); };
    auto game = std::make_unique<TfrmGame>(nullptr, std::move(links));
    game->show();
    game->activateWindow();
    std::atomic<bool> playing{true};
    std::thread player([&] {
      const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE, VK_RETURN, 'P', 'N', 'S'};
      std::mt19937 fingers(round);
      while (playing) {
        int vk = keys[fingers() % std::size(keys)];
        KeyboardState().press(vk);
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + fingers() % 80));
        KeyboardState().release(vk);
      }
    });
    runEvents(std::chrono::milliseconds(300 + random() % 900));
    ASSERT_NE(game->Heartbeat(), nullptr);
    EXPECT_TRUE(game->Heartbeat()->Active);
    EXPECT_TRUE(game->Game().Board != nullptr);
    game->close();
    runEvents(20ms);
    game.reset();
    playing = false;
    player.join();
    KeyboardState().releaseAll();
  }
  runEvents(50ms);
  EXPECT_GT(commands.load(), 0);
  EXPECT_EQ(offThread.load(), 0);
}

} // namespace

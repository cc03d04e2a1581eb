#include "game/game.h"

#include "game/board.h"
#include "gfx/DataFolder.h"
#include "platform/keyboard.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "scores/Score.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
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

// A game whose build fails (a bitmap missing) says so and neither ticks nor draws, however
// many ticks and frames come; F4 tries the build again in the other mode, and once the bitmap
// is back it builds; Escape closes a window whose game could not be built.
TEST(GameWindowTest, FailedBuildIsSafeAndRetried) {
  testApp();
  TempDir data;
  for (const auto& file : std::filesystem::directory_iterator(VORKA_OUTPUT_DIR))
    if (file.path().extension() == ".bmp" && file.path().filename() != "panel_header.bmp")
      std::filesystem::copy(file.path(), data.path() / file.path().filename());
  SetGameDataFolder(data.path().string());
  std::vector<std::string> boxes;
  SetMessageBoxHandler([&](const std::string& text, const std::string&, TMessageKind) { boxes.push_back(text); });
  const std::string missing = "Cannot read bitmap " + data.file("panel_header.bmp");

  TfrmGame game(nullptr, TGameLinks{});
  game.show();
  runEvents(100ms);
  ASSERT_EQ(boxes, std::vector<std::string>{missing});
  EXPECT_FALSE(game.Game().Built());
  game.mnuFullscreenClick();
  EXPECT_EQ(boxes, (std::vector<std::string>{missing, missing}));
  EXPECT_FALSE(game.Heartbeat()->Active);
  for (int i = 0; i < 300; ++i) {
    game.GameTick();
    game.PostFrame();
    if (i % 30 == 0) runEvents(2ms);
  }
  runEvents(20ms);
  EXPECT_TRUE(game.isVisible());

  std::filesystem::copy(std::string(VORKA_OUTPUT_DIR) + "panel_header.bmp", data.file("panel_header.bmp"));
  game.mnuFullscreenClick();
  EXPECT_TRUE(game.Game().Built());
  EXPECT_TRUE(game.Heartbeat()->Active);
  EXPECT_EQ(boxes.size(), 2u);
  game.close();

  std::filesystem::remove(data.file("panel_header.bmp"));
  TfrmGame broken(nullptr, TGameLinks{});
  broken.show();
  runEvents(100ms);
  QTest::keyClick(&broken, Qt::Key_Escape);
  EXPECT_FALSE(broken.isVisible());
  SetMessageBoxHandler(nullptr);
  SetGameDataFolder(VORKA_OUTPUT_DIR);
}

// The game window closed while its ticks fail and stop the heartbeat from their own thread,
// many times over: stopping from both threads at once is safe, and the heartbeat is joined
// before it goes.
TEST(GameWindowTest, ClosedWhileTicksFail) {
  testApp();
  SetGameDataFolder(VORKA_OUTPUT_DIR);
  std::mt19937 random(7);
  std::atomic<int> failures{0};
  KeyboardState().press('N');
  for (int round = 0; round < 12; ++round) {
    TGameLinks links;
    links.PlayNext = [&failures] {
      ++failures;
      throw std::runtime_error("the music failed");
    };
    auto game = std::make_unique<TfrmGame>(nullptr, std::move(links));
    game->show();
    game->activateWindow();
    // The first window waits for a tick to fail, however slowly a sanitizer lets it come;
    // the others close at random moments.
    if (round == 0)
      EXPECT_TRUE(QTest::qWaitFor([&] { return failures.load() > 0; }, 20000));
    else
      runEvents(std::chrono::milliseconds(60 + random() % 60));
    for (int restart = 0; restart < 3; ++restart) {
      // F4 starts the heartbeat again; the next tick fails and stops it.
      game->mnuFullscreenClick();
      runEvents(std::chrono::milliseconds(random() % 60));
    }
    game->close();
    game.reset();
  }
  KeyboardState().releaseAll();
}

} // namespace

#include "music/PlayerController.h"
#include "platform/msgbox.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

using namespace std::chrono_literals;

namespace {

// Runs the event loop until `done`, for at most thirty seconds.
bool processUntil(const std::function<bool()>& done) {
  for (const auto end = std::chrono::steady_clock::now() + 30s; !done();) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// A flood of commands, as a script sends them over the bus, is taken together: the player
// carries out a handful at once and the rest as one; an even number of Play/Pause leaves the
// state as it was, seeks end at the last place asked for, and any other command first carries
// out what was taken together.
TEST(PlayerControllerTest, FloodsAreTakenTogether) {
  testApp();
  TempDir dir, config;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  SetMessageBoxHandler([](const std::string& text, const std::string&, TMessageKind) { ADD_FAILURE() << text; });
  TPlayerController controller;
  ASSERT_TRUE(controller.start());
  std::vector<std::string> songs;
  for (const char* title : {"One", "Two", "Three"})
    songs.push_back(dir.write(std::string(title) + ".xm", testmod::writeXm(testmod::simpleSong(title, 4, 8, 64, {"Sq"}))));
  controller.setSongs(songs);
  int changes = 0;
  QObject::connect(&controller, &TPlayerController::songChanged, [&] { ++changes; });
  controller.playNext();
  TMusicPlayer& player = *controller.player();
  ASSERT_EQ(player.State, psPlaying);

  changes = 0;
  for (int i = 0; i < 2000; ++i) {
    controller.playNext();
    controller.pauseOrResume();
  }
  EXPECT_LE(changes, TPlayerController::kFloodCount) << "carried out one by one";
  EXPECT_TRUE(controller.takingTogether());
  const int atOnce = changes;
  ASSERT_TRUE(processUntil([&] { return !controller.takingTogether(); }));
  EXPECT_GT(changes, atOnce) << "what was taken together was carried out";
  ASSERT_TRUE(player.State == psPlaying || player.State == psPaused);
  if (player.State == psPaused) controller.pauseOrResume();
  ASSERT_EQ(player.State, psPlaying);
  const int32_t song = player.SongIndex;

  for (int i = 1; i <= 1000; ++i) controller.seekTo(i / 100.0);
  for (int i = 0; i < 1000; ++i) controller.pauseOrResume();
  ASSERT_TRUE(processUntil([&] { return !controller.takingTogether(); }));
  EXPECT_GT(player.PlaySeconds(), 9.9);
  EXPECT_LT(player.PlaySeconds(), 10.5);
  EXPECT_EQ(player.State, psPlaying);
  EXPECT_EQ(player.SongIndex, song);

  // Pause, then a flood of seeks: Stop carries them out first, and stops (which it does not
  // while paused).
  for (int i = 0; i < 1000; ++i) controller.seekTo(i / 100.0);
  controller.pauseOrResume();
  controller.stop();
  EXPECT_EQ(player.State, psPaused);
  controller.finish();
  SetMessageBoxHandler(nullptr);
}

// Next while the song queue still reads the files that come next (300 that are not modules)
// waits for the song it finds, the song before playing on, instead of reading them itself; a
// chosen song and Previous have the queue read their files and wait the same way, telling of
// the files passed over; any other command ends the wait, and a song read for it never plays.
TEST(PlayerControllerTest, CommandsWaitForTheSongQueue) {
  testApp();
  TempDir dir, config;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  std::vector<std::string> songs{dir.write("first.xm", testmod::writeXm(testmod::simpleSong("First", 4, 8, 64, {"Sq"})))};
  for (int i = 0; i < 300; ++i) songs.push_back(dir.write("notes" + std::to_string(i) + ".mod", "not a module"));
  songs.push_back(dir.write("last.xm", testmod::writeXm(testmod::simpleSong("Last", 4, 8, 64, {"Sq"}))));
  TPlayerController controller;
  ASSERT_TRUE(controller.start());
  controller.setSongs(songs);
  TMusicPlayer& player = *controller.player();
  // Once the song a command waits for plays.
  auto played = [&](const std::function<void()>& command) {
    command();
    return processUntil([&] { return !controller.awaitingSong(); });
  };

  ASSERT_TRUE(played([&] { controller.playSong(0); }));
  ASSERT_FALSE(player.FollowerReady());
  controller.playNext();
  EXPECT_TRUE(controller.awaitingSong());
  EXPECT_EQ(player.SongIndex, 0);
  EXPECT_EQ(player.State, psPlaying);
  ASSERT_TRUE(processUntil([&] { return !controller.awaitingSong(); }));
  EXPECT_EQ(player.SongIndex, 301);
  EXPECT_EQ(player.State, psPlaying);

  player.TakeSkipped();
  auto waits = [&](const std::function<void()>& command, int32_t from, int32_t to) {
    command();
    EXPECT_TRUE(controller.awaitingSong());
    EXPECT_EQ(player.SongIndex, from);
    EXPECT_EQ(player.State, psPlaying);
    ASSERT_TRUE(processUntil([&] { return !controller.awaitingSong(); }));
    EXPECT_EQ(player.SongIndex, to);
    EXPECT_EQ(player.State, psPlaying);
    EXPECT_EQ(player.TakeSkipped().size(), 300u);
  };
  waits([&] { controller.playPrevious(); }, 301, 0);
  waits([&] { controller.playSong(1); }, 0, 301);
  // The order goes on from the song fetched.
  ASSERT_TRUE(played([&] { controller.playNext(); }));
  EXPECT_EQ(player.SongIndex, 0);

  // Stop and Pause end the wait for a chosen song, which never plays, even once read.
  using TCommand = void (TPlayerController::*)();
  for (auto [command, state] : {std::pair<TCommand, TPlayerState>{&TPlayerController::stop, psStopped},
                                {&TPlayerController::pauseOrResume, psPaused}}) {
    controller.play();
    controller.playSong(1);
    (controller.*command)();
    EXPECT_FALSE(controller.awaitingSong());
    ASSERT_TRUE(processUntil([&] { return !player.Fetching(); }));
    player.PlayFetched();
    EXPECT_EQ(player.State, state);
    EXPECT_EQ(player.SongIndex, 0);
  }

  ASSERT_TRUE(played([&] { controller.playSong(0); }));
  controller.playNext();
  controller.stop();
  EXPECT_FALSE(controller.awaitingSong());
  EXPECT_EQ(player.State, psStopped);
  EXPECT_EQ(player.SongIndex, 0);

  // A sound library failure is told once, by a signal, and ends what the controller does.
  int fatal = 0, boxes = 0;
  QObject::connect(&controller, &TPlayerController::fatal, [&] { ++fatal; });
  SetMessageBoxHandler([&](const std::string&, const std::string&, TMessageKind) { ++boxes; });
  ASSERT_TRUE(played([&] { controller.playSong(0); }));
  MIDASclose(); // the library loses every handle under the player
  EXPECT_NO_THROW(controller.seekTo(1));
  EXPECT_NO_THROW(controller.playNext());
  EXPECT_EQ(fatal, 1);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(controller.player(), nullptr);
  controller.finish();
  SetMessageBoxHandler(nullptr);
}

} // namespace

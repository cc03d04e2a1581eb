#include "music/MusicPlayer.h"
#include "platform/msgbox.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Counts the song-started messages it receives.
class SongStartedCounter : public QObject {
public:
  int count = 0;
  int badParameters = 0;

protected:
  bool event(QEvent* e) override {
    if (e->type() != TWindowMessage::type()) return QObject::event(e);
    auto* m = static_cast<TWindowMessage*>(e);
    if (m->Msg == WM_SONGSTARTED) ++count;
    if (m->WParam != 0 || m->LParam != 0) ++badParameters;
    return true;
  }
};

class MusicPlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    testApp();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption,
                                TMessageKind kind) {
      EXPECT_EQ(caption, "MIDAS Error");
      EXPECT_EQ(kind, TMessageKind::Error);
      boxes.push_back(text);
    });
  }
  void TearDown() override {
    player.reset();
    SetMessageBoxHandler(nullptr);
  }

  void start() {
    player = std::make_unique<TMusicPlayer>(&counter);
    ASSERT_TRUE(boxes.empty());
  }

  // A slow song: `positions` patterns of 64 rows, 120 ms a row.
  std::string song(const std::string& title, int positions = 3) {
    testmod::Module m = testmod::simpleSong(title, 4, positions, 64, {"Square"});
    return dir.write(title + ".xm", testmod::writeXm(m));
  }

  int delivered() {
    QCoreApplication::sendPostedEvents(&counter);
    return counter.count;
  }

  PlayStatus status() {
    PlayStatus s{};
    player->GetPlayStatus(s);
    return s;
  }

  void expectInvariant() {
    EXPECT_EQ(player->PlayHandle != 0, player->State == psPlaying || player->State == psPaused);
  }

  TempDir dir;
  TempDir config;
  SongStartedCounter counter;
  std::vector<std::string> boxes;
  std::unique_ptr<TMusicPlayer> player;
};

// A new player is idle with nothing loaded; PlayNext on an empty list changes nothing.
TEST_F(MusicPlayerTest, EmptyListPlaysNothing) {
  start();
  EXPECT_EQ(player->State, psIdle);
  EXPECT_EQ(player->SongIndex, -1);
  EXPECT_EQ(player->ModuleInfo.SongLength, 0u);
  player->PlayNext();
  EXPECT_EQ(player->State, psIdle);
  EXPECT_EQ(player->SongIndex, -1);
  EXPECT_EQ(player->Module, 0u);
  EXPECT_EQ(delivered(), 0);
  player->Stop();
  player->Pause();
  player->Resume();
  player->Forward(1);
  player->Rewind(1);
  EXPECT_EQ(player->State, psIdle);
}

// Four PlayNext calls over three songs play songs 0, 1, 2 and 0 again, each posting the
// song-started message with both parameters 0; with one song, every call starts it again.
TEST_F(MusicPlayerTest, PlayNextWrapsAroundTheList) {
  start();
  for (const char* title : {"Alpha", "Beta", "Gamma"}) player->AddSong(song(title));
  const char* expected[] = {"Alpha", "Beta", "Gamma", "Alpha"};
  for (int i = 0; i < 4; ++i) {
    player->PlayNext();
    EXPECT_EQ(player->SongIndex, i % 3);
    EXPECT_STREQ(player->ModuleInfo.SongName, expected[i]);
    EXPECT_EQ(player->FileName, dir.file(std::string(expected[i]) + ".xm"));
    EXPECT_EQ(player->State, psPlaying);
    expectInvariant();
  }
  EXPECT_EQ(delivered(), 4);
  EXPECT_EQ(counter.badParameters, 0);

  player->ClearSongs();
  player->AddSong(song("Solo"));
  for (int i = 0; i < 2; ++i) {
    player->PlayNext();
    EXPECT_EQ(player->SongIndex, 0);
    EXPECT_STREQ(player->ModuleInfo.SongName, "Solo");
    EXPECT_EQ(status().Position, 0u);
  }
  EXPECT_EQ(delivered(), 6);

  // Next takes the song the queue has loaded already rather than reading its file again: a
  // file gone since still plays, from its start.
  const std::string second = song("Second");
  player->SetSongs({song("First"), second});
  player->PlaySong(0);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!player->FollowerReady() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(player->FollowerReady());
  std::filesystem::remove(second);
  player->PlayNext();
  EXPECT_EQ(player->FileName, second);
  EXPECT_STREQ(player->ModuleInfo.SongName, "Second");
  EXPECT_EQ(player->State, psPlaying);
  EXPECT_EQ(status().Position, 0u);
  EXPECT_TRUE(player->TakeSkipped().empty());
  expectInvariant();
}

// Pause holds the song where it is, its time standing still, and Resume goes on from exactly
// there (not from the start of position 7) with a second song-started message; Stop while
// paused changes nothing.
TEST_F(MusicPlayerTest, PauseAndResumeKeepThePlace) {
  start();
  player->AddSong(song("Paused", 10));
  player->PlayNext();
  for (int i = 0; i < 7; ++i) player->Forward(1);
  std::this_thread::sleep_for(300ms);
  ASSERT_EQ(status().Position, 7u);
  ASSERT_GT(status().Row, 0u);

  player->Pause();
  EXPECT_EQ(player->State, psPaused);
  EXPECT_EQ(player->PausePosition, 7);
  expectInvariant();
  const double pausedAt = player->PlaySeconds();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(player->PlaySeconds(), pausedAt);
  player->Stop();
  EXPECT_EQ(player->State, psPaused);
  player->Pause();
  EXPECT_EQ(player->State, psPaused);

  player->Resume();
  EXPECT_EQ(player->State, psPlaying);
  expectInvariant();
  EXPECT_EQ(status().Position, 7u);
  EXPECT_GE(player->PlaySeconds(), pausedAt);
  EXPECT_EQ(delivered(), 2);
  player->Resume();
  EXPECT_EQ(delivered(), 2);
}

// A chosen song plays and Next goes on from it; Previous within 3 s of a song's start goes to
// the song before, later it starts the current one over; a seek lands on the time asked for.
// At a song's end Repeat one keeps it (started over), No repeat stops after the last song and
// Repeat all starts the first again.
TEST_F(MusicPlayerTest, PlayOrderAndTime) {
  start();
  for (const char* title : {"One", "Two", "Three"}) player->AddSong(song(title));
  player->PlaySong(1);
  EXPECT_STREQ(player->ModuleInfo.SongName, "Two");
  player->PlayNext();
  EXPECT_STREQ(player->ModuleInfo.SongName, "Three");
  player->PlayPrevious();
  EXPECT_STREQ(player->ModuleInfo.SongName, "Two");
  player->Pause();
  player->SeekTo(12.34);
  EXPECT_NEAR(player->PlaySeconds(), 12.34, 0.001);
  player->PlayPrevious();
  EXPECT_STREQ(player->ModuleInfo.SongName, "Two");
  EXPECT_EQ(player->State, psPlaying);
  EXPECT_LT(player->PlaySeconds(), 3.0);

  auto playToEnd = [&](int32_t index) {
    player->PlaySong(index);
    for (int i = 0; i < 500 && !player->SongHasEnded(); ++i) std::this_thread::sleep_for(10ms);
    player->PlayAfterEnd();
  };
  player->ClearSongs();
  for (const char* title : {"ShortA", "ShortB"}) {
    testmod::Module m = testmod::simpleSong(title, 4, 2, 4, {"Square"}, 3, 150);
    player->AddSong(dir.write(std::string(title) + ".xm", testmod::writeXm(m)));
  }
  player->SetRepeat(TRepeatMode::One);
  playToEnd(0);
  EXPECT_STREQ(player->ModuleInfo.SongName, "ShortA");
  EXPECT_EQ(player->State, psPlaying);
  EXPECT_LT(player->PlaySeconds(), player->Duration);
  player->SetRepeat(TRepeatMode::None);
  playToEnd(1);
  EXPECT_EQ(player->State, psStopped);
  EXPECT_STREQ(player->ModuleInfo.SongName, "ShortB");
  player->SetRepeat(TRepeatMode::All);
  playToEnd(1);
  EXPECT_STREQ(player->ModuleInfo.SongName, "ShortA");
  EXPECT_EQ(player->State, psPlaying);
}

// After a song ends and the queued one takes over without a gap, the order goes on from the song
// that took over: Next plays the one after it.
TEST_F(MusicPlayerTest, OrderGoesOnAfterAGaplessTakeOver) {
  start();
  for (const char* title : {"ShortA", "ShortB", "ShortC"})
    player->AddSong(dir.write(std::string(title) + ".xm", testmod::writeXm(testmod::simpleSong(title, 4, 2, 4, {"Square"}, 3, 150))));
  player->PlayNext();
  ASSERT_STREQ(player->ModuleInfo.SongName, "ShortA");
  bool ended = false;
  for (int i = 0; i < 500 && !(ended = player->SongHasEnded()); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(ended);
  player->PlayAfterEnd();
  ASSERT_STREQ(player->ModuleInfo.SongName, "ShortB");
  player->PlayNext();
  EXPECT_STREQ(player->ModuleInfo.SongName, "ShortC");
}

// A module's subsongs play as songs of the list: Next goes through them and then to the next
// file, Previous back to the last subsong of the file before, a chosen subsong plays at once,
// and at a subsong's end the next one follows, after the last the next file.
TEST_F(MusicPlayerTest, SubsongsPlayAsSongs) {
  start();
  // Pattern 0 jumps back to itself, so order 1 is a second song: 4 and 8 rows of 120 ms.
  testmod::Module m = testmod::simpleSong("Multi", 4, 2, 4, {"Square"});
  m.patterns[1].rows = 8;
  m.patterns[0].notes.push_back({3, 1, 0, 0, testmod::kEffectJump, 0});
  player->AddSong(dir.write("multi.mod", testmod::writeMod(m)));
  player->AddSong(song("Single"));
  auto at = [&](const char* title, int32_t subsong) {
    EXPECT_STREQ(player->ModuleInfo.SongName, title);
    EXPECT_EQ(player->Subsong, subsong);
    EXPECT_EQ(player->State, psPlaying);
  };
  player->PlaySong(0);
  at("Multi", 0);
  ASSERT_EQ(player->Details.Subsongs.size(), 2u);
  EXPECT_NEAR(player->Details.Subsongs[1].Seconds, 0.96, 0.001);
  EXPECT_NEAR(player->Duration, 0.48, 0.001);
  player->PlayNext();
  at("Multi", 1);
  EXPECT_NEAR(player->Duration, 0.96, 0.001);
  player->PlayNext();
  at("Single", 0);
  EXPECT_EQ(player->Details.Subsongs.size(), 1u);
  player->PlayPrevious();
  at("Multi", 1);
  player->PlayPrevious();
  at("Multi", 0);
  player->PlaySubsong(1);
  at("Multi", 1);
  player->PlaySubsong(2);
  at("Multi", 1);

  player->PlaySong(0);
  const char* titles[] = {"Multi", "Single"};
  for (int32_t expected : {1, 0}) {
    for (int i = 0; i < 500 && !player->SongHasEnded(); ++i) std::this_thread::sleep_for(10ms);
    player->PlayAfterEnd();
    at(titles[1 - expected], expected);
  }
  EXPECT_EQ(delivered(), 9);
}

// A player with nothing to be heard, stopped or paused, closes the audio device within about a
// second, so that the sound server may rest; playing opens it again.
TEST_F(MusicPlayerTest, SilentPlayerClosesTheDevice) {
  const std::string pcm = dir.file("out.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", pcm.c_str(), 1);
  auto size = [&] {
    std::error_code error;
    return std::filesystem::file_size(pcm, error);
  };
  auto growsWithin = [&](std::chrono::milliseconds span) {
    const auto before = size();
    std::this_thread::sleep_for(span);
    return size() != before;
  };
  start();
  player->AddSong(song("Heard"));
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(growsWithin(500ms)) << "idle";
  player->PlayNext();
  EXPECT_TRUE(growsWithin(500ms)) << "playing";
  player->Stop();
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(growsWithin(500ms)) << "stopped";
  player->PlayNext();
  EXPECT_TRUE(growsWithin(500ms)) << "playing again";
  player->Pause();
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(growsWithin(500ms)) << "paused";
  player.reset();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  unsetenv("SDL_DISKAUDIOFILE");
}

// Forward by 1 at the last position asks for position SongLength, which ends the song; only a
// target beyond SongLength turns into a step back. The end shows as one pass played or, once the
// queued next song (this one again) is loaded, as that song taking over at its start.
TEST_F(MusicPlayerTest, ForwardAtTheLastPosition) {
  start();
  player->AddSong(song("Three"));
  player->PlayNext();
  player->Forward(1);
  player->Forward(1);
  ASSERT_EQ(status().Position, 2u);

  player->Forward(2); // 4 > 3: back to 0 instead
  PlayStatus s = status();
  EXPECT_EQ(s.Position, 0u);
  EXPECT_EQ(s.LoopCount, 0u);

  player->Forward(1);
  player->Forward(1);
  const int started = delivered();
  player->Forward(1); // 3 = SongLength: the end of the song
  s = status();
  const bool followed = delivered() == started + 1 && s.Position == 0 && s.LoopCount == 0;
  EXPECT_TRUE(s.LoopCount == 1 || followed) << s.LoopCount << " " << s.Position;
}

// Rewind at position 0 restarts that position; Rewind elsewhere goes one position back.
TEST_F(MusicPlayerTest, RewindStopsAtZero) {
  start();
  player->AddSong(song("Rewound"));
  player->PlayNext();
  std::this_thread::sleep_for(400ms);
  ASSERT_GE(status().Row, 2u);
  player->Rewind(1);
  EXPECT_EQ(status().Position, 0u);
  EXPECT_LE(status().Row, 1u);

  player->Forward(1);
  player->Forward(1);
  player->Rewind(1);
  EXPECT_EQ(status().Position, 1u);
}

// Stopping keeps the module and its facts; the play status stays as last read.
TEST_F(MusicPlayerTest, StopKeepsTheLoadedModule) {
  start();
  player->AddSong(song("Kept"));
  player->PlayNext();
  player->Forward(1);
  PlayStatus before = status();
  player->Stop();
  EXPECT_EQ(player->State, psStopped);
  expectInvariant();
  EXPECT_NE(player->Module, 0u);
  EXPECT_STREQ(player->ModuleInfo.SongName, "Kept");
  EXPECT_EQ(status().Position, before.Position);

  InstrumentInfo info{};
  std::memset(&info, 'x', sizeof info);
  player->GetInstrumentInfo(0, info);
  EXPECT_EQ(info.InstrumentName[0], 0);
  player->PlayNext();
  player->GetInstrumentInfo(0, info);
  EXPECT_STREQ(info.InstrumentName, "Square");
}

// Clearing the list while a song plays leaves it playing; the next PlayNext plays the first
// song of the new list.
TEST_F(MusicPlayerTest, ClearWhilePlaying) {
  start();
  player->AddSong(song("Old1"));
  player->AddSong(song("Old2"));
  player->PlayNext();
  player->PlayNext();
  player->ClearSongs();
  EXPECT_EQ(player->State, psPlaying);
  EXPECT_EQ(player->SongIndex, -1);
  EXPECT_STREQ(player->ModuleInfo.SongName, "Old2");
  player->AddSong(song("New1"));
  player->AddSong(song("New2"));
  player->PlayNext();
  EXPECT_STREQ(player->ModuleInfo.SongName, "New1");
}

// A file that cannot be loaded is skipped; when no file of the list loads, the player stops
// and says why, and no error box appears.
TEST_F(MusicPlayerTest, UnloadableFilesAreSkipped) {
  start();
  std::string broken = dir.write("broken.mod", "not a module at all, just some text");
  std::string missing = dir.file("gone.it");
  player->AddSong(broken);
  player->AddSong(song("Good"));
  player->AddSong(missing);
  player->PlayNext();
  EXPECT_EQ(player->SongIndex, 1);
  EXPECT_STREQ(player->ModuleInfo.SongName, "Good");
  EXPECT_TRUE(player->LoadError.empty());
  player->PlayNext(); // gone.it, then broken.mod, then Good again
  EXPECT_EQ(player->SongIndex, 1);
  EXPECT_EQ(player->State, psPlaying);
  EXPECT_EQ(delivered(), 2);

  player->ClearSongs();
  player->AddSong(broken);
  player->AddSong(missing);
  player->PlayNext();
  EXPECT_EQ(player->State, psStopped);
  expectInvariant();
  EXPECT_EQ(player->Module, 0u);
  EXPECT_EQ(player->ModuleInfo.SongName[0], 0);
  EXPECT_TRUE(player->FileName.empty());
  EXPECT_EQ(player->LoadError, missing + ": Unable to load module: No such file or directory");
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(delivered(), 2);
}

// A sound library that cannot start shows the "MIDAS Error" text and throws.
TEST_F(MusicPlayerTest, LibraryThatCannotStartIsFatal) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_THROW(player = std::make_unique<TMusicPlayer>(&counter), EFatalSoundError);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Unable to open audio device: ", 0), 0u) << boxes[0];
}

// A library failure during play shows the box once, closes the library and throws; after it
// every operation does nothing, the destructor included.
TEST_F(MusicPlayerTest, FailureDuringPlayIsFatalOnce) {
  start();
  player->AddSong(song("Doomed"));
  player->PlayNext();
  MIDASclose(); // the library loses every handle under the player
  PlayStatus s{};
  EXPECT_THROW(player->GetPlayStatus(s), EFatalSoundError);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Invalid play handle");
  player->PlayNext();
  player->Stop();
  player->GetPlayStatus(s);
  player.reset();
  EXPECT_EQ(boxes.size(), 1u);
}

// Settings that make no sense for the sound library (a rate of 0, an unknown output mode)
// still start the player, and it plays.
TEST_F(MusicPlayerTest, SenselessSoundSettingsStillPlay) {
  std::filesystem::create_directories(config.path() / "vorka");
  std::ofstream(config.file("vorka/vorka.ini"))
      << "[midasoptions]\nMIXRATE=0\nOUTPUTMODE=3\nMIXINGMODE=7\n";
  start();
  player->AddSong(song("Odd"));
  player->PlayNext();
  EXPECT_EQ(player->State, psPlaying);
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(status().Row, 0u);
}

// Two threads driving the player at once never see it half-way through an operation.
TEST_F(MusicPlayerTest, CallsFromTwoThreads) {
  start();
  for (const char* title : {"T1", "T2", "T3"}) player->AddSong(song(title));
  std::atomic<bool> broken{false};
  std::thread transport([&] {
    for (int i = 0; i < 60; ++i) {
      switch (i % 4) {
      case 0: player->PlayNext(); break;
      case 1: player->Pause(); break;
      case 2: player->Resume(); break;
      default: player->Stop(); break;
      }
    }
  });
  std::thread poller([&] {
    for (int i = 0; i < 300; ++i) {
      PlayStatus s{};
      player->GetPlayStatus(s);
      player->Forward(1);
      player->Rewind(1);
      InstrumentInfo info{};
      player->GetInstrumentInfo(0, info);
      if (info.InstrumentName[0] && std::string(info.InstrumentName) != "Square") broken = true;
    }
  });
  transport.join();
  poller.join();
  EXPECT_FALSE(broken);
  expectInvariant();
  EXPECT_TRUE(boxes.empty());
}

} // namespace

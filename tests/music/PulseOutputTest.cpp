#include "music/midasdll.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// The library playing to a PulseAudio server of the test's own.
class PulseOutputTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.ready()) << "the test's sound server did not start";
    unsetenv("SDL_AUDIODRIVER");
    MIDASstartup();
    ASSERT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
    ASSERT_TRUE(MIDASstartBackgroundPlay(0));
    MIDASsetMasterVolume(100);
  }
  void TearDown() override {
    MIDASclose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  TempDir dir;
  TSoundServer server{dir};
};

// Against a PulseAudio server the library plays straight to it: sound while a module plays; the
// volume and Stop heard at once though the stream buffers half a second; and with nothing to
// play the stream corks, so that the server suspends its sink.
TEST_F(PulseOutputTest, PlaysToTheServerAndRestsWithIt) {
  auto monitor = std::make_unique<TRecorder>();
  ASSERT_TRUE(monitor->open());
  testmod::Module m = testmod::simpleSong("Loud", 4, 4, 64, {"Square"});
  MIDASmodule module = MIDASloadModule(dir.write("loud.mod", testmod::writeMod(m)).c_str());
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);
  monitor->peak(200ms);
  const int full = monitor->peak(300ms);
  EXPECT_GT(full, 4000);
  EXPECT_EQ(server.sinkState(), "RUNNING");

  MIDASsetMasterVolume(0);
  monitor->peak(100ms);
  EXPECT_EQ(monitor->peak(300ms), 0) << "muted";
  MIDASsetMasterVolume(100);
  monitor->peak(100ms);
  EXPECT_GT(monitor->peak(300ms), full / 2) << "unmuted";

  ASSERT_TRUE(MIDASstopModule(h));
  monitor->peak(100ms);
  EXPECT_EQ(monitor->peak(300ms), 0) << "stopped";
  // The recording itself keeps the sink awake.
  monitor.reset();
  std::string state;
  for (int i = 0; i < 40 && (state = server.sinkState()) != "SUSPENDED"; ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(state, "SUSPENDED");
}

// The server holds over half a second mixed ahead, yet the time and the end reported are those
// of the sound heard: the time goes with the sound from its first note, and the pass counts as
// played only once its last note has been heard, so a player moving on at the end cuts nothing.
TEST_F(PulseOutputTest, TimeAndEndAreThoseHeard) {
  TRecorder monitor;
  ASSERT_TRUE(monitor.open());
  // 64 rows of 50 ms, every one of them sounding: 3.2 s.
  testmod::Module m = testmod::simpleSong("Heard", 4, 4, 16, {"Square"}, 3, 150);
  MIDASmodule module = MIDASloadModule(dir.write("heard.mod", testmod::writeMod(m)).c_str());
  double duration = 0;
  ASSERT_TRUE(MIDASgetModuleDuration(module, &duration));
  MIDASmodulePlayHandle h = MIDASplayModule(module, false);
  ASSERT_NE(h, 0u);

  constexpr auto kBlock = 10ms;
  std::vector<double> ahead; // time reported less time heard
  int blocks = 0, onset = -1;
  double heardAtEnd = -1;
  for (int i = 0; i < 600 && heardAtEnd < 0; ++i) {
    const bool loud = monitor.peak(kBlock) > 1000;
    if (onset < 0 && loud) onset = i;
    blocks = i + 1;
    if (onset < 0) continue;
    const double heard = (blocks - onset) * 0.01;
    double reported = 0;
    PlayStatus status{};
    ASSERT_TRUE(MIDASgetPlayTime(h, &reported));
    ASSERT_TRUE(MIDASgetPlayStatus(h, &status));
    if (status.LoopCount > 0) heardAtEnd = heard;
    if (heard > 0.5 && heard < duration - 0.5) ahead.push_back(reported - heard);
  }
  ASSERT_GE(onset, 0) << "nothing was heard";
  ASSERT_GT(heardAtEnd, 0) << "the end was never reported";
  // Reported at the mixed end, the end came 0.25 s or more early; a reader that falls behind
  // the recording only makes it look earlier than it was.
  EXPECT_GT(heardAtEnd, duration - 0.15);
  ASSERT_FALSE(ahead.empty());
  std::sort(ahead.begin(), ahead.end());
  EXPECT_NEAR(ahead[ahead.size() / 2], 0.0, 0.1);
}

// The longest run of frames of interleaved stereo `samples` in which both channels are near 0.
long longestSilence(const std::vector<int16_t>& samples) {
  long run = 0, longest = 0;
  for (std::size_t f = 0; f + 1 < samples.size(); f += 2) {
    run = std::abs(samples[f]) < 16 && std::abs(samples[f + 1]) < 16 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

// Whether the music is heard within four seconds.
bool soundComes(TRecorder& monitor) {
  for (int i = 0; i < 200; ++i)
    if (monitor.peak(20ms) > 1000) return true;
  return false;
}

// Each recording's 2 ms: a silence of that length is a hole heard as a click.
constexpr long kHole = 88;

// Channel mutes and a song that gives way to another are heard at once though the server holds
// half a second: what it holds is written over, so nothing falls silent meanwhile.
TEST_F(PulseOutputTest, ChangesAreHeardAtOnceWithoutAHole) {
  TRecorder monitor;
  ASSERT_TRUE(monitor.open());
  testmod::Module loud = testmod::simpleSong("Loud", 4, 8, 64, {"Square"});
  testmod::Module quiet = testmod::simpleSong("Quiet", 4, 8, 64, {"Soft"});
  quiet.samples[0].volume = 8;
  const std::string quietPath = dir.write("quiet.xm", testmod::writeXm(quiet));
  MIDASmodule module = MIDASloadModule(dir.write("loud.xm", testmod::writeXm(loud)).c_str());
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(soundComes(monitor)) << "nothing was heard";

  ASSERT_TRUE(MIDASsetChannelMutes(module, {true, true, true, true}));
  monitor.peak(60ms);
  EXPECT_LT(monitor.peak(200ms), 16) << "every channel muted";

  // Toggling half the channels while the music is recorded leaves no hole in it.
  std::vector<int16_t> toggled;
  std::thread record([&] { toggled = monitor.read(1200ms); });
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(MIDASsetChannelMutes(module, i % 2 ? std::vector<bool>{true, true} : std::vector<bool>{}));
    std::this_thread::sleep_for(100ms);
  }
  record.join();
  EXPECT_LT(longestSilence({toggled.begin() + 2 * 4410, toggled.end()}), kHole) << "toggling mutes";

  // Next: the song that follows starts as the one before fades, with no silence between them.
  std::vector<int16_t> switched;
  record = std::thread([&] { switched = monitor.read(600ms); });
  std::this_thread::sleep_for(200ms);
  MIDASmodule next = MIDASloadModule(quietPath.c_str());
  ASSERT_TRUE(MIDASstopModule(h));
  ASSERT_TRUE(MIDASfreeModule(module));
  ASSERT_NE(MIDASplayModule(next, true), 0u);
  record.join();
  EXPECT_LT(longestSilence(switched), kHole) << "the next song";
  EXPECT_GT(monitor.peak(100ms), 0) << "the next song is heard";
}

// A sound server that is killed and started again: the time stands still and the reason is told
// while it is gone, and within two seconds of its return the music goes on from where it was.
TEST_F(PulseOutputTest, ServerThatGoesAndComesBack) {
  auto monitor = std::make_unique<TRecorder>();
  ASSERT_TRUE(monitor->open());
  testmod::Module m = testmod::simpleSong("Going", 4, 16, 64, {"Square"});
  MIDASmodule module = MIDASloadModule(dir.write("going.xm", testmod::writeXm(m)).c_str());
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(soundComes(*monitor)) << "nothing was heard";
  monitor->peak(500ms);
  std::string problem;
  ASSERT_TRUE(MIDASgetOutputProblem(&problem));
  EXPECT_EQ(problem, "");

  monitor.reset();
  server.kill();
  const auto gone = std::chrono::steady_clock::now();
  while (problem.empty() && std::chrono::steady_clock::now() - gone < 2s) {
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(MIDASgetOutputProblem(&problem));
  }
  EXPECT_NE(problem, "") << "the server's going is told";
  double lost = 0, later = 0;
  ASSERT_TRUE(MIDASgetPlayTime(h, &lost));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(MIDASgetPlayTime(h, &later));
  EXPECT_EQ(later, lost) << "the time stands still while nothing is heard";

  ASSERT_TRUE(server.start());
  monitor = std::make_unique<TRecorder>();
  const auto back = std::chrono::steady_clock::now();
  while (!problem.empty() && std::chrono::steady_clock::now() - back < 5s) {
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(MIDASgetOutputProblem(&problem));
  }
  EXPECT_EQ(problem, "");
  EXPECT_LT(std::chrono::steady_clock::now() - back, 2s) << "back within two seconds";
  EXPECT_TRUE(soundComes(*monitor)) << "heard again";
  double again = 0;
  ASSERT_TRUE(MIDASgetPlayTime(h, &again));
  EXPECT_GT(again, lost - 0.1);
  EXPECT_LT(again, lost + 3.0) << "it goes on from where it was heard";
}

} // namespace

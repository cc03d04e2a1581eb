#include "music/midasdll.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Format {
  const char* extension;
  std::string (*write)(const testmod::Module&);
  bool hasSkipMarker;
  bool hasInstruments;
};

const Format kMod{"mod", testmod::writeMod, false, false};
const Format kS3m{"s3m", testmod::writeS3m, true, false};
const Format kXm{"xm", testmod::writeXm, false, true};
const Format kIt{"it", testmod::writeIt, true, true};

// Polls `done` every 5 ms for up to `limit`; true once it holds.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return done();
}

class MidasTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    MIDASstartup();
    ASSERT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
    ASSERT_TRUE(MIDASstartBackgroundPlay(0));
  }
  void TearDown() override { MIDASclose(); }

  MIDASmodule load(const std::string& name, const std::string& bytes) {
    MIDASmodule m = MIDASloadModule(dir.write(name, bytes).c_str());
    EXPECT_NE(m, 0u) << MIDASgetErrorMessage(MIDASgetLastError());
    return m;
  }

  PlayStatus status(MIDASmodulePlayHandle h) {
    PlayStatus s{};
    EXPECT_TRUE(MIDASgetPlayStatus(h, &s));
    return s;
  }

  TempDir dir;
};

class MidasFormatTest : public MidasTest, public ::testing::WithParamInterface<Format> {};

// Every field of the module record and every instrument name is what the file holds; mod and
// s3m count their samples as instruments (a mod always has 31 sample slots).
TEST_P(MidasFormatTest, ModuleInfoAndInstrumentNamesMatchTheFile) {
  const Format& f = GetParam();
  testmod::Module m = testmod::simpleSong("Known Title", 6, 3, 16, {"Bass drum", "Lead"});
  m.orders = {0, 1, 2, 1};
  if (f.hasSkipMarker) m.orders = {0, testmod::kSkipOrder, 1, 2, 1};
  MIDASmodule module = load(std::string("song.") + f.extension, f.write(m));
  ASSERT_NE(module, 0u);

  ModuleInfo info{};
  ASSERT_TRUE(MIDASgetModuleInfo(module, &info));
  EXPECT_STREQ(info.SongName, "Known Title");
  EXPECT_EQ(info.SongLength, m.orders.size());
  EXPECT_EQ(info.PatternCount, 3u);
  EXPECT_EQ(info.ChannelCount, 6u);
  EXPECT_EQ(info.InstrumentCount, std::string(f.extension) == "mod" ? 31u : 2u);
  for (std::size_t i = std::string("Known Title").size(); i < sizeof info.SongName; ++i)
    EXPECT_EQ(info.SongName[i], 0) << "byte " << i;

  InstrumentInfo inst{};
  ASSERT_TRUE(MIDASgetInstrumentInfo(module, 0, &inst));
  EXPECT_STREQ(inst.InstrumentName, "Bass drum");
  ASSERT_TRUE(MIDASgetInstrumentInfo(module, 1, &inst));
  EXPECT_STREQ(inst.InstrumentName, "Lead");
  EXPECT_FALSE(MIDASgetInstrumentInfo(module, static_cast<int32_t>(info.InstrumentCount), &inst));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_INVALID_ARGUMENT);
  EXPECT_FALSE(MIDASgetInstrumentInfo(module, -1, &inst));
}

// A song plays through its positions in order, skipping a skip marker, and its loop count
// becomes 1 once it has played through, while the position starts over.
TEST_P(MidasFormatTest, PositionAdvancesAndLoopCountCountsOnePass) {
  const Format& f = GetParam();
  // Three positions of 4 rows at 50 ms a row: 0.6 s in all.
  testmod::Module m = testmod::simpleSong("Short", 4, 3, 4, {"Square"}, 3, 150);
  if (f.hasSkipMarker) m.orders = {0, testmod::kSkipOrder, 1, 2};
  MIDASmodule module = load(std::string("short.") + f.extension, f.write(m));
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);

  std::vector<uint32_t> seen;
  bool looped = waitFor([&] {
    PlayStatus s = status(h);
    if (s.LoopCount == 0 && (seen.empty() || seen.back() != s.Position)) seen.push_back(s.Position);
    return s.LoopCount >= 1;
  });
  ASSERT_TRUE(looped);
  std::vector<uint32_t> expected = f.hasSkipMarker ? std::vector<uint32_t>{0, 2, 3}
                                                   : std::vector<uint32_t>{0, 1, 2};
  EXPECT_EQ(seen, expected);
  PlayStatus after = status(h);
  EXPECT_EQ(after.LoopCount, 1u);
  EXPECT_LT(after.Position, 2u);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, MidasFormatTest, ::testing::Values(kMod, kS3m, kXm, kIt),
                         [](const auto& info) { return std::string(info.param.extension); });

// Names longer than the records hold (here after the decoder turns code-page letters into
// two-byte UTF-8) are cut to 31 bytes without splitting a character.
TEST_F(MidasTest, LongNamesAreCutAtACharacterBoundary) {
  testmod::Module m = testmod::simpleSong(std::string(28, '\x82'), 4, 1, 16, {"x"});
  m.samples[0].name = std::string(28, '\x82');
  MIDASmodule module = load("wide.s3m", testmod::writeS3m(m));
  ModuleInfo info{};
  ASSERT_TRUE(MIDASgetModuleInfo(module, &info));
  std::string e_acute = "\xC3\xA9";
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += e_acute;
  EXPECT_EQ(std::string(info.SongName), fifteen);
  InstrumentInfo inst{};
  ASSERT_TRUE(MIDASgetInstrumentInfo(module, 0, &inst));
  EXPECT_EQ(std::string(inst.InstrumentName), fifteen);
}

// MIDASsetPosition starts the given position; a position at the song's length ends the song
// (loop count up, back to the start); a negative one fails.
TEST_F(MidasTest, SetPositionJumpsAndPastTheEndCountsAsTheEnd) {
  testmod::Module m = testmod::simpleSong("Long", 4, 3, 64, {"Square"});
  MIDASmodule module = load("long.xm", testmod::writeXm(m));
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);

  ASSERT_TRUE(MIDASsetPosition(h, 2));
  PlayStatus s = status(h);
  EXPECT_EQ(s.Position, 2u);
  EXPECT_EQ(s.Row, 0u);
  EXPECT_EQ(s.LoopCount, 0u);

  ASSERT_TRUE(MIDASsetPosition(h, 3));
  s = status(h);
  EXPECT_EQ(s.LoopCount, 1u);
  EXPECT_EQ(s.Position, 0u);

  EXPECT_FALSE(MIDASsetPosition(h, -1));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(status(h).LoopCount, 1u);
}

// A song that does not loop also counts its end, then stays at it.
TEST_F(MidasTest, SongWithoutLoopStopsAtItsEnd) {
  testmod::Module m = testmod::simpleSong("Once", 4, 1, 4, {"Square"}, 3, 150);
  MIDASmodulePlayHandle h = MIDASplayModule(load("once.it", testmod::writeIt(m)), false);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(waitFor([&] { return status(h).LoopCount == 1; }));
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(status(h).LoopCount, 1u);
}

// Stopping ends the play handle; the module can play again from the start; freeing a playing
// module ends its handle too; handles of freed modules are refused.
TEST_F(MidasTest, StopAndFreeEndTheirHandles) {
  testmod::Module m = testmod::simpleSong("Stop", 4, 2, 64, {"Square"});
  MIDASmodule module = load("stop.mod", testmod::writeMod(m));
  MIDASmodulePlayHandle first = MIDASplayModule(module, true);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(MIDASplayModule(module, true), 0u);
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_ALREADY_PLAYING);

  ASSERT_TRUE(MIDASstopModule(first));
  PlayStatus s{};
  EXPECT_FALSE(MIDASgetPlayStatus(first, &s));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_INVALID_PLAY_HANDLE);
  EXPECT_FALSE(MIDASstopModule(first));

  MIDASmodulePlayHandle second = MIDASplayModule(module, true);
  ASSERT_NE(second, 0u);
  EXPECT_NE(second, first);
  EXPECT_EQ(status(second).Position, 0u);

  // A song waiting to follow the one stopped goes with it, and can be played again.
  MIDASmodule follower = load("follower.mod", testmod::writeMod(m));
  MIDASmodulePlayHandle waiting = MIDASplayModuleAfter(second, follower);
  ASSERT_NE(waiting, 0u);
  ASSERT_TRUE(MIDASstopModule(second));
  EXPECT_FALSE(MIDASgetPlayStatus(waiting, &s));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_INVALID_PLAY_HANDLE);
  second = MIDASplayModule(follower, true);
  EXPECT_NE(second, 0u) << MIDASgetErrorMessage(MIDASgetLastError());

  ASSERT_TRUE(MIDASfreeModule(follower));
  EXPECT_FALSE(MIDASgetPlayStatus(second, &s));
  EXPECT_FALSE(MIDASfreeModule(follower));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_INVALID_MODULE);
  ModuleInfo info{};
  EXPECT_FALSE(MIDASgetModuleInfo(follower, &info));
  ASSERT_TRUE(MIDASfreeModule(module));
}

// Files that are no module give a code and a text that names the cause.
TEST_F(MidasTest, LoadFailuresNameTheirCause) {
  auto failure = [](const std::string& path) {
    EXPECT_EQ(MIDASloadModule(path.c_str()), 0u) << path;
    EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_LOAD_MODULE);
    return MIDASgetErrorMessage(MIDASgetLastError());
  };
  EXPECT_EQ(failure(dir.file("missing.mod")), "Unable to load module: No such file or directory");
  EXPECT_EQ(failure(dir.write("empty.xm", "")), "Unable to load module: the file is empty");
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 251);
  EXPECT_EQ(failure(dir.write("noise.it", noise)), "Unable to load module: the file is not a module");
  EXPECT_EQ(failure(dir.path().string()), "Unable to load module: the path names a folder");
  // A pipe would block the reader for ever and /dev/zero would fill the memory; neither is read.
  ASSERT_EQ(mkfifo(dir.file("pipe.xm").c_str(), 0644), 0);
  EXPECT_EQ(failure(dir.file("pipe.xm")), "Unable to load module: Not a regular file");
  EXPECT_EQ(failure("/dev/zero"), "Unable to load module: Not a regular file");
  std::string huge = dir.write("huge.mod", "M.K.");
  std::filesystem::resize_file(huge, (512ull << 20) + 1);
  EXPECT_EQ(failure(huge), "Unable to load module: the file is too large for a module");

  EXPECT_EQ(MIDASloadModule(nullptr), 0u);
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(MIDASgetErrorMessage(MIDAS_ERROR_INVALID_MODULE), "Invalid module handle");
}

// The library refuses to start twice, and play and background calls need it started.
TEST_F(MidasTest, CallsOutOfOrderFail) {
  EXPECT_FALSE(MIDASinit());
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_ALREADY_INITIALISED);
  MIDASmodule module = load("order.s3m", testmod::writeS3m(testmod::simpleSong("O", 4, 1, 8, {"s"})));
  MIDASclose();
  EXPECT_EQ(MIDASplayModule(module, true), 0u);
  EXPECT_FALSE(MIDASstartBackgroundPlay(0));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_NOT_INITIALISED);
  EXPECT_FALSE(MIDASstopBackgroundPlay());
  EXPECT_TRUE(MIDASclose());
  EXPECT_FALSE(MIDASsetOption(99, 1));
  EXPECT_EQ(MIDASgetLastError(), MIDAS_ERROR_UNKNOWN_OPTION);
}

// A mixing rate of 0 and an unknown output mode, as a hand-edited settings file may hold,
// still open the device and play.
TEST_F(MidasTest, SenselessOptionsStillPlay) {
  MIDASclose();
  MIDASstartup();
  EXPECT_TRUE(MIDASsetOption(MIDAS_OPTION_MIXRATE, 0));
  EXPECT_TRUE(MIDASsetOption(MIDAS_OPTION_OUTPUTMODE, 77));
  EXPECT_TRUE(MIDASsetOption(MIDAS_OPTION_MIXING_MODE, 5));
  ASSERT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
  ASSERT_TRUE(MIDASstartBackgroundPlay(0));
  testmod::Module m = testmod::simpleSong("Rate", 4, 2, 4, {"Square"}, 3, 150);
  MIDASmodulePlayHandle h = MIDASplayModule(load("rate.mod", testmod::writeMod(m)), true);
  ASSERT_NE(h, 0u);
  EXPECT_TRUE(waitFor([&] { return status(h).Position == 1; }));

  MIDASclose();
  MIDASstartup();
  EXPECT_TRUE(MIDASsetOption(MIDAS_OPTION_MIXRATE, -44100));
  ASSERT_TRUE(MIDASinit());
}

// Many threads loading, playing, querying and freeing at once leave every handle consistent.
TEST_F(MidasTest, CallsFromManyThreadsAtOnce) {
  std::string path = dir.write("threads.xm", testmod::writeXm(testmod::simpleSong("T", 4, 3, 8, {"s"}, 3, 150)));
  std::atomic<int> failures{0};
  auto worker = [&] {
    for (int i = 0; i < 20; ++i) {
      MIDASmodule m = MIDASloadModule(path.c_str());
      MIDASmodulePlayHandle h = m ? MIDASplayModule(m, true) : 0;
      PlayStatus s{};
      if (!h || !MIDASgetPlayStatus(h, &s) || !MIDASsetPosition(h, i % 3)) ++failures;
      if (!MIDASstopModule(h) || !MIDASfreeModule(m)) ++failures;
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(worker);
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
}

} // namespace

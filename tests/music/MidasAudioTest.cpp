#include "music/midasdll.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <libopenmpt/libopenmpt.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Mode {
  int32_t outputMode;
  int bytesPerFrame;
  bool eightBit;
  const char* name;
};

// Size of `path`, 0 while it does not exist.
std::uintmax_t sizeOf(const std::string& path) {
  std::error_code e;
  auto n = std::filesystem::file_size(path, e);
  return e ? 0 : n;
}

bool waitForSize(const std::string& path, std::uintmax_t bytes) {
  auto end = std::chrono::steady_clock::now() + 10s;
  while (sizeOf(path) < bytes) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// The largest distance of a sample in [from, to) from the format's silence.
int loudness(const std::string& pcm, std::size_t from, std::size_t to, bool eightBit) {
  int peak = 0;
  if (eightBit) {
    for (std::size_t i = from; i < to; ++i)
      peak = std::max(peak, std::abs(static_cast<unsigned char>(pcm[i]) - 128));
    return peak * 256;
  }
  for (std::size_t i = from & ~std::size_t{1}; i + 1 < to; i += 2) {
    int16_t v = static_cast<int16_t>(static_cast<unsigned char>(pcm[i]) |
                                     (static_cast<unsigned char>(pcm[i + 1]) << 8));
    peak = std::max(peak, std::abs(static_cast<int>(v)));
  }
  return peak;
}

class MidasAudioTest : public ::testing::TestWithParam<Mode> {
protected:
  void TearDown() override {
    MIDASclose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
  }
  TempDir dir;
};

// The library started on SDL's disk driver, whose file keeps everything that was heard:
// 16-bit stereo at 44100 Hz.
class MidasDiskTest : public ::testing::Test {
protected:
  static constexpr std::uintmax_t second = 44100u * 4;

  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", pcm.c_str(), 1);
    MIDASstartup();
    ASSERT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
    ASSERT_TRUE(MIDASstartBackgroundPlay(0));
  }
  void TearDown() override {
    MIDASclose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
  }
  // Closes the library; all it played.
  std::string heard() {
    MIDASclose();
    std::ifstream in(pcm, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // Sample `index` (frames times two, plus the channel) of 16-bit stereo `data`.
  static int16_t sample(const std::string& data, std::size_t index) {
    return static_cast<int16_t>(static_cast<unsigned char>(data[2 * index]) |
                                (static_cast<unsigned char>(data[2 * index + 1]) << 8));
  }

  TempDir dir;
  const std::string pcm = dir.file("out.raw");
};

// Through SDL's disk driver the mixed sound is audible while a module plays and silent after
// it stops, in 8-bit mono and in 16-bit stereo.
TEST_P(MidasAudioTest, SoundWhilePlayingSilenceAfterStop) {
  const Mode& mode = GetParam();
  const std::string pcm = dir.file("out.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", pcm.c_str(), 1);
  const std::uintmax_t second = 44100u * mode.bytesPerFrame;

  MIDASstartup();
  MIDASsetOption(MIDAS_OPTION_MIXRATE, 44100);
  MIDASsetOption(MIDAS_OPTION_OUTPUTMODE, mode.outputMode);
  ASSERT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
  ASSERT_TRUE(MIDASstartBackgroundPlay(0));
  testmod::Module m = testmod::simpleSong("Loud", 4, 1, 64, {"Square"});
  MIDASmodule module = MIDASloadModule(dir.write("loud.mod", testmod::writeMod(m)).c_str());
  ASSERT_NE(module, 0u);
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);

  ASSERT_TRUE(waitForSize(pcm, second / 2));
  ASSERT_TRUE(MIDASstopModule(h));
  std::uintmax_t atStop = sizeOf(pcm);
  ASSERT_TRUE(waitForSize(pcm, atStop + second / 2));
  MIDASclose();

  std::ifstream in(pcm, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(data.size(), atStop + second / 2);
  // The file grows in whole device buffers, and the stop takes effect at the next one.
  const std::size_t slack = 4 * 1024 * mode.bytesPerFrame;
  ASSERT_GT(atStop, slack);
  EXPECT_GT(loudness(data, 0, atStop - slack, mode.eightBit), 4000);
  EXPECT_EQ(loudness(data, atStop + slack, data.size(), mode.eightBit), 0);
}

// The master volume scales what is heard at once: half the amplitude at 50 %, silence at 0 %
// while the song plays on, and no song is ever made louder than it is.
TEST_F(MidasDiskTest, VolumeScalesTheSound) {
  testmod::Module m = testmod::simpleSong("Loud", 4, 1, 64, {"Square"});
  MIDASmodule module = MIDASloadModule(dir.write("loud.mod", testmod::writeMod(m)).c_str());
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);
  std::vector<std::uintmax_t> marks = {0};
  for (int32_t volume : {50, 0, 100}) {
    ASSERT_TRUE(waitForSize(pcm, marks.back() + second / 2));
    marks.push_back(sizeOf(pcm));
    MIDASsetMasterVolume(volume);
  }
  ASSERT_TRUE(waitForSize(pcm, marks.back() + second / 2));
  double atZero = 0;
  EXPECT_TRUE(MIDASgetPlayTime(h, &atZero));
  const std::string data = heard();
  const std::size_t slack = 4 * 1024 * 4;
  auto peak = [&](int part) { return loudness(data, marks[part] + slack, marks[part + 1] - slack, false); };
  const int full = peak(0);
  EXPECT_GT(full, 4000);
  EXPECT_NEAR(peak(1), full / 2.0, full * 0.05);
  EXPECT_EQ(peak(2), 0);
  EXPECT_NEAR(loudness(data, marks[3] + slack, data.size(), false), full, full * 0.05);
  EXPECT_GT(atZero, 1.0);
}

// Stereo separation takes effect at once on the song that plays: a note panned to the left is
// heard mostly there, and at 0 % in the middle, left and right alike.
TEST_F(MidasDiskTest, StereoSeparationTakesEffectAtOnce) {
  // The first channel of a MOD is panned to the left.
  testmod::Module m = testmod::simpleSong("Left", 4, 1, 64, {"Square"});
  std::erase_if(m.patterns[0].notes, [](const testmod::Note& n) { return n.channel != 0; });
  MIDASmodule module = MIDASloadModule(dir.write("left.mod", testmod::writeMod(m)).c_str());
  ASSERT_NE(MIDASplayModule(module, true), 0u);
  ASSERT_TRUE(waitForSize(pcm, second / 2));
  const std::uintmax_t change = sizeOf(pcm);
  ASSERT_TRUE(MIDASsetOption(MIDAS_OPTION_STEREO_SEPARATION, 0));
  ASSERT_TRUE(waitForSize(pcm, change + second / 2));
  const std::string data = heard();
  // The sides' largest difference, and the loudest left sample, in frames [from, to).
  auto measure = [&](std::size_t from, std::size_t to) {
    int apart = 0, left = 0;
    for (std::size_t f = from; f < to; ++f) {
      apart = std::max(apart, std::abs(sample(data, 2 * f) - sample(data, 2 * f + 1)));
      left = std::max(left, std::abs(static_cast<int>(sample(data, 2 * f))));
    }
    return std::pair{apart, left};
  };
  const std::size_t slack = 4 * 1024;
  const auto [apartBefore, leftBefore] = measure(0, change / 4 - slack);
  const auto [apartAfter, leftAfter] = measure(change / 4 + slack, data.size() / 4);
  EXPECT_GT(leftBefore, 4000);
  EXPECT_GT(apartBefore, leftBefore / 2);
  EXPECT_GT(leftAfter, 2000);
  // libopenmpt dithers each side on its own: a step or two apart.
  EXPECT_LE(apartAfter, 2);
}

// Loop, loops and fade, evening out and skipping silent ends are taken while a song plays, and
// the length read next is the one they give it (here a pass whose last pattern jumps back to its
// second: one pass, then with "2 loops then fade" the loop again and the fade).
TEST_F(MidasDiskTest, LoopOptionsTakeEffectAtOnce) {
  testmod::Module m = testmod::simpleSong("Loop", 4, 3, 16, {"Lead"});
  m.patterns[2].notes.push_back({15, 1, 0, 0, testmod::kEffectJump, 1});
  MIDASmodule module = MIDASloadModule(dir.write("loop.xm", testmod::writeXm(m)).c_str());
  ASSERT_NE(MIDASplayModule(module, false), 0u);
  ASSERT_TRUE(waitForSize(pcm, second / 4));
  const double row = testmod::rowSeconds(6, 125);
  double seconds = 0;
  ASSERT_TRUE(MIDASgetModuleDuration(module, &seconds));
  EXPECT_NEAR(seconds, 48 * row, 0.01);
  for (int option : {MIDAS_OPTION_EVEN_LOUDNESS, MIDAS_OPTION_SKIP_SILENT_END}) EXPECT_TRUE(MIDASsetOption(option, 0));
  ASSERT_TRUE(MIDASsetOption(MIDAS_OPTION_LOOP, static_cast<int32_t>(TLoopMode::Fade)));
  ASSERT_TRUE(MIDASsetOption(MIDAS_OPTION_LOOPS, 2));
  ASSERT_TRUE(MIDASsetOption(MIDAS_OPTION_LOOP_FADE, 3));
  ASSERT_TRUE(MIDASgetModuleDuration(module, &seconds));
  EXPECT_NEAR(seconds, 48 * row + 32 * row + 3, 0.01);
  ASSERT_TRUE(MIDASsetOption(MIDAS_OPTION_LOOP, static_cast<int32_t>(TLoopMode::Once)));
  ASSERT_TRUE(MIDASgetModuleDuration(module, &seconds));
  EXPECT_NEAR(seconds, 48 * row, 0.01);
}

// A muted channel is absent from what is heard (a MOD's first channel is panned left, its
// second right); the view of what is heard follows the song's rows and channels, and a pattern's
// text is the library's.
TEST_F(MidasDiskTest, MutedChannelsAreSilentAndTheViewFollows) {
  testmod::Module m = testmod::simpleSong("Sides", 4, 1, 64, {"Square"});
  std::erase_if(m.patterns[0].notes, [](const testmod::Note& n) { return n.channel > 1; });
  MIDASmodule module = MIDASloadModule(dir.write("sides.mod", testmod::writeMod(m)).c_str());
  ASSERT_NE(MIDASplayModule(module, true), 0u);
  ASSERT_TRUE(waitForSize(pcm, second / 2));
  TPlayView view;
  ASSERT_TRUE(MIDASgetPlayView(&view));
  EXPECT_EQ(view.Module, module);
  EXPECT_EQ(view.Channels, 4);
  EXPECT_EQ(view.Speed, 6);
  EXPECT_GT(view.Row, 0);
  EXPECT_GT(view.Left[0], 0.1f);
  EXPECT_EQ(view.Left[2], 0.0f);
  const std::uintmax_t change = sizeOf(pcm);
  ASSERT_TRUE(MIDASsetChannelMutes(module, {true}));
  ASSERT_TRUE(waitForSize(pcm, change + second / 2));
  ASSERT_TRUE(MIDASgetPlayView(&view));
  EXPECT_EQ(view.Left[0], 0.0f);
  TPatternText text;
  ASSERT_TRUE(MIDASgetPatternText(module, 0, &text));
  EXPECT_EQ(text.Rows, 64);
  EXPECT_EQ(text.cell(0, 0).substr(0, 3), "C-5");
  EXPECT_EQ(text.highlight(0, 0).substr(0, 3), "nnn");
  EXPECT_EQ(text.cell(1, 2).substr(0, 3), "...");
  const std::string data = heard();
  auto peak = [&](std::size_t from, std::size_t to, int side) {
    int loudest = 0;
    for (std::size_t f = from; f < to; ++f) loudest = std::max(loudest, std::abs(static_cast<int>(sample(data, 2 * f + side))));
    return loudest;
  };
  // libopenmpt pans a MOD's channels three quarters to their side: both together sound alike
  // left and right, the second alone three times as loud on the right.
  const std::size_t slack = 4 * 1024;
  const int leftBefore = peak(0, change / 4 - slack, 0), rightBefore = peak(0, change / 4 - slack, 1);
  const int leftAfter = peak(change / 4 + slack, data.size() / 4, 0);
  const int rightAfter = peak(change / 4 + slack, data.size() / 4, 1);
  EXPECT_GT(leftBefore, 4000);
  EXPECT_GT(leftBefore, rightBefore * 8 / 10);
  EXPECT_GT(rightAfter, 4000);
  EXPECT_GT(rightAfter, leftAfter * 5 / 2);
}

// A tempo factor set before a module loads reaches it: its time runs a quarter faster than the
// sound. The backing volume set while it plays turns its second channel down to a quarter at
// once. Values out of range are refused.
TEST_F(MidasDiskTest, TempoAndBackingReachEveryModule) {
  EXPECT_FALSE(MIDASsetTempoFactor(5));
  EXPECT_FALSE(MIDASsetBackingVolume(-1));
  ASSERT_TRUE(MIDASsetTempoFactor(1.25));
  testmod::Module m = testmod::simpleSong("Second", 4, 4, 64, {"Square"});
  for (auto& pattern : m.patterns)
    std::erase_if(pattern.notes, [](const testmod::Note& n) { return n.channel != 1; });
  MIDASmodule module = MIDASloadModule(dir.write("second.mod", testmod::writeMod(m)).c_str());
  MIDASmodulePlayHandle play = MIDASplayModule(module, false);
  ASSERT_NE(play, 0u);
  ASSERT_TRUE(waitForSize(pcm, second / 2));
  const std::uintmax_t change = sizeOf(pcm);
  ASSERT_TRUE(MIDASsetBackingVolume(0.25));
  double before = 0, after = 0;
  ASSERT_TRUE(MIDASgetPlayTime(play, &before));
  const std::uintmax_t from = sizeOf(pcm);
  ASSERT_TRUE(waitForSize(pcm, from + second));
  ASSERT_TRUE(MIDASgetPlayTime(play, &after));
  const double sounded = static_cast<double>(sizeOf(pcm) - from) / second;
  EXPECT_NEAR((after - before) / sounded, 1.25, 0.1);
  const std::string data = heard();
  auto peak = [&](std::size_t first, std::size_t last) {
    int loudest = 0;
    for (std::size_t f = first; f < last; ++f) loudest = std::max(loudest, std::abs(static_cast<int>(sample(data, 2 * f + 1))));
    return loudest;
  };
  const std::size_t slack = 4 * 1024;
  EXPECT_NEAR(static_cast<double>(peak(change / 4 + slack, data.size() / 4)) / peak(0, change / 4 - slack), 0.25, 0.05);
}

// An instrument sounds on its own from a module that is not playing, until its play stops; a
// note the module cannot play is refused.
TEST_F(MidasDiskTest, InstrumentPreviewSoundsUntilStopped) {
  testmod::Module m = testmod::simpleSong("Quiet", 4, 1, 64, {"Square"});
  m.patterns[0].notes.clear();
  MIDASmodule module = MIDASloadModule(dir.write("quiet.it", testmod::writeIt(m)).c_str());
  EXPECT_EQ(MIDASplayInstrument(module, 5, 60), 0u);
  MIDASmodulePlayHandle note = MIDASplayInstrument(module, 0, 60);
  ASSERT_NE(note, 0u);
  ASSERT_TRUE(waitForSize(pcm, second / 2));
  TPlayView view;
  EXPECT_TRUE(!MIDASgetPlayView(&view) || view.Module == 0) << "a preview is no song to view";
  EXPECT_GT(loudness(heard(), 0, second / 2, false), 4000);
}

// A module rendered whole by libopenmpt on its own, as the library renders it (16-bit stereo at
// 44100 Hz, 8-tap interpolation), up to the end of one pass.
std::string renderedAlone(const std::string& data) {
  openmpt::module module(data.data(), data.size(), std::clog, {{"play.at_end", "stop"}});
  module.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 8);
  std::string pcm;
  std::vector<int16_t> chunk(2 * 1000);
  while (std::size_t frames = module.read_interleaved_stereo(44100, 1000, chunk.data()))
    pcm.append(reinterpret_cast<const char*>(chunk.data()), frames * 4);
  return pcm;
}

std::string withoutLeadingSilence(const std::string& pcm) {
  std::size_t at = 0;
  while (at + 4 <= pcm.size() && pcm.compare(at, 4, std::string(4, '\0')) == 0) at += 4;
  return pcm.substr(at);
}

// A song queued behind another sounds from the very sample after the other's last: what comes
// out is the first song as libopenmpt renders it alone, then the second, with no sample of the
// first again and no silence between; then, as nothing follows, silence.
TEST_F(MidasDiskTest, SongsFollowWithoutASeam) {
  const std::string first = testmod::writeXm(testmod::simpleSong("First", 4, 2, 8, {"Square"}, 3, 150));
  const std::string second = testmod::writeXm(testmod::simpleSong("Second", 4, 2, 8, {"Low", "High"}, 3, 150));
  const std::string expected = withoutLeadingSilence(renderedAlone(first) + renderedAlone(second));
  MIDASsetMasterVolume(100);
  MIDASmodule a = MIDASloadModule(dir.write("first.xm", first).c_str());
  MIDASmodule b = MIDASloadModule(dir.write("second.xm", second).c_str());
  MIDASmodulePlayHandle ha = MIDASplayModule(a, false);
  MIDASmodulePlayHandle hb = MIDASplayModuleAfter(ha, b);
  ASSERT_NE(hb, 0u);
  PlayStatus status{};
  for (int i = 0; i < 500 && (MIDASgetPlayStatus(hb, &status), status.LoopCount == 0); ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(status.LoopCount, 1u);
  ASSERT_TRUE(MIDASgetPlayStatus(ha, &status));
  EXPECT_EQ(status.LoopCount, 1u);
  ASSERT_TRUE(waitForSize(pcm, sizeOf(pcm) + 44100));
  const std::string played = withoutLeadingSilence(heard());
  ASSERT_GT(played.size(), expected.size());
  // The player mixes in floating point and rounds where libopenmpt dithers its 16-bit output:
  // a step apart at most.
  std::size_t differs = 0;
  while (differs < expected.size() / 2 && std::abs(sample(played, differs) - sample(expected, differs)) <= 1)
    ++differs;
  EXPECT_EQ(differs, expected.size() / 2) << "the sound differs from frame " << differs / 2;
  EXPECT_EQ(loudness(played, expected.size(), played.size(), false), 0);
}

INSTANTIATE_TEST_SUITE_P(OutputModes, MidasAudioTest,
                         ::testing::Values(Mode{MIDAS_MODE_8BIT_MONO, 1, true, "EightBitMono"},
                                           Mode{MIDAS_MODE_16BIT_STEREO, 4, false,
                                                "SixteenBitStereo"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

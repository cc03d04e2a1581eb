#include "music/LoudnessScan.h"
#include "music/MidasMixer.h"
#include "music/MidasSong.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kRate = 44100;

// A song of squares at `volume` (0 to 64).
std::string songAt(int volume) {
  testmod::Module m = testmod::simpleSong("Level", 4, 2, 32, {"Lead", "Bass"});
  for (auto& sample : m.samples) sample.volume = volume;
  return testmod::writeXm(m);
}

// The loudness of `pcm` (16-bit stereo at kRate), LUFS.
double loudnessOf(const std::vector<int16_t>& pcm) {
  ebur128_state* meter = ebur128_init(2, kRate, EBUR128_MODE_I);
  ebur128_add_frames_short(meter, pcm.data(), pcm.size() / 2);
  double loudness = 0;
  ebur128_loudness_global(meter, &loudness);
  ebur128_destroy(&meter);
  return loudness;
}

// One pass of `song` as the player mixes it alone.
std::vector<int16_t> mixedPass(TMidasSong& song) {
  TMidasMixer mixer({kRate, 2, 16});
  song.start(false);
  std::vector<int16_t> pcm(static_cast<std::size_t>(song.duration() * kRate) * 2);
  mixer.mix({&song}, reinterpret_cast<uint8_t*>(pcm.data()), pcm.size() * sizeof(int16_t));
  return pcm;
}

// Songs measured in the background play at one loudness: three songs 12 and 6 dB apart (18 LU,
// as far apart as real modules are) come out within 1 LU of each other and of the target, and as
// written when evening out is off.
TEST(LoudnessScanTest, SongsAreEvenedOut) {
  TempDir dir;
  const std::atomic<bool> go{false};
  std::vector<double> measured, levelled;
  for (int volume : {64, 16, 8}) {
    const std::string path = dir.write("level" + std::to_string(volume) + ".xm", songAt(volume));
    const std::vector<TSongLevel> levels = TLoudnessScan::measure(path, {}, kRate, go);
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_TRUE(levels[0].Measured);
    measured.push_back(levels[0].Loudness);
    TMidasSong song(songAt(volume));
    song.setRenderOptions({});
    const std::vector<int16_t> asWritten = mixedPass(song);
    EXPECT_NEAR(loudnessOf(asWritten), levels[0].Loudness, 0.2) << volume;
    song.setLevels(levels);
    levelled.push_back(loudnessOf(mixedPass(song)));
    TRenderOptions off;
    off.EvenLoudness = false;
    song.setRenderOptions(off);
    EXPECT_EQ(mixedPass(song), asWritten) << volume;
  }
  EXPECT_NEAR(measured[0] - measured[1], 12.0, 0.5);
  EXPECT_NEAR(measured[1] - measured[2], 6.0, 0.5);
  const auto [quietest, loudest] = std::minmax_element(levelled.begin(), levelled.end());
  EXPECT_LE(*loudest - *quietest, 1.0);
  EXPECT_NEAR(*loudest, TLoudnessScan::kTarget, 1.0);
}

// A song whose last patterns are silent ends a second after its last sound, as its length says,
// and the song that follows it starts there; with the option off it plays its silence out.
TEST(LoudnessScanTest, SilentEndsAreSkipped) {
  TempDir dir;
  // One short note, then three empty patterns: over 4 s of silence.
  testmod::Module m = testmod::simpleSong("Quiet End", 4, 4, 32, {"Blip"});
  m.samples[0].data = testmod::squareWave(32, 64);
  m.samples[0].loop = false;
  for (std::size_t p = 1; p < m.patterns.size(); ++p) m.patterns[p].notes.clear();
  const std::string data = testmod::writeXm(m);
  const std::atomic<bool> go{false};
  const std::vector<TSongLevel> levels = TLoudnessScan::measure(dir.write("end.xm", data), {}, kRate, go);
  ASSERT_EQ(levels.size(), 1u);
  ASSERT_LT(levels[0].LastSound, 1.0);
  ASSERT_GT(levels[0].Seconds, levels[0].LastSound + 4);

  TMidasSong song(data), next(songAt(64));
  song.setRenderOptions({});
  next.setRenderOptions({});
  song.setLevels(levels);
  EXPECT_NEAR(song.duration(), levels[0].LastSound + TSongLevel::kAfterLastSound, 0.001);
  song.start(false);
  next.start(false);
  song.follow(&next);
  std::vector<float> pcm(2 * 3 * kRate);
  song.render(kRate, 2, pcm.data(), pcm.size() / 2);
  // The first sound after the blip's end is the next song's.
  std::size_t frame = static_cast<std::size_t>(levels[0].LastSound * kRate);
  while (frame < pcm.size() / 2 && std::fabs(pcm[2 * frame]) < 1e-3f && std::fabs(pcm[2 * frame + 1]) < 1e-3f) ++frame;
  EXPECT_LE(static_cast<double>(frame) / kRate - levels[0].LastSound, 1.1);
  EXPECT_GE(static_cast<double>(frame) / kRate - levels[0].LastSound, 0.95);

  TRenderOptions off;
  off.SkipSilentEnd = false;
  song.setRenderOptions(off);
  EXPECT_NEAR(song.duration(), levels[0].Seconds, 0.001);
}

} // namespace

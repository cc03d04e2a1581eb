#include "music/MidasSong.h"

#include "tests/support/ModuleWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 22050;

// Orders 0 1 2, the last pattern jumping back to order 1: a silent intro of 16 rows, then 32
// rows of squares that loop.
std::string loopingSong() {
  testmod::Module m = testmod::simpleSong("Loop", 4, 3, 16, {"Lead"});
  m.patterns[0].notes.clear();
  m.patterns[2].notes.push_back({15, 1, 0, 0, testmod::kEffectJump, 1});
  return testmod::writeXm(m);
}

// How loud `frames` frames of `pcm` from `from` are (RMS).
double loudness(const std::vector<float>& pcm, std::size_t from, std::size_t frames) {
  double sum = 0;
  for (std::size_t i = 2 * from; i < 2 * (from + frames); ++i) sum += pcm[i] * pcm[i];
  return std::sqrt(sum / (2.0 * frames));
}

// Looping for ever goes on from the module's loop point, never playing the silent intro again,
// and its time stays within the pass. "2 loops then fade" lasts the intro, two loops and the fade,
// as its length says, fades to silence over its last seconds and can be sought into its second
// loop. A song that runs off the end of its orders has no loop: it plays once either way.
TEST(SongLoopTest, LoopsGoOnFromTheLoopPointAndFadeAtTheirLength) {
  const double row = testmod::rowSeconds(6, 125);
  const double pass = 48 * row, intro = 16 * row, loop = 32 * row;
  TMidasSong song(loopingSong());
  TRenderOptions options;
  options.Loop = TLoopMode::Forever;
  song.setRenderOptions(options);
  song.start(false);
  EXPECT_NEAR(song.duration(), pass, 0.01);
  std::vector<float> pcm(2 * static_cast<std::size_t>(3 * pass * kRate));
  song.render(kRate, 2, pcm.data(), pcm.size() / 2);
  EXPECT_LT(loudness(pcm, 0, static_cast<std::size_t>(intro * kRate) - 100), 1e-4);
  const auto tenth = static_cast<std::size_t>(kRate / 10);
  for (std::size_t from = static_cast<std::size_t>(intro * kRate) + 100; from + tenth < pcm.size() / 2; from += tenth)
    ASSERT_GT(loudness(pcm, from, tenth), 0.01) << "silent at " << static_cast<double>(from) / kRate << " s";
  EXPECT_LT(song.playTime(~uint64_t{0}), pass);
  EXPECT_EQ(song.status(~uint64_t{0}).LoopCount, 0u) << "a song that loops for ever never ends";

  options.Loop = TLoopMode::Fade;
  options.Loops = 2;
  options.FadeSeconds = 3;
  song.setRenderOptions(options);
  song.start(false);
  const double length = pass + loop + 3;
  EXPECT_NEAR(song.duration(), length, 0.01);
  std::vector<float> all, piece(2 * 1000);
  while (std::size_t frames = song.renderPass(kRate, 2, piece.data(), 1000))
    all.insert(all.end(), piece.begin(), piece.begin() + 2 * static_cast<std::ptrdiff_t>(frames));
  EXPECT_NEAR(static_cast<double>(all.size() / 2) / kRate, length, 0.03);
  const std::size_t frames = all.size() / 2;
  const double beforeFade = loudness(all, static_cast<std::size_t>((length - 3.2) * kRate), tenth);
  EXPECT_LT(loudness(all, frames - tenth / 2, tenth / 2), beforeFade / 20);
  EXPECT_GT(loudness(all, static_cast<std::size_t>((length - 1.5) * kRate), tenth), beforeFade / 4);

  song.start(false);
  song.seek(pass + 1.0, kRate, 2);
  EXPECT_NEAR(song.playTime(~uint64_t{0}), pass + 1.0, 0.05);
  std::size_t rest = 0;
  while (std::size_t got = song.renderPass(kRate, 2, piece.data(), 1000)) rest += got;
  EXPECT_NEAR(static_cast<double>(rest) / kRate, length - pass - 1.0, 0.05);

  TMidasSong plain(testmod::writeXm(testmod::simpleSong("Plain", 4, 3, 16, {"Lead"})));
  for (TLoopMode mode : {TLoopMode::Forever, TLoopMode::Fade}) {
    options.Loop = mode;
    plain.setRenderOptions(options);
    plain.start(false);
    EXPECT_NEAR(plain.duration(), pass, 0.01);
    rest = 0;
    while (std::size_t got = plain.renderPass(kRate, 2, piece.data(), 1000)) rest += got;
    EXPECT_NEAR(static_cast<double>(rest) / kRate, pass, 0.01);
  }
}

} // namespace

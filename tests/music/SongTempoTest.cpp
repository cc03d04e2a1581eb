#include "music/MidasSong.h"

#include "tests/support/ModuleWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr std::size_t kBlock = 512;

// Eight patterns of 16 rows, a new note on both channels every second row, each higher than
// the last: no two moments sound alike.
std::string risingSong() {
  testmod::Module m = testmod::simpleSong("Rising", 2, 8, 16, {"Lead", "Bass"});
  for (int p = 0; p < 8; ++p) {
    m.patterns[p].notes.clear();
    for (int row = 0; row < 16; row += 2)
      for (int channel = 0; channel < 2; ++channel)
        m.patterns[p].notes.push_back({row, channel, 25 + (p * 8 + row / 2) % 60, 1 + channel});
  }
  return testmod::writeXm(m);
}

double rms(const std::vector<float>& pcm) {
  double sum = 0;
  for (float v : pcm) sum += v * v;
  return std::sqrt(sum / static_cast<double>(pcm.size()));
}

// `seconds` of the song from where it is, block by block, each block's end noted at the frame
// count `mixed` goes on from.
std::vector<float> play(TMidasSong& song, double seconds, uint64_t& mixed) {
  std::vector<float> pcm(2 * static_cast<std::size_t>(seconds * kRate / kBlock) * kBlock);
  for (std::size_t at = 0; at < pcm.size(); at += 2 * kBlock) {
    song.render(kRate, 2, pcm.data() + at, kBlock);
    song.noteMixed(mixed += kBlock);
  }
  return pcm;
}

// At a quarter more tempo the song's own time runs a quarter faster than the output's, and a
// rewind to a moment heard lands where the song then stood, so the sound goes on as it was; the
// backing volume turns down every channel but the first, and stays through a start over.
TEST(SongTempoTest, TempoRunsTheSongFasterAndBackingDipsAllButTheFirstChannel) {
  const double row = testmod::rowSeconds(6, 125);
  TMidasSong song(risingSong());
  song.start(false);
  song.setTempo(1.25);
  uint64_t mixed = 0;
  play(song, 2, mixed);
  const uint64_t back = mixed;
  EXPECT_NEAR(song.playTime(back), 2.5, 0.03);
  EXPECT_EQ(song.status(back).Row, static_cast<uint32_t>(2.5 / row) % 16);
  const std::vector<float> heard = play(song, 1, mixed);
  EXPECT_NEAR(song.playTime(mixed), 3.75, 0.03);
  song.goBackTo(back, kRate, 2);
  EXPECT_NEAR(song.playTime(~uint64_t{0}), 2.5, 0.01);
  const std::vector<float> again = play(song, 1, mixed);
  std::vector<float> difference(heard.size());
  for (std::size_t i = 0; i < heard.size(); ++i) difference[i] = heard[i] - again[i];
  EXPECT_LT(rms(difference), 0.05 * rms(heard)) << "the rewind did not land where the song was";
  song.setTempo(1);
  play(song, 1, mixed);
  EXPECT_NEAR(song.playTime(mixed), 4.75, 0.03);

  // Each channel alone, with and without the backing turned down to a quarter.
  const auto alone = [&](int channel, double backing) {
    song.setBacking(backing);
    song.start(false);
    song.setChannelMute(1 - channel, true);
    return rms(play(song, 1, mixed));
  };
  EXPECT_NEAR(alone(0, 0.25) / alone(0, 1), 1.0, 0.01) << "the first channel is not backing";
  EXPECT_NEAR(alone(1, 0.25) / alone(1, 1), 0.25, 0.03);
  song.setBacking(0.25);
  song.seek(1.0, kRate, 2);
  song.setChannelMute(0, true);
  EXPECT_NEAR(rms(play(song, 1, mixed)) / alone(1, 1), 0.25, 0.03) << "a seek undid the backing volume";
}

} // namespace

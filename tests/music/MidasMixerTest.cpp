#include "music/MidasMixer.h"
#include "music/MidasSong.h"

#include "tests/support/ModuleWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kRate = 44100;

// Eight channels striking the same loud square at once: near full scale by itself.
std::unique_ptr<TMidasSong> loudSong() {
  testmod::Module m = testmod::simpleSong("Loud", 8, 2, 64, {"Square"});
  for (auto& pattern : m.patterns)
    for (auto& note : pattern.notes) note.note = 49;
  auto song = std::make_unique<TMidasSong>(testmod::writeXm(m));
  song->setRenderOptions({});
  song->start(true);
  return song;
}

std::vector<int16_t> mixed(TMidasMixer& mixer, const std::vector<TMidasSong*>& songs, std::size_t frames) {
  std::vector<int16_t> out(frames * 2);
  mixer.mix(songs, reinterpret_cast<uint8_t*>(out.data()), out.size() * sizeof(int16_t));
  return out;
}

std::vector<int16_t> rendered(TMidasSong& song, std::size_t frames) {
  std::vector<int16_t> out(frames * 2);
  song.render(kRate, 2, out.data(), frames);
  return out;
}

// Songs mixed together saturate at full scale instead of wrapping round; a rewind mixes again
// from the end of a block, fading from the sound that was there into the new one, which is then
// heard as it is.
TEST(MidasMixerTest, SumsSaturateAndRewindsFade) {
  std::vector<std::unique_ptr<TMidasSong>> owned;
  for (int i = 0; i < 8; ++i) owned.push_back(loudSong());
  TMidasMixer mixer({kRate, 2, 16});
  const std::vector<int16_t> sum = mixed(mixer, {owned[0].get(), owned[1].get(), owned[2].get(), owned[3].get()}, 2048);
  std::vector<std::vector<int16_t>> alone;
  for (int i = 4; i < 8; ++i) alone.push_back(rendered(*owned[i], 2048));
  int clipped = 0;
  for (std::size_t s = 0; s < sum.size(); ++s) {
    int total = 0;
    for (const auto& song : alone) total += song[s];
    clipped += std::abs(total) > 32767;
    // Each render is dithered on its own: a least significant bit apart each.
    ASSERT_LE(std::abs(sum[s] - std::clamp(total, -32768, 32767)), 4) << "sample " << s;
  }
  EXPECT_GT(clipped, 0) << "the songs never reached full scale together";

  // One song, mixed for four blocks; the last one is dropped and mixed again.
  TMidasMixer single({kRate, 2, 16});
  std::unique_ptr<TMidasSong> song = loudSong(), same = loudSong();
  const std::vector<int16_t> first = mixed(single, {song.get()}, 2048);
  ASSERT_EQ(single.rewindPoint(1000), 512u);
  single.rewind(512, true);
  const std::vector<int16_t> again = mixed(single, {song.get()}, 1024);
  rendered(*same, 2048);
  const std::vector<int16_t> after = rendered(*same, 1024);
  const std::size_t fade = kRate / 200;
  for (std::size_t s = 0; s < 2 * fade; ++s) {
    const double in = (s / 2 + 0.5) / fade;
    const double blend = first[2 * 1536 + s] * (1 - in) + after[s] * in;
    ASSERT_NEAR(again[s], blend, 3) << "the fade from the sound dropped, sample " << s;
  }
  for (std::size_t s = 2 * fade; s < again.size(); ++s) ASSERT_LE(std::abs(again[s] - after[s]), 2) << "sample " << s;
}

} // namespace

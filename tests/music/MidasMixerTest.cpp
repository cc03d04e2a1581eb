#include "music/MidasMixer.h"
#include "music/MidasSong.h"

#include "tests/support/ModuleWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

std::vector<float> rendered(TMidasSong& song, std::size_t frames) {
  std::vector<float> out(frames * 2);
  song.render(kRate, 2, out.data(), frames);
  return out;
}

// Songs mixed together are brought under full scale by the limiter instead of clipping; a rewind
// mixes again from the end of a block: what the limiter held comes out as before, then the sound
// that was there fades into the new one, which is then heard as it is.
TEST(MidasMixerTest, SumsAreLimitedAndRewindsFade) {
  std::vector<std::unique_ptr<TMidasSong>> owned;
  for (int i = 0; i < 4; ++i) owned.push_back(loudSong());
  TMidasMixer mixer({kRate, 2, 16});
  const std::vector<int16_t> sum = mixed(mixer, {owned[0].get(), owned[1].get(), owned[2].get(), owned[3].get()}, 8192);
  const std::vector<float> alone = rendered(*loudSong(), 8192);
  const auto ceiling = static_cast<int>(TPeakLimiter::kCeiling * 32768) + 1;
  EXPECT_GT(*std::max_element(alone.begin(), alone.end()) * 4, 1.5f) << "the songs never went over full scale together";
  for (std::size_t s = 0; s < sum.size(); ++s) ASSERT_LE(std::abs(sum[s]), ceiling) << "sample " << s;
  EXPECT_GT(*std::max_element(sum.begin(), sum.end()), ceiling - 100);

  // One song at a volume under full scale, mixed for four blocks; the last one is dropped and
  // mixed again. The song's place is left as it is, as if a command had moved it on.
  TMidasMixer single({kRate, 2, 16});
  single.setVolume(40);
  std::unique_ptr<TMidasSong> song = loudSong(), same = loudSong();
  same->setGain(static_cast<int32_t>(std::lround(2000 * std::log10(0.4))));
  const std::vector<int16_t> first = mixed(single, {song.get()}, 2048);
  ASSERT_EQ(single.rewindPoint(1000), 512u);
  single.rewind(512, true);
  const std::vector<int16_t> again = mixed(single, {song.get()}, 1024);
  const std::vector<float> before = rendered(*same, 2048);
  const std::vector<float> after = rendered(*same, 1024);
  const std::size_t latency = TPeakLimiter(2, kRate).latency();
  for (std::size_t s = 0; s < 2 * latency; ++s)
    ASSERT_EQ(again[s], first[2 * 1536 + s]) << "what the limiter held, sample " << s;
  const std::size_t fade = kRate / 200;
  for (std::size_t s = 0; s < 2 * fade; ++s) {
    const double in = (s / 2 + 0.5) / fade;
    const double blend = (before[2 * 1536 + s] * (1 - in) + after[s] * in) * 32768;
    ASSERT_NEAR(again[2 * latency + s], blend, 1) << "the fade from the sound dropped, sample " << s;
  }
  for (std::size_t s = 2 * fade; s < again.size() - 2 * latency; ++s)
    ASSERT_NEAR(again[2 * latency + s], after[s] * 32768, 1) << "sample " << s;
}

} // namespace

// The seam between two songs: two short generated modules, the second queued behind the first,
// rendered through the sound library's mixing into memory in the device's buffers, and compared
// with libopenmpt's own rendering of each module alone. Prints where the second song starts in
// the output against where the first one ends (the gap, in frames and milliseconds; negative
// would be an overlap), and how many frames of the first song's opening sound again after its
// end (the fragment). libopenmpt dithers its 16-bit output, so samples within 2 steps match.

#include "music/MidasMixer.h"
#include "music/MidasSong.h"
#include "tests/support/ModuleWriter.h"

#include <libopenmpt/libopenmpt.hpp>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kBufferFrames = 4096;
constexpr int kTolerance = 2;

using Samples = std::vector<int16_t>;

Samples renderedAlone(const std::string& data) {
  openmpt::module module(data.data(), data.size(), std::clog, {{"play.at_end", "stop"}});
  module.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 8);
  Samples pcm;
  Samples chunk(2 * kBufferFrames);
  while (std::size_t frames = module.read_interleaved_stereo(kRate, kBufferFrames, chunk.data()))
    pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + 2 * frames);
  return pcm;
}

// True when `frames` frames of `a` from frame `at` match `b` from its start.
bool matches(const Samples& a, std::size_t at, const Samples& b, std::size_t frames) {
  if (2 * (at + frames) > a.size() || 2 * frames > b.size()) return false;
  for (std::size_t i = 0; i < 2 * frames; ++i)
    if (std::abs(a[2 * at + i] - b[i]) > kTolerance) return false;
  return true;
}

// The first frame of `pcm` that is not silent.
std::size_t firstSound(const Samples& pcm) {
  std::size_t i = 0;
  while (i < pcm.size() && pcm[i] == 0) ++i;
  return i / 2;
}

} // namespace

int main() {
  const std::string first = testmod::writeXm(testmod::simpleSong("First", 4, 2, 8, {"Square"}, 3, 150));
  const std::string second =
      testmod::writeXm(testmod::simpleSong("Second", 4, 2, 8, {"Low", "High"}, 3, 150));
  const Samples alone1 = renderedAlone(first), alone2 = renderedAlone(second);
  const std::size_t end1 = alone1.size() / 2;

  TMidasSong song1(first), song2(second);
  song1.setRenderOptions({});
  song1.start(false);
  song2.setRenderOptions({});
  song2.start(false);
  song1.follow(&song2);
  TMidasMixer mixer(TOutputFormat{kRate, 2, 16});
  Samples out(2 * (end1 + alone2.size() / 2 + kRate));
  for (std::size_t at = 0; at < out.size() / 2; at += kBufferFrames) {
    const std::size_t frames = std::min(kBufferFrames, out.size() / 2 - at);
    mixer.mix({&song1}, reinterpret_cast<uint8_t*>(out.data() + 2 * at), frames * 4);
  }

  const bool firstWhole = matches(out, 0, alone1, end1);
  // Where the second song's opening is found in the output, searched around the first's end.
  const std::size_t probe = firstSound(alone2) + 256;
  long start2 = -1;
  for (std::size_t at = end1 > kRate ? end1 - kRate : 0; at < end1 + kRate && start2 < 0; ++at)
    if (matches(out, at, alone2, probe)) start2 = static_cast<long>(at);
  std::printf("first song: %zu frames, %s\n", end1, firstWhole ? "heard whole" : "NOT heard as rendered alone");
  if (start2 < 0) {
    std::printf("second song: not found after the first\n");
    return 1;
  }
  const long gap = start2 - static_cast<long>(end1);
  // The first song's opening heard again between its end and the second song's start.
  std::size_t fragment = 0;
  while (static_cast<long>(end1 + fragment) < start2 && matches(out, end1, alone1, fragment + 1)) ++fragment;
  const bool secondWhole = matches(out, start2, alone2, alone2.size() / 2);
  std::printf("second song: starts at frame %ld, %s\n", start2, secondWhole ? "heard whole" : "NOT whole");
  std::printf("gap between them: %ld frames (%.3f ms)\n", gap, 1000.0 * gap / kRate);
  std::printf("fragment of the first song after its end: %zu frames (%.3f ms)\n", fragment,
              1000.0 * fragment / kRate);
  return firstWhole && secondWhole && gap == 0 && fragment == 0 ? 0 : 1;
}

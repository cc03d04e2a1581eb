#pragma once

#include "music/MixHistory.h"
#include "music/PeakLimiter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class TMidasSong;

// The output format of the sound library's mixing.
struct TOutputFormat {
  int32_t rate = 44100; // Hz
  int channels = 2;     // 1 or 2
  int bits = 16;        // 8 (unsigned samples) or 16 (signed, native byte order)
  int bytesPerFrame() const { return channels * bits / 8; }
};

// Mixes the playing songs into buffers of the output format: the body of the library's
// background play. The songs are summed in floating point and brought to the output through a
// peak limiter (TPeakLimiter), so that a loud song or two songs together never clip; the sound
// comes out the limiter's look-ahead (3 ms) after the songs render it. It keeps the last second it
// summed, so that a jump (a seek, a song that starts or stops, channels muted) fades the sound
// before it into the sound after over about 5 ms instead of cutting it. Not thread-safe: the
// caller holds the library's lock.
class TMidasMixer {
public:
  explicit TMidasMixer(TOutputFormat format);
  const TOutputFormat& format() const { return m_format; }

  // Fills `bytes` bytes (whole frames) of `out` with the sum of `songs`, each of which plays;
  // silence when there is none. The songs are rendered in blocks of at most kBlockFrames; before
  // each block the block hook may change the songs, and after it the block observer is told of
  // the block's frames.
  void mix(const std::vector<TMidasSong*>& songs, uint8_t* out, std::size_t bytes);
  static constexpr std::size_t kBlockFrames = 512;
  void setBlockHook(std::function<void()> hook) { m_hook = std::move(hook); }
  void setBlockObserver(std::function<void(std::size_t frames)> observer) { m_observer = std::move(observer); }

  // The volume of the mix in percent, 0 to 100: each song's gain, and silence at 0 (the songs
  // still play on).
  void setVolume(int32_t percent);

  // How many of the frames mixed last, at most `most`, can be mixed again: back to the end of
  // a block.
  std::size_t rewindPoint(std::size_t most) const { return m_history.dropPoint(most); }
  // Forgets the last `frames` frames mixed (a rewindPoint); what is mixed next replaces them,
  // faded in from the sound they held (`fadeIn`) or added to it as it fades out.
  void rewind(std::size_t frames, bool fadeIn);
  // What is mixed next follows a jump: the last frame mixed fades out under it, and with
  // `fadeIn` it fades in.
  void jump(bool fadeIn);

private:
  void sumInto(const std::vector<TMidasSong*>& songs, float* out, std::size_t frames);
  void fadeInto(float* out, std::size_t frames);
  void toOutput(const float* in, uint8_t* out, std::size_t samples) const;

  TOutputFormat m_format;
  std::function<void()> m_hook;
  std::function<void(std::size_t)> m_observer;
  int32_t m_volume = 100;
  int32_t m_gainMillibel = 0;
  std::vector<float> m_song;
  std::vector<float> m_sum;
  std::vector<float> m_limited;
  TPeakLimiter m_limiter;
  TMixHistory m_history;
  // What the limiter is given again after a rewind: the frames it last took in.
  std::vector<float> m_recent;
  // The sound a jump fades out, and how far the fade has come.
  std::vector<float> m_fadeOld;
  std::size_t m_fadeFrames;
  std::size_t m_fadeAt;
  bool m_fadeIn = false;
};

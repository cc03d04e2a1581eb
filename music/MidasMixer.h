#pragma once

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
// background play. Not thread-safe: the caller holds the library's lock.
class TMidasMixer {
public:
  explicit TMidasMixer(TOutputFormat format) : m_format(format) {}
  const TOutputFormat& format() const { return m_format; }

  // Fills `bytes` bytes (whole frames) of `out` with the sum of `songs`, each of which plays;
  // silence when there is none. The songs are rendered in blocks of at most kBlockFrames, and
  // the block observer is told of each block's frames once it is rendered.
  void mix(const std::vector<TMidasSong*>& songs, uint8_t* out, std::size_t bytes);
  static constexpr std::size_t kBlockFrames = 512;
  void setBlockObserver(std::function<void(std::size_t frames)> observer) { m_observer = std::move(observer); }

  // The volume of the mix in percent, 0 to 100: each song's gain, and silence at 0 (the songs
  // still play on).
  void setVolume(int32_t percent);

private:
  void sumInto(const std::vector<TMidasSong*>& songs, int16_t* out, std::size_t frames);
  void toUnsigned8(const int16_t* in, uint8_t* out, std::size_t samples);

  TOutputFormat m_format;
  std::function<void(std::size_t)> m_observer;
  int32_t m_volume = 100;
  int32_t m_gainMillibel = 0;
  std::vector<int16_t> m_song;
  std::vector<int16_t> m_sum;
};

#include "music/MidasMixer.h"

#include "music/MidasSong.h"
#include "music/SampleConversion.h"
#include "platform/vectorstate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// A second of what was mixed is kept: more than any output holds.
constexpr double kHistorySeconds = 1.0;
// A jump fades over this long: short enough not to be heard as a fade, long enough not to click.
constexpr double kFadeSeconds = 0.005;
} // namespace

TMidasMixer::TMidasMixer(TOutputFormat format)
    : m_format(format),
      m_sum(kBlockFrames * static_cast<std::size_t>(format.channels)),
      m_limited(m_sum.size()),
      m_limiter(format.channels, format.rate),
      m_history(format.channels, static_cast<std::size_t>(kHistorySeconds * format.rate)),
      m_recent((2 * m_limiter.latency() + 1) * static_cast<std::size_t>(format.channels)),
      m_fadeFrames(std::max<std::size_t>(1, static_cast<std::size_t>(kFadeSeconds * format.rate))),
      m_fadeAt(m_fadeFrames) {
  m_song.resize(m_sum.size());
  m_fadeOld.resize(m_fadeFrames * static_cast<std::size_t>(format.channels));
}

void TMidasMixer::setVolume(int32_t percent) {
  m_volume = std::clamp(percent, 0, 100);
  // Amplitude in millibel: 20 dB (2000 mB) for each factor of ten.
  m_gainMillibel =
      m_volume > 0 ? static_cast<int32_t>(std::lround(2000 * std::log10(m_volume / 100.0))) : 0;
}

void TMidasMixer::rewind(std::size_t frames, bool fadeIn) {
  const std::size_t copied = m_history.drop(frames, m_fadeOld.data(), m_fadeFrames);
  // A fade longer than what was dropped holds its last frame.
  const auto channels = static_cast<std::size_t>(m_format.channels);
  for (std::size_t f = copied; f < m_fadeFrames; ++f)
    for (std::size_t c = 0; c < channels; ++c)
      m_fadeOld[f * channels + c] = copied ? m_fadeOld[(copied - 1) * channels + c] : m_history.lastFrame()[c];
  m_fadeAt = 0;
  m_fadeIn = fadeIn;
  // The limiter goes back to where it stood then: the frames it still held come out as before.
  const std::size_t recent = m_recent.size() / channels;
  m_history.copyLast(recent, m_recent.data());
  m_limiter.restart(m_recent.data(), recent, m_history.lastReduction());
}

void TMidasMixer::jump(bool fadeIn) {
  const auto channels = static_cast<std::size_t>(m_format.channels);
  for (std::size_t f = 0; f < m_fadeFrames; ++f)
    for (std::size_t c = 0; c < channels; ++c) m_fadeOld[f * channels + c] = m_history.lastFrame()[c];
  m_fadeAt = 0;
  m_fadeIn = fadeIn;
}

void TMidasMixer::mix(const std::vector<TMidasSong*>& songs, uint8_t* out, std::size_t bytes) {
  // The output's thread inherits the vector state of the thread that started it, which a
  // library may have left in use: any call of libopenmpt into libm would run many times slower.
  ClearUpperVectorState();
  const uint8_t silence = m_format.bits == 8 ? 0x80 : 0;
  const std::size_t frameBytes = m_format.bytesPerFrame();
  const std::size_t frames = bytes / frameBytes;
  const std::size_t used = frames * frameBytes;
  std::memset(out + used, silence, bytes - used);
  for (std::size_t done = 0; done < frames;) {
    if (m_hook) m_hook();
    const std::size_t block = std::min(kBlockFrames, frames - done);
    const std::size_t samples = block * static_cast<std::size_t>(m_format.channels);
    if (!songs.empty()) {
      for (TMidasSong* song : songs) song->setGain(m_gainMillibel);
      sumInto(songs, m_sum.data(), block);
    }
    if (songs.empty() || m_volume == 0) std::fill_n(m_sum.data(), samples, 0.0f);
    fadeInto(m_sum.data(), block);
    m_limiter.process(m_sum.data(), m_limited.data(), block);
    m_history.append(m_sum.data(), block, m_limiter.reduction());
    toOutput(m_limited.data(), out + done * frameBytes, samples);
    done += block;
    if (m_observer) m_observer(block);
  }
}

void TMidasMixer::fadeInto(float* out, std::size_t frames) {
  const auto channels = static_cast<std::size_t>(m_format.channels);
  for (std::size_t f = 0; f < frames && m_fadeAt < m_fadeFrames; ++f, ++m_fadeAt) {
    const float in = (static_cast<float>(m_fadeAt) + 0.5f) / static_cast<float>(m_fadeFrames);
    for (std::size_t c = 0; c < channels; ++c)
      out[f * channels + c] = out[f * channels + c] * (m_fadeIn ? in : 1.0f) + m_fadeOld[m_fadeAt * channels + c] * (1.0f - in);
  }
}

void TMidasMixer::sumInto(const std::vector<TMidasSong*>& songs, float* out, std::size_t frames) {
  const std::size_t samples = frames * static_cast<std::size_t>(m_format.channels);
  songs.front()->render(m_format.rate, m_format.channels, out, frames);
  for (std::size_t s = 1; s < songs.size(); ++s) {
    songs[s]->render(m_format.rate, m_format.channels, m_song.data(), frames);
    for (std::size_t i = 0; i < samples; ++i) out[i] += m_song[i];
  }
}

void TMidasMixer::toOutput(const float* in, uint8_t* out, std::size_t samples) const {
  if (m_format.bits == 16) {
    for (std::size_t i = 0; i < samples; ++i) {
      const int16_t sample = SampleToInt16(in[i]);
      std::memcpy(out + 2 * i, &sample, sizeof sample);
    }
    return;
  }
  for (std::size_t i = 0; i < samples; ++i) out[i] = static_cast<uint8_t>((SampleToInt16(in[i]) >> 8) + 128);
}

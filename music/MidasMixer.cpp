#include "music/MidasMixer.h"

#include "music/MidasSong.h"
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
      m_history(format.channels, static_cast<std::size_t>(kHistorySeconds * format.rate)),
      m_fadeFrames(std::max<std::size_t>(1, static_cast<std::size_t>(kFadeSeconds * format.rate))),
      m_fadeAt(m_fadeFrames) {
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
    uint8_t* at = out + done * frameBytes;
    int16_t* sum = reinterpret_cast<int16_t*>(at);
    if (m_format.bits != 16) {
      m_sum.resize(samples);
      sum = m_sum.data();
    }
    if (!songs.empty()) {
      for (TMidasSong* song : songs) song->setGain(m_gainMillibel);
      sumInto(songs, sum, block);
    }
    if (songs.empty() || m_volume == 0) std::fill_n(sum, samples, int16_t{0});
    fadeInto(sum, block);
    m_history.append(sum, block);
    if (m_format.bits != 16) toUnsigned8(sum, at, samples);
    done += block;
    if (m_observer) m_observer(block);
  }
}

void TMidasMixer::fadeInto(int16_t* out, std::size_t frames) {
  const auto channels = static_cast<std::size_t>(m_format.channels);
  for (std::size_t f = 0; f < frames && m_fadeAt < m_fadeFrames; ++f, ++m_fadeAt) {
    const double in = (static_cast<double>(m_fadeAt) + 0.5) / static_cast<double>(m_fadeFrames);
    for (std::size_t c = 0; c < channels; ++c) {
      const double mixed = out[f * channels + c] * (m_fadeIn ? in : 1.0) +
                           m_fadeOld[m_fadeAt * channels + c] * (1.0 - in);
      out[f * channels + c] = static_cast<int16_t>(std::clamp(std::lround(mixed), -32768L, 32767L));
    }
  }
}

void TMidasMixer::sumInto(const std::vector<TMidasSong*>& songs, int16_t* out,
                          std::size_t frames) {
  std::size_t samples = frames * m_format.channels;
  songs.front()->render(m_format.rate, m_format.channels, out, frames);
  if (songs.size() == 1) return;
  m_song.resize(samples);
  for (std::size_t s = 1; s < songs.size(); ++s) {
    songs[s]->render(m_format.rate, m_format.channels, m_song.data(), frames);
    for (std::size_t i = 0; i < samples; ++i)
      out[i] = static_cast<int16_t>(std::clamp(out[i] + m_song[i], -32768, 32767));
  }
}

void TMidasMixer::toUnsigned8(const int16_t* in, uint8_t* out, std::size_t samples) {
  for (std::size_t i = 0; i < samples; ++i) out[i] = static_cast<uint8_t>((in[i] >> 8) + 128);
}

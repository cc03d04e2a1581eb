#include "music/MidasMixer.h"

#include "music/MidasSong.h"
#include "platform/vectorstate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void TMidasMixer::setVolume(int32_t percent) {
  m_volume = std::clamp(percent, 0, 100);
  // Amplitude in millibel: 20 dB (2000 mB) for each factor of ten.
  m_gainMillibel =
      m_volume > 0 ? static_cast<int32_t>(std::lround(2000 * std::log10(m_volume / 100.0))) : 0;
}

void TMidasMixer::mix(const std::vector<TMidasSong*>& songs, uint8_t* out, std::size_t bytes) {
  // The output's thread inherits the vector state of the thread that started it, which a
  // library may have left in use: any call of libopenmpt into libm would run many times slower.
  ClearUpperVectorState();
  const uint8_t silence = m_format.bits == 8 ? 0x80 : 0;
  const std::size_t frameBytes = m_format.bytesPerFrame();
  std::size_t frames = bytes / frameBytes;
  std::size_t used = frames * frameBytes;
  std::memset(out + used, silence, bytes - used);
  if (songs.empty()) {
    std::memset(out, silence, used);
    if (m_observer && frames) m_observer(frames);
    return;
  }
  for (TMidasSong* song : songs) song->setGain(m_gainMillibel);
  for (std::size_t done = 0; done < frames;) {
    const std::size_t block = std::min(kBlockFrames, frames - done);
    uint8_t* at = out + done * frameBytes;
    if (m_format.bits == 16) {
      sumInto(songs, reinterpret_cast<int16_t*>(at), block);
    } else {
      m_sum.resize(block * m_format.channels);
      sumInto(songs, m_sum.data(), block);
      toUnsigned8(m_sum.data(), at, m_sum.size());
    }
    done += block;
    if (m_observer) m_observer(block);
  }
  if (m_volume == 0) std::memset(out, silence, used);
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

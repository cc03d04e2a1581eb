#include "music/MidasMixer.h"

#include "music/MidasSong.h"

#include <algorithm>
#include <cstring>

void TMidasMixer::mix(const std::vector<TMidasSong*>& songs, uint8_t* out, std::size_t bytes) {
  std::size_t frames = bytes / m_format.bytesPerFrame();
  std::size_t used = frames * m_format.bytesPerFrame();
  std::memset(out + used, m_format.bits == 8 ? 0x80 : 0, bytes - used);
  if (songs.empty()) {
    std::memset(out, m_format.bits == 8 ? 0x80 : 0, used);
    return;
  }
  if (m_format.bits == 16) {
    sumInto(songs, reinterpret_cast<int16_t*>(out), frames);
    return;
  }
  m_sum.resize(frames * m_format.channels);
  sumInto(songs, m_sum.data(), frames);
  toUnsigned8(m_sum.data(), out, m_sum.size());
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

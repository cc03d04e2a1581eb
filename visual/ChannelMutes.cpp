#include "visual/ChannelMutes.h"

void TChannelMutes::reset(int32_t channels) {
  m_muted.assign(static_cast<std::size_t>(channels > 0 ? channels : 0), false);
  m_beforeSolo.clear();
  m_soloed = -1;
}

void TChannelMutes::toggleMute(int32_t channel) {
  if (!valid(channel)) return;
  m_muted[channel] = !m_muted[channel];
  m_soloed = -1;
}

void TChannelMutes::toggleSolo(int32_t channel) {
  if (!valid(channel)) return;
  if (m_soloed == channel) {
    m_muted = m_beforeSolo;
    m_soloed = -1;
    return;
  }
  // A solo that replaces another still ends in the mutes from before the first.
  if (m_soloed < 0) m_beforeSolo = m_muted;
  m_muted.assign(m_muted.size(), true);
  m_muted[channel] = false;
  m_soloed = channel;
}

bool TChannelMutes::muted(int32_t channel) const { return valid(channel) && m_muted[channel]; }

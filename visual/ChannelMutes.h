#pragma once

#include <cstdint>
#include <vector>

// Which channels of the playing song are silenced: each muted on its own, or all but one when
// that one is soloed. Ending a solo brings back the mutes from before it. Plain logic; GUI
// thread only.
class TChannelMutes {
public:
  // A song of `channels` channels, every one heard.
  void reset(int32_t channels);
  int32_t count() const { return static_cast<int32_t>(m_muted.size()); }

  // Mutes a heard channel, or lets a muted one be heard; a solo then ends, keeping the mutes as
  // they are. Channels outside the song are ignored.
  void toggleMute(int32_t channel);
  // Solos `channel` (it alone is heard, muted or not before), or ends its solo.
  void toggleSolo(int32_t channel);

  bool muted(int32_t channel) const;
  // The soloed channel, or -1.
  int32_t soloed() const { return m_soloed; }
  // One entry per channel, true for a silenced one.
  const std::vector<bool>& mutes() const { return m_muted; }

private:
  bool valid(int32_t channel) const { return channel >= 0 && channel < count(); }

  std::vector<bool> m_muted;
  std::vector<bool> m_beforeSolo;
  int32_t m_soloed = -1;
};

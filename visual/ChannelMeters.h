#pragma once

#include "music/PlayView.h"

#include <cstdint>
#include <vector>

// Channel meters as a tracker shows them: a meter rises at once to a louder level and falls
// from it smoothly, FallPerSecond of the full scale each second. Levels run from 0 to 1 (the
// library's loudness above full scale shows as full). Plain logic; GUI thread only.
class TChannelMeters {
public:
  static constexpr double FallPerSecond = 2.0;

  // Takes the channels' loudness in `view`, `seconds` after the last update; a channel in
  // `silenced` (when given) shows nothing. A different channel count starts the meters afresh.
  void update(const TPlayView& view, double seconds, const std::vector<bool>* silenced = nullptr);
  int32_t count() const { return static_cast<int32_t>(m_left.size()); }
  double left(int32_t channel) const;
  double right(int32_t channel) const;

private:
  std::vector<double> m_left;
  std::vector<double> m_right;
};

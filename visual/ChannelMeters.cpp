#include "visual/ChannelMeters.h"

#include <algorithm>

namespace {

double follow(double shown, float now, double fall) {
  return std::max(std::clamp(static_cast<double>(now), 0.0, 1.0), std::max(0.0, shown - fall));
}

} // namespace

void TChannelMeters::update(const TPlayView& view, double seconds, const std::vector<bool>* silenced) {
  const auto channels = static_cast<std::size_t>(std::clamp(view.Channels, 0, TPlayView::kMaxChannels));
  if (channels != m_left.size()) {
    m_left.assign(channels, 0.0);
    m_right.assign(channels, 0.0);
  }
  const double fall = FallPerSecond * std::max(0.0, seconds);
  for (std::size_t channel = 0; channel < channels; ++channel) {
    const bool quiet = silenced && channel < silenced->size() && (*silenced)[channel];
    m_left[channel] = quiet ? 0.0 : follow(m_left[channel], view.Left[channel], fall);
    m_right[channel] = quiet ? 0.0 : follow(m_right[channel], view.Right[channel], fall);
  }
}

double TChannelMeters::left(int32_t channel) const {
  return channel >= 0 && channel < count() ? m_left[channel] : 0.0;
}

double TChannelMeters::right(int32_t channel) const {
  return channel >= 0 && channel < count() ? m_right[channel] : 0.0;
}

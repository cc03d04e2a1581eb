#include "music/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kLookaheadSeconds = 0.003;
constexpr double kReleaseSeconds = 0.08;
// A gain this close to 1 is 1: less than a third of the last bit of a 16-bit sample.
constexpr float kNearlyNothing = 1e-5f;
} // namespace

TPeakLimiter::TPeakLimiter(int channels, int32_t rate)
    : m_channels(static_cast<std::size_t>(std::clamp(channels, 1, 2))),
      m_lookahead(std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kLookaheadSeconds * rate)))),
      m_release(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * rate)))),
      m_delay(m_lookahead * m_channels), m_runFrames(m_lookahead + 1), m_runGains(m_lookahead + 1),
      m_minimums(m_lookahead + 1),
      m_meanScale(1.0 / static_cast<double>(kOne * static_cast<int64_t>(m_lookahead + 1))) {
  reset();
}

void TPeakLimiter::reset() {
  m_taken = 0;
  m_slot = 0;
  m_delayAt = 0;
  std::fill(m_delay.begin(), m_delay.end(), 0.0f);
  m_runFront = 0;
  m_runSize = 0;
  std::fill(m_minimums.begin(), m_minimums.end(), kOne);
  m_sum = kOne * static_cast<int64_t>(m_minimums.size());
  m_reduction = 0.0f;
}

void TPeakLimiter::restart(const float* recent, std::size_t frames, float reduction) {
  reset();
  float unused[2];
  for (std::size_t f = 0; f < frames; ++f) take(recent + f * m_channels, recent + f * m_channels, unused);
  m_reduction = reduction;
}

void TPeakLimiter::process(const float* in, const float* key, float* out, std::size_t frames) {
  const std::size_t samples = frames * m_channels;
  // Nothing being limited and nothing here to limit, as in most music: the frames only wait
  // their turn.
  const bool idle = m_reduction == 0.0f && m_sum == kOne * static_cast<int64_t>(m_minimums.size());
  if (idle && std::all_of(key, key + samples, [](float sample) { return std::fabs(sample) <= kCeiling; }))
    return pass(in, out, frames);
  float frame[2];
  for (std::size_t f = 0; f < frames; ++f) {
    take(in + f * m_channels, key + f * m_channels, frame);
    std::copy_n(frame, m_channels, out + f * m_channels);
  }
}

void TPeakLimiter::pass(const float* in, float* out, std::size_t frames) {
  for (std::size_t f = 0; f < frames; ++f) {
    float* delayed = m_delay.data() + m_delayAt * m_channels;
    for (std::size_t c = 0; c < m_channels; ++c) {
      const float sample = in[f * m_channels + c];
      out[f * m_channels + c] = delayed[c];
      delayed[c] = sample;
    }
    if (++m_delayAt == m_lookahead) m_delayAt = 0;
  }
  m_taken += frames;
  m_slot = static_cast<std::size_t>(m_taken % m_minimums.size());
  // Every gain needed in the window is 1: the run is the newest frame's alone.
  m_runFront = 0;
  m_runSize = frames > 0 ? 1 : m_runSize;
  m_runFrames[0] = m_taken - 1;
  m_runGains[0] = kOne;
}

void TPeakLimiter::take(const float* frame, const float* key, float* out) {
  const std::size_t window = m_minimums.size();
  auto wrap = [window](std::size_t index) { return index >= window ? index - window : index; };
  // The gain this frame needs.
  float peak = 0;
  for (std::size_t c = 0; c < m_channels; ++c) peak = std::max(peak, std::fabs(key[c]));
  // A few steps of the fixed point under what it needs, so that rounding the gain to a float and
  // the sample times it never lands above the ceiling.
  const int64_t needed = peak > kCeiling ? static_cast<int64_t>(std::floor(kCeiling / peak * kOne)) - 4 : kOne;
  // The least gain over the frames from `m_taken - m_lookahead` to this one: a run kept rising
  // from its front; entries that left the window go from the front, those this frame undercuts
  // from the back.
  while (m_runSize > 0 && m_taken - m_runFrames[m_runFront] > m_lookahead) {
    m_runFront = wrap(m_runFront + 1);
    --m_runSize;
  }
  while (m_runSize > 0 && m_runGains[wrap(m_runFront + m_runSize - 1)] >= needed) --m_runSize;
  m_runFrames[wrap(m_runFront + m_runSize)] = m_taken;
  m_runGains[wrap(m_runFront + m_runSize)] = needed;
  ++m_runSize;
  const int64_t least = m_runGains[m_runFront];
  // The mean of the last `window` minimums falls in a straight line to a loud frame's need and
  // reaches it at that frame: each of those minimums saw it.
  m_sum += least - m_minimums[m_slot];
  m_minimums[m_slot] = least;
  m_slot = wrap(m_slot + 1);
  const float mean = static_cast<float>(static_cast<double>(m_sum) * m_meanScale);
  // Kept as the distance under 1, which a float holds finely however small it gets.
  m_reduction = std::max(1.0f - mean, m_reduction * (1.0f - m_release));
  if (m_reduction < kNearlyNothing) m_reduction = 0.0f;
  const float gain = 1.0f - m_reduction;
  // The frame taken in `m_lookahead` frames ago comes out and this one takes its place.
  float* delayed = m_delay.data() + m_delayAt * m_channels;
  for (std::size_t c = 0; c < m_channels; ++c) {
    out[c] = delayed[c] * gain;
    delayed[c] = frame[c];
  }
  if (++m_delayAt == m_lookahead) m_delayAt = 0;
  ++m_taken;
}

#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// A float sample (full scale 1.0) as a 16-bit one, rounded to the nearest step: what the
// library's own 16-bit rendering gives, give or take the last bit of its dither.
inline int16_t SampleToInt16(float sample) {
  return static_cast<int16_t>(std::clamp(std::lrint(sample * 32768.0f), -32768L, 32767L));
}

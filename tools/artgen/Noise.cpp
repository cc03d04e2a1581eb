#include "tools/artgen/Noise.h"

#include <cmath>
#include <cstdint>

double TNoise::hashed(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xffffff) / double(0xffffff);
}

double TNoise::smooth(double x, double y, int seed) {
  const auto octave = [](double x, double y, int seed) {
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = hashed(ix, iy, seed) * (1 - sx) + hashed(ix + 1, iy, seed) * sx;
    const double bottom = hashed(ix, iy + 1, seed) * (1 - sx) + hashed(ix + 1, iy + 1, seed) * sx;
    return top * (1 - sy) + bottom * sy;
  };
  return 0.65 * octave(x, y, seed) + 0.35 * octave(2.1 * x, 2.1 * y, seed + 7);
}

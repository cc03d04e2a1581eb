#include "gfx/OpaqueSpans.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename Pixel> Pixel at(const uint8_t* line, int32_t x) {
  Pixel value;
  std::memcpy(&value, line + x * sizeof(Pixel), sizeof(Pixel));
  return value;
}

template <std::size_t Bytes> void copyFixed(uint8_t* to, const uint8_t* from) {
  std::memcpy(to, from, Bytes);
}

// Copies `count` bytes. The runs of the game's images are mostly short: up to 64 bytes go as
// two fixed-size moves that may overlap, which the compiler makes single loads and stores,
// instead of a call to the library's memcpy.
inline void copyBytes(uint8_t* to, const uint8_t* from, std::size_t count) {
  if (count >= 32 && count <= 64) {
    copyFixed<32>(to, from);
    copyFixed<32>(to + count - 32, from + count - 32);
  } else if (count >= 16 && count < 32) {
    copyFixed<16>(to, from);
    copyFixed<16>(to + count - 16, from + count - 16);
  } else if (count >= 8 && count < 16) {
    copyFixed<8>(to, from);
    copyFixed<8>(to + count - 8, from + count - 8);
  } else if (count >= 4 && count < 8) {
    copyFixed<4>(to, from);
    copyFixed<4>(to + count - 4, from + count - 4);
  } else if (count < 4) {
    for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
  } else {
    std::memcpy(to, from, count);
  }
}

} // namespace

TOpaqueSpans::TOpaqueSpans(const TPixelView& pixels, uint32_t key) : m_key(key) {
  m_rowRuns.reserve(static_cast<std::size_t>(pixels.height) + 1);
  const bool bytes = pixels.bitsPerPixel == 8;
  for (int32_t y = 0; y < pixels.height; ++y) {
    m_rowRuns.push_back(static_cast<uint32_t>(m_runs.size()));
    const uint8_t* line = pixels.bits + static_cast<std::size_t>(y) * pixels.pitch;
    auto opaque = [&](int32_t x) {
      return bytes ? at<uint8_t>(line, x) != static_cast<uint8_t>(key) : at<uint32_t>(line, x) != key;
    };
    for (int32_t x = 0; x < pixels.width;) {
      while (x < pixels.width && !opaque(x)) ++x;
      const int32_t begin = x;
      while (x < pixels.width && opaque(x)) ++x;
      if (x > begin) m_runs.push_back({begin, x});
    }
  }
  m_rowRuns.push_back(static_cast<uint32_t>(m_runs.size()));
}

void TOpaqueSpans::copy(const TPixelView& source, const RECT& sourceRect, uint8_t* to,
                        int32_t toPitch) const {
  const int32_t bytes = source.bitsPerPixel / 8;
  const int32_t left = sourceRect.left, right = sourceRect.right;
  for (int32_t y = sourceRect.top; y < sourceRect.bottom; ++y, to += toPitch) {
    const TRun* first = m_runs.data() + m_rowRuns[y];
    const TRun* last = m_runs.data() + m_rowRuns[y + 1];
    // The first run that ends right of the rectangle's left edge; runs are few per row.
    const TRun* run = first;
    if (last - first > 8)
      run = std::upper_bound(first, last, left, [](int32_t x, const TRun& r) { return x < r.end; });
    else
      while (run != last && run->end <= left) ++run;
    const uint8_t* from = source.bits + static_cast<std::size_t>(y) * source.pitch;
    for (; run != last && run->begin < right; ++run) {
      const int32_t begin = std::max(run->begin, left), end = std::min(run->end, right);
      copyBytes(to + (begin - left) * bytes, from + begin * bytes,
                static_cast<std::size_t>(end - begin) * bytes);
    }
  }
}

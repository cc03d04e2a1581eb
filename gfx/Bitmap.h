#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A bitmap as the window system reads it from a file: its size, its colour table (empty for a
// true-colour bitmap) and its pixels, as indexes into the table or as XRGB values.
struct TBitmap {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> colorTable; // 0xRRGGBB entries, at most 256
  std::vector<uint8_t> indexes;     // width * height, when the bitmap has a colour table
  std::vector<uint32_t> rgb;        // width * height 0xRRGGBB values, when it has none

  bool indexed() const { return !colorTable.empty(); }
  // The colour of the pixel at (x, y) as 0xRRGGBB.
  uint32_t color(int32_t x, int32_t y) const;

  // Reads the bitmap file at `path`. Throws std::runtime_error "Cannot read bitmap <path>"
  // when it is missing or not a bitmap.
  static TBitmap fromFile(const std::string& path);
};

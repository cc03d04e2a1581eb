#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Writes an 8-bit BMP file of `width` x `height` with colour table `table` (0xRRGGBB entries)
// whose pixel (x, y) is index `pixel(x, y)`; returns `path`.
std::string writeIndexedBitmap(const std::string& path, int width, int height,
                               const std::vector<uint32_t>& table,
                               const std::function<uint8_t(int x, int y)>& pixel);

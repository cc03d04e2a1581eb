#include "gfx/digits.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

#include <string>

namespace {

constexpr int32_t kCells = 6;
constexpr int32_t kWidth = 16;

} // namespace

TDigits::TDigits(TDX* display) : Display(display) {
  Image = display->AddImage(std::make_unique<TDXBMPImage>(display, GameDataFile("digits.bmp"), 16, 24, false));
}

void TDigits::Draw(int32_t x, int32_t y, int32_t value) const {
  const std::string s = std::to_string(value);
  const int32_t length = static_cast<int32_t>(s.size());
  const auto& image = *Display->Images[Image];
  for (int32_t p = 0; p < kCells - length; ++p) Display->Back->DrawImage(image, x + kWidth * p, y, 0);
  for (int32_t p = 0; p < length; ++p)
    Display->Back->DrawImage(image, x + kWidth * (kCells - length + p), y, s[p] - '0');
}

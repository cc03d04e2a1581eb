#include "gfx/Text.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

TText::TText(TDX* display) : Display(display) {
  Image = display->AddImage(std::make_unique<TDXBMPImage>(display, GameDataFile("font_large.bmp"), 8, 8, false));
}

void TText::Write(int32_t x, int32_t y, const std::string& s) const {
  for (std::size_t k = 0; k < s.size(); ++k) {
    int32_t glyph = static_cast<unsigned char>(s[k]) - 32 + GlyphSet * 96;
    Display->Back->DrawImage(*Display->Images[Image], x + 8 * static_cast<int32_t>(k), y, glyph);
  }
}

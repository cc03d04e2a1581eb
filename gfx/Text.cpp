#include "gfx/Text.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace {

constexpr char kPlaceholder = '?';

bool printable(char32_t c) { return c >= 32 && c < 127; }

// Letters that no decomposition takes apart.
const char* spelledOut(char32_t c) {
  switch (c) {
  case U'ß': return "ss";
  case U'Æ': return "AE";
  case U'æ': return "ae";
  case U'Œ': return "OE";
  case U'œ': return "oe";
  case U'Ø': return "O";
  case U'ø': return "o";
  case U'Đ': return "D";
  case U'đ': return "d";
  case U'Ł': return "L";
  case U'ł': return "l";
  case U'Þ': return "TH";
  case U'þ': return "th";
  case U'ı': return "i";
  default: return nullptr;
  }
}

} // namespace

std::string TText::Plain(const std::string& text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return printable(static_cast<unsigned char>(c)); }))
    return text;
  std::string plain;
  for (char32_t c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUcs4()) {
    if (printable(c)) {
      plain += static_cast<char>(c);
    } else if (const char* spelled = spelledOut(c)) {
      plain += spelled;
    } else {
      // The base letters of a decomposition ("u" and a diaeresis), without the marks.
      std::string base;
      for (char32_t part : QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD).toUcs4())
        if (printable(part)) base += static_cast<char>(part);
      plain += base.empty() ? std::string(1, kPlaceholder) : base;
    }
  }
  return plain;
}

TText::TText(TDX* display) : Display(display) {
  Image = display->AddImage(std::make_unique<TDXBMPImage>(display, GameDataFile("font_large.bmp"), 8, 8, false));
}

void TText::Write(int32_t x, int32_t y, const std::string& text) const {
  const std::string s = Plain(text);
  for (std::size_t k = 0; k < s.size(); ++k) {
    int32_t glyph = static_cast<unsigned char>(s[k]) - 32 + GlyphSet * 96;
    Display->Back->DrawImage(*Display->Images[Image], x + 8 * static_cast<int32_t>(k), y, glyph);
  }
}

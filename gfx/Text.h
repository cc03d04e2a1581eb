#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TDX;

// Text in the game's 8 x 8 bitmap font: each glyph set holds the character codes 32 to 127;
// set s starts at glyph 96 * s. Text is UTF-8; what the font lacks is drawn as Plain makes it.
class TText {
public:
  // `text` (UTF-8, invalid bytes allowed) in the font's characters: printable ASCII as it is, a
  // letter with marks as its plain letter ("ü" as "u", "é" as "e", "ß" as "ss"), anything else as
  // "?". One character of the result is one glyph.
  static std::string Plain(const std::string& text);

  // Loads "font_large.bmp" (without its palette) from the game data folder.
  explicit TText(TDX* display);
  virtual ~TText() = default;

  // Draws `s` (as Plain makes it) with its top left at (x, y), 8 pixels per character, no
  // clipping but the back surface's own.
  void Write(int32_t x, int32_t y, const std::string& s) const;
  // Fills the printf-style `pattern` ("START LEVEL: %d") and writes it.
  template <typename... Args>
  void WriteFmt(int32_t x, int32_t y, const char* pattern, Args... args) const {
    Write(x, y, Format(pattern, args...));
  }

  template <typename... Args> static std::string Format(const char* pattern, Args... args) {
    int n = std::snprintf(nullptr, 0, pattern, args...);
    std::vector<char> text(static_cast<std::size_t>(n < 0 ? 0 : n) + 1);
    std::snprintf(text.data(), text.size(), pattern, args...);
    return text.data();
  }

  TDX* Display;
  int32_t Image = -1;
  uint8_t GlyphSet = 0;
};

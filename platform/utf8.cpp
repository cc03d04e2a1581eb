#include "platform/utf8.h"

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the character that starts with lead byte `c`, or 1 for a stray byte.
std::size_t sequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}

} // namespace

std::string Utf8Prefix(const std::string& text, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t len = sequenceLength(static_cast<unsigned char>(text[end]));
    bool whole = end + len <= text.size();
    for (std::size_t i = 1; whole && i < len; ++i)
      whole = isContinuation(static_cast<unsigned char>(text[end + i]));
    if (!whole) len = 1;
    if (end + len > maxBytes) break;
    end += len;
  }
  return text.substr(0, end);
}

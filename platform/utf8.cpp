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

namespace {

// The length of the well-formed UTF-8 character at `at`, or 0 when there is none.
std::size_t validSequenceAt(const std::string& text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (lead < 0xC2 || lead > 0xF4 || at + length > text.size()) return 0;
  // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!isContinuation(byte(at + i))) return 0;
  return length;
}

} // namespace

bool IsValidUtf8(const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = validSequenceAt(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string AsUtf8(const std::string& text) {
  if (IsValidUtf8(text)) return text;
  std::string utf8;
  for (unsigned char c : text) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

#pragma once

#include <cstddef>
#include <string>

// The longest prefix of `text` that has at most `maxBytes` bytes and does not end inside a
// UTF-8 character (bytes that are not valid UTF-8 count as one character each).
std::string Utf8Prefix(const std::string& text, std::size_t maxBytes);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(const std::string& text);

// `text` as UTF-8 for showing it: unchanged when it is valid UTF-8, otherwise every byte read as
// Latin-1, as older files of 8-bit text hold it.
std::string AsUtf8(const std::string& text);

// `text` with its ASCII capitals made small; every other byte, UTF-8 included, as it is.
std::string AsciiLower(std::string text);

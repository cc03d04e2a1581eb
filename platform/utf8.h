#pragma once

#include <cstddef>
#include <string>

// The longest prefix of `text` that has at most `maxBytes` bytes and does not end inside a
// UTF-8 character (bytes that are not valid UTF-8 count as one character each).
std::string Utf8Prefix(const std::string& text, std::size_t maxBytes);

#include "platform/utf8.h"

#include <gtest/gtest.h>

// ASCII text is cut at the byte limit.
TEST(Utf8Test, AsciiIsCutAtTheLimit) {
  EXPECT_EQ(Utf8Prefix("hello", 3), "hel");
  EXPECT_EQ(Utf8Prefix("hello", 10), "hello");
  EXPECT_EQ(Utf8Prefix("hello", 0), "");
}

// A cut never ends inside a 2-, 3- or 4-byte character.
TEST(Utf8Test, CutNeverSplitsACharacter) {
  EXPECT_EQ(Utf8Prefix("a\xC3\xA9", 2), "a");
  EXPECT_EQ(Utf8Prefix("a\xE2\x82\xAC", 3), "a");
  EXPECT_EQ(Utf8Prefix("a\xE2\x82\xAC", 4), "a\xE2\x82\xAC");
  EXPECT_EQ(Utf8Prefix("a\xF0\x9F\x98\x80", 4), "a");
  EXPECT_EQ(Utf8Prefix("a\xF0\x9F\x98\x80", 5), "a\xF0\x9F\x98\x80");
}

// Bytes that are not valid UTF-8 count as one character each.
TEST(Utf8Test, InvalidBytesCountAsSingleCharacters) {
  EXPECT_EQ(Utf8Prefix("\xFF\xFE", 1), "\xFF");
  EXPECT_EQ(Utf8Prefix("\xE2\x82x", 1), "\xE2");
  EXPECT_EQ(Utf8Prefix("\x80\x80", 1), "\x80");
  EXPECT_EQ(Utf8Prefix("\xC0\xAF", 1), "\xC0");
}

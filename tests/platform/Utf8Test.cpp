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

// Well-formed UTF-8 is shown as it is; anything else, such as a Latin-1 name from an older file,
// is read byte by byte as Latin-1.
TEST(Utf8Test, ValidityAndLatin1Fallback) {
  for (const char* valid : {"", "Player1", "J\xC3\xB6rg", "\xE2\x82\xAC", "\xF0\x9F\x8E\xB5", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(IsValidUtf8(valid)) << valid;
  for (const char* invalid : {"J\xF6rg", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                              "\xC3", "\xE2\x82", "\x80"})
    EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
  EXPECT_EQ(AsUtf8("J\xC3\xB6rg"), "J\xC3\xB6rg");
  EXPECT_EQ(AsUtf8("J\xF6rg"), "J\xC3\xB6rg");
  EXPECT_EQ(AsUtf8("\xFF\x41"), "\xC3\xBF\x41");
}

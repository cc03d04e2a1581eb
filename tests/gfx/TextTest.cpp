#include "gfx/Text.h"
#include "gfx/TextWriter.h"
#include "gfx/digits.h"

#include "tests/support/GameDisplay.h"

#include <gtest/gtest.h>

namespace {

class TextTest : public ::testing::Test {
protected:
  TGameDisplay d;
};

// Characters are glyphs (code - 32) + 96 * set, 8 pixels apart; codes outside a set's range
// reach into the set before or after, or draw nothing.
TEST_F(TextTest, GlyphsAndSets) {
  TText text(&d.dx);
  text.GlyphSet = 3;
  d.clear();
  text.Write(10, 20, "AB");
  EXPECT_TRUE(d.drawnAt(text.Image, 321, 10, 20));
  EXPECT_TRUE(d.drawnAt(text.Image, 322, 18, 20));
  EXPECT_FALSE(d.drawnAt(text.Image, 321, 18, 20));

  text.GlyphSet = 0;
  d.clear();
  text.Write(10, 40, std::string(1, '\x1F'));
  EXPECT_TRUE(d.plain({0, 30, 100, 60}));
  text.GlyphSet = 1;
  text.Write(10, 40, std::string(1, '\x1F'));
  EXPECT_TRUE(d.drawnAt(text.Image, 95, 10, 40)); // the last glyph of set 0
  text.GlyphSet = 0;
  text.Write(30, 40, std::string(1, '\x81'));
  EXPECT_TRUE(d.drawnAt(text.Image, 97, 30, 40)); // a glyph of set 1

  d.clear();
  text.WriteFmt(100, 100, "LEVEL %d", 7);
  EXPECT_TRUE(d.drawnAt(text.Image, '7' - 32, 148, 100));
  EXPECT_EQ(TText::Format("Welcome %s", "Ann"), "Welcome Ann");
}

// The wave runs from 5 to 15 around 10; lines are typed one character per tick, held for 100
// ticks and follow each other in order; with no lines nothing shows, but the phases move.
TEST_F(TextTest, WriterTypesLinesInTurn) {
  TTextWriter w(365, 412, &d.dx);
  EXPECT_EQ(w.Wave[0], 10);
  EXPECT_EQ(w.Wave[5], 15);
  EXPECT_EQ(*std::min_element(w.Wave.begin(), w.Wave.end()), 5);
  EXPECT_EQ(*std::max_element(w.Wave.begin(), w.Wave.end()), 15);

  d.clear();
  w.Update();
  w.Draw();
  EXPECT_TRUE(d.plain({300, 380, 640, 480}));
  EXPECT_EQ(w.PhaseX, 1);
  EXPECT_EQ(w.PhaseY, 360);

  w.Add("AB");
  w.Add("");
  w.Add("C");
  w.Update();
  EXPECT_EQ(w.Shown, 1);
  w.Update();
  EXPECT_EQ(w.Shown, 2);
  for (int i = 0; i < 99; ++i) w.Update();
  EXPECT_EQ(w.Lines.front(), "AB");
  w.Update();
  EXPECT_EQ(w.Lines.front(), "");
  EXPECT_EQ(w.Shown, 0);
  for (int i = 0; i < 100; ++i) w.Update();
  EXPECT_EQ(w.Lines.front(), "C");
  w.Update();
  d.clear();
  w.Draw();
  EXPECT_TRUE(d.drawnAt(w.Image, 'C' - 32, 365 + w.Wave[w.PhaseX], 412 + w.Wave[w.PhaseY]));
  EXPECT_EQ(w.PhaseX, 204);
}

// Numbers fill six cells with leading zeros; longer ones start further left; a minus sign
// leaves a gap.
TEST_F(TextTest, Digits) {
  TDigits digits(&d.dx);
  auto shows = [&](int x, int glyph) { return d.drawnAt(digits.Image, glyph, x, 100); };
  d.clear();
  digits.Draw(200, 100, 0);
  for (int p = 0; p < 6; ++p) EXPECT_TRUE(shows(200 + 16 * p, 0)) << p;
  d.clear();
  digits.Draw(200, 100, 42);
  EXPECT_TRUE(shows(200 + 16 * 3, 0));
  EXPECT_TRUE(shows(200 + 16 * 4, 4));
  EXPECT_TRUE(shows(200 + 16 * 5, 2));
  d.clear();
  digits.Draw(200, 100, 1234567);
  EXPECT_TRUE(shows(184, 1));
  EXPECT_TRUE(shows(200 + 16 * 5, 7));
  d.clear();
  digits.Draw(200, 100, -5);
  for (int p = 0; p < 4; ++p) EXPECT_TRUE(shows(200 + 16 * p, 0)) << p;
  EXPECT_TRUE(d.plain({264, 100, 280, 124}));
  EXPECT_TRUE(shows(280, 5));
}

} // namespace

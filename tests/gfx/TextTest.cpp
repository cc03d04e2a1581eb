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

// Characters are glyphs (code - 32) + 96 * set, 8 pixels apart. What the font lacks never reaches
// another set: a letter with marks is drawn as its plain letter, anything else as "?".
TEST_F(TextTest, GlyphsAndSets) {
  TText text(&d.dx);
  text.GlyphSet = 3;
  d.clear();
  text.Write(10, 20, "AB");
  EXPECT_TRUE(d.drawnAt(text.Image, 321, 10, 20));
  EXPECT_TRUE(d.drawnAt(text.Image, 322, 18, 20));
  EXPECT_FALSE(d.drawnAt(text.Image, 321, 18, 20));

  EXPECT_EQ(TText::Plain("J\xC3\xBCrgen M\xC3\xB6\xC3\x9F \xC3\x89tienne"), "Jurgen Moss Etienne");
  EXPECT_EQ(TText::Plain(std::string("a\x1F\x81\xE2\x98\x83z")), "a???z");
  d.clear();
  text.Write(10, 40, "\xC3\xBC\x81");
  EXPECT_TRUE(d.drawnAt(text.Image, 3 * 96 + 'u' - 32, 10, 40));
  EXPECT_TRUE(d.drawnAt(text.Image, 3 * 96 + '?' - 32, 18, 40));
  EXPECT_TRUE(d.plain({26, 40, 100, 48}));

  d.clear();
  text.WriteFmt(100, 100, "LEVEL %d", 7);
  EXPECT_TRUE(d.drawnAt(text.Image, 3 * 96 + '7' - 32, 148, 100));
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

// A line longer than the box is cut at its edge: nothing outside the box changes, whatever the
// wave does; a multi-byte letter is typed as one character.
TEST_F(TextTest, WriterStaysInItsBox) {
  TTextWriter w(365, 412, &d.dx);
  w.Box = {359, 393, 581, 435};
  w.Add(std::string(200, 'W'));
  w.Add("\xC3\xBC");
  d.clear();
  for (int tick = 0; tick < 300; ++tick) {
    w.Update();
    w.Draw();
  }
  for (const RECT& outside : {RECT{0, 0, 640, 393}, RECT{0, 435, 640, 480}, RECT{0, 393, 359, 435},
                              RECT{581, 393, 640, 435}})
    EXPECT_TRUE(d.plain(outside)) << outside.left << "," << outside.top;
  EXPECT_FALSE(d.plain({575, 393, 581, 435})) << "the text runs to the box's edge";
  for (int tick = 0; tick < 2; ++tick) w.Update();
  EXPECT_EQ(w.Lines.front(), "u");
  EXPECT_EQ(w.Shown, 1);
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

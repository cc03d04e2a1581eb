#include "gfx/AnimSprite.h"
#include "gfx/Bubbles.h"
#include "gfx/Explosion.h"

#include "platform/random.h"
#include "tests/support/GameDisplay.h"

#include <gtest/gtest.h>

namespace {

class EffectsTest : public ::testing::Test {
protected:
  void SetUp() override { SetRandomSeed(7); }
  TGameDisplay d;
};

// The bubble count is the highest index in use, held to 100; bubbles start in the well.
TEST_F(EffectsTest, BubbleCounts) {
  EXPECT_EQ(TBubbles(&d.dx, 150).Count, 100);
  EXPECT_EQ(TBubbles(&d.dx, 20).Count, 20);
  TBubbles one(&d.dx, 0);
  EXPECT_EQ(one.Count, 0);
  TBubbles b(&d.dx, 20);
  for (int i = 0; i <= 20; ++i) {
    EXPECT_GE(b.Bubbles[i].X, 80);
    EXPECT_LT(b.Bubbles[i].X, 110);
    EXPECT_GE(b.Bubbles[i].Y, 80);
    EXPECT_LT(b.Bubbles[i].Y, 120);
    EXPECT_LT(b.Bubbles[i].Size, 5);
  }
}

// Bubbles rise by their size, wobble within 80 to 260 and start again at the bottom once at
// y 30 or above; each is drawn 5 pixels right of and below its position.
TEST_F(EffectsTest, BubblesRiseAndRecycle) {
  TBubbles b(&d.dx, 2);
  b.Bubbles[0] = {150, 200, 4, 3}; // wobble 0 in phase 3
  b.Bubbles[1] = {150, 31, 0, 3};
  b.Bubbles[2] = {262, 300, 1, 5}; // wobble +2 in phase 5, held to 260
  b.Update();
  EXPECT_EQ(b.Bubbles[0].Y, 197);
  EXPECT_EQ(b.Bubbles[0].X, 150);
  EXPECT_EQ(b.Bubbles[1].Y, 440);
  EXPECT_GE(b.Bubbles[1].X, 60);
  EXPECT_LT(b.Bubbles[1].X, 280);
  EXPECT_EQ(b.Bubbles[2].X, 260);
  EXPECT_EQ(b.Bubbles[2].Y, 299);
  d.clear();
  b.Bubbles[0] = {100, 100, 4, 0};
  b.Draw();
  EXPECT_TRUE(d.drawnAt(b.Image, 4, 105, 105));
}

// Only the cubes of a row become particles, at their cells, flying upwards.
TEST_F(EffectsTest, ExplosionStart) {
  TExplosion e(&d.dx);
  TCellGrid grid;
  grid.cells.fill(1);
  EXPECT_FALSE(e.Start(grid, 5));
  EXPECT_TRUE(e.Particles.empty());
  grid.at(4, 5) = 3;
  grid.at(13, 5) = 8;
  EXPECT_TRUE(e.Start(grid, 5));
  ASSERT_EQ(e.Particles.size(), 2u);
  EXPECT_EQ(e.Particles[0].X, 85);
  EXPECT_EQ(e.Particles[1].X, 265);
  EXPECT_EQ(e.Particles[1].Y, 105);
  EXPECT_EQ(e.Particles[1].Colour, 8);
  for (const TParticle& p : e.Particles) {
    EXPECT_GE(p.SpeedX, -4);
    EXPECT_LE(p.SpeedX, 3);
    EXPECT_GE(p.SpeedY, -16);
    EXPECT_LE(p.SpeedY, -9);
    EXPECT_LT(p.Fuse, 20);
  }
  EXPECT_TRUE(e.Start(grid, 5));
  EXPECT_EQ(e.Particles.size(), 4u);
}

// A particle explodes when its fuse has run out or when it falls below y 425, shows explosion
// frames 1 to 15, and the explosion finishes when nothing is left to see.
TEST_F(EffectsTest, ParticlesExplodeByFuseAndByFalling) {
  TExplosion e(&d.dx);
  e.Particles = {{3, 150, 200, 1, -10, false, 0, 0}, {4, 150, 420, 0, 6, false, 0, 50}};
  e.Update();
  EXPECT_FALSE(e.Particles[0].Exploding);
  EXPECT_EQ(e.Particles[0].Y, 190);
  EXPECT_EQ(e.Particles[0].SpeedY, -8);
  EXPECT_FALSE(e.Particles[1].Exploding);
  EXPECT_EQ(e.Particles[1].Y, 426);
  e.Update();
  EXPECT_TRUE(e.Particles[0].Exploding);
  EXPECT_EQ(e.Particles[0].Frame, 1);
  EXPECT_TRUE(e.Particles[1].Exploding);
  EXPECT_FALSE(e.Finished);

  d.clear();
  e.Draw();
  EXPECT_TRUE(d.drawnAt(e.Image, 1, e.Particles[0].X - 8, e.Particles[0].Y - 20));
  for (int i = 0; i < 14; ++i) e.Update();
  EXPECT_EQ(e.Particles[0].Frame, 15);
  EXPECT_FALSE(e.Finished);
  e.Update();
  EXPECT_TRUE(e.Finished);
  e.Clear();
  e.Update();
  EXPECT_TRUE(e.Finished);
}

// Flying cubes bounce off the well's sides and its top.
TEST_F(EffectsTest, ParticlesBounce) {
  TExplosion e(&d.dx);
  e.Particles = {{3, 262, 100, 4, 0, false, 0, 50}, {3, 150, 40, 0, -9, false, 0, 50}};
  e.Update();
  EXPECT_EQ(e.Particles[0].SpeedX, -4);
  EXPECT_EQ(e.Particles[1].Y, 31);
  EXPECT_EQ(e.Particles[1].SpeedY, 7);
  d.clear();
  e.Particles = {{5, 120, 200, 0, 0, false, 0, 50}};
  e.Draw();
  EXPECT_TRUE(d.drawnAt(e.Block.Images[4], 0, 120, 200)); // green
}

// A sprite shows each frame for Delay draws, or a new frame every draw at Delay 0; a bitmap
// that cannot be read is reported as the sprite's error.
TEST_F(EffectsTest, SpriteTiming) {
  TAnimSprite pause(&d.dx, 111, 23, 2, "panel_pause.bmp");
  pause.Delay = 15;
  for (int i = 0; i < 14; ++i) pause.Draw(10, 10);
  EXPECT_EQ(pause.Frame, 0);
  pause.Draw(10, 10);
  EXPECT_EQ(pause.Frame, 1);
  for (int i = 0; i < 15; ++i) pause.Draw(10, 10);
  EXPECT_EQ(pause.Frame, 0);

  TAnimSprite bar(&d.dx, 200, 20, 10, "menubar.bmp");
  d.clear();
  bar.Draw(300, 200);
  EXPECT_TRUE(d.drawnAt(bar.Image, 0, 300, 200));
  EXPECT_EQ(bar.Frame, 1);
  bar.Erase(300, 200);
  EXPECT_TRUE(d.plain({300, 200, 500, 220}, 0));
  try {
    TAnimSprite missing(&d.dx, 10, 10, 1, "no-such.bmp");
    FAIL();
  } catch (const EAnimSprite& e) {
    EXPECT_NE(std::string(e.what()).find("no-such.bmp"), std::string::npos);
  }
}

} // namespace

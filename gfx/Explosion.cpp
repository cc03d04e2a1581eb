#include "gfx/Explosion.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"
#include "platform/random.h"

namespace {

constexpr int32_t kFrames = 16;
constexpr int32_t kBottom = 480;

} // namespace

TExplosion::TExplosion(TDX* display) : Display(display), Block(display) {
  Image = display->AddImage(
      std::make_unique<TDXBMPImage>(display, GameDataFile("expl36x50x16.bmp"), 36, 50, true));
}

bool TExplosion::Start(const TCellGrid& grid, int32_t row) {
  Finished = false;
  bool any = false;
  for (int32_t column = 4; column <= 13; ++column) {
    uint8_t code = grid.at(column, row);
    if (code == 1) continue;
    TParticle p;
    p.Colour = code;
    p.X = 20 * column + 5;
    p.Y = 20 * row + 5;
    p.SpeedX = Random(8) - 4;
    p.SpeedY = Random(8) - 16;
    p.Fuse = Random(20);
    Particles.push_back(p);
    any = true;
  }
  return any;
}

void TExplosion::Update() {
  bool visible = false;
  for (TParticle& p : Particles) {
    if ((p.Y > 425 && p.SpeedY >= 0) || p.Fuse < 0) p.Exploding = true;
    if (p.Y < kBottom) {
      if (!p.Exploding)
        visible = true;
      else if (++p.Frame < kFrames)
        visible = true;
    }
    if (!p.Exploding) {
      p.Y += p.SpeedY;
      p.X += p.SpeedX;
      p.SpeedY += 2;
      if (p.X > 265 || p.X < 85) p.SpeedX = -p.SpeedX;
      if (p.Y < 35) p.SpeedY = -p.SpeedY;
    }
    --p.Fuse;
  }
  Finished = !visible;
}

void TExplosion::Draw() const {
  for (const TParticle& p : Particles) {
    if (p.Y >= kBottom) continue;
    if (p.Exploding)
      Display->Back->DrawImage(*Display->Images[Image], p.X - 8, p.Y - 20, p.Frame);
    else
      Block.DrawAt(p.Colour, p.X, p.Y);
  }
}

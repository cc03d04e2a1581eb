#include "game/Stats.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"

TStats::TStats(TDX* display) : Display(display), Text(display) {
  Image = display->AddImage(
      std::make_unique<TDXBMPImage>(display, GameDataFile("panel_gameover.bmp"), 195, 216, true));
  Reset();
}

void TStats::Reset() {
  Counts.fill(0);
  BricksUsed = 0;
  Points = 0;
}

void TStats::AddClear(int32_t rows) {
  if (rows >= 1 && rows <= 4) ++Counts[rows - 1];
}

void TStats::Draw() {
  Display->Back->DrawImage(*Display->Images[Image], 88, 100, 0);
  // A game ends only after a brick has locked; a panel drawn before that shows 0 per brick.
  const int32_t perBrick = BricksUsed > 0 ? Points / BricksUsed : 0;
  Text.GlyphSet = 3;
  Text.WriteFmt(98, 150, "Points       : %d", Points);
  Text.WriteFmt(98, 160, "Bricks used  : %d", BricksUsed);
  Text.WriteFmt(98, 170, "Points/Brick : %d", perBrick);
  Text.GlyphSet = 1;
  const char* names[] = {"Single       : %d", "Double       : %d", "Triple       : %d",
                         "Quadruple    : %d"};
  for (int i = 0; i < 4; ++i) Text.WriteFmt(98, 190 + 10 * i, names[i], Counts[i]);
}

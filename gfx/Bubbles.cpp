#include "gfx/Bubbles.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"
#include "platform/random.h"

#include <algorithm>

namespace {

constexpr int32_t kWobble[10] = {-2, -2, -1, 0, 1, 2, 2, 1, 0, -1};

} // namespace

TBubbles::TBubbles(TDX* display, int32_t count) : Display(display), Count(std::min(count, 100)) {
  Image = display->AddImage(std::make_unique<TDXBMPImage>(display, GameDataFile("bubble.bmp"), 20, 20, true));
  for (int32_t i = 0; i <= Count; ++i) {
    TBubble& b = Bubbles[i];
    b.X = Random(30) + 80;
    b.Y = Random(40) + 80;
    b.Size = Random(5);
    b.Phase = Random(9);
  }
}

void TBubbles::Update() {
  for (int32_t i = 0; i <= Count; ++i) {
    TBubble& b = Bubbles[i];
    b.Y -= b.Size / 2 + 1;
    b.X += kWobble[b.Phase];
    b.Phase += Random(2);
    if (b.Phase > 9) b.Phase = 0;
    b.X = std::clamp(b.X, 80, 260);
    if (b.Y <= 30) {
      b.X = Random(220) + 60;
      b.Y = 440;
      b.Size = Random(5);
      b.Phase = Random(9);
    }
  }
}

void TBubbles::Draw() const {
  for (int32_t i = 0; i <= Count; ++i)
    Display->Back->DrawImage(*Display->Images[Image], Bubbles[i].X + 5, Bubbles[i].Y + 5, Bubbles[i].Size);
}

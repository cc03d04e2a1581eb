#include "game/brick.h"

#include "game/Types.h"
#include "platform/random.h"

TBrick::TBrick(TDX* display) : Block(display), Display(display) {
  Randomize();
  NextShape = Random(kShapeCount);
  NewBrick();
  FallDelay = 20;
}

void TBrick::SetShape(int32_t shape) {
  ShapeBase = shape * 4;
  Rotation = 1;
}

void TBrick::NewBrick() {
  SetShape(NextShape);
  NextShape = Random(kShapeCount);
  X = 5;
  Y = 1;
  FallCounter = 0;
}

void TBrick::SetFallCounter(int32_t value) {
  if (value >= 0 && value <= FallDelay) FallCounter = value;
}

void TBrick::Draw(bool fall) {
  const TShapeBox& box = ShapeTable[ShapeBase + Rotation - 1];
  for (int32_t i = 1; i <= 4; ++i)
    for (int32_t j = 1; j <= 4; ++j)
      if (box[i - 1][j - 1]) Block.DrawCell(Colour(), X + i, Y + j);
  if (!fall) return;
  if (FallCounter < FallDelay) {
    ++FallCounter;
    return;
  }
  FallCounter = 0;
  if (!Overlaps || !Overlaps(X, Y, ShapeBase, Rotation)) ++Y;
}

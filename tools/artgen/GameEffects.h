#pragma once

#include <QImage>

// The game's effects drawn over or behind the field: the explosion of a cube, the bubbles
// rising behind the cubes and the glowing bar behind the selected row of the in-game menu.
class TGameEffects {
public:
  static constexpr int kExplosionWidth = 36;
  static constexpr int kExplosionHeight = 50;
  static constexpr int kExplosionFrames = 16;
  static constexpr int kBubbleSize = 20;
  static constexpr int kBubbleFrames = 5;
  static constexpr int kMenuBarWidth = 200;
  static constexpr int kMenuBarHeight = 20;
  static constexpr int kMenuBarFrames = 10;

  // A flash, a fireball, then smoke and sparks, in kExplosionFrames frames.
  static QImage explosion();
  // Bubbles of five sizes, smallest first.
  static QImage bubbles();
  // The bar's glow pulsing once over kMenuBarFrames frames.
  static QImage menuBar();
};

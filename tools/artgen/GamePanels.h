#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <array>

class TPsfFont;

// The game's console right of the well, in gunmetal with recessed dark glass windows, and
// the signs shown over the field: the game-over panel and the blinking pause sign.
//
// On screen: the header at (350, 35), the score panel at (350, 81), the border at (584, 80)
// and the bottom panel at (350, 360). The 60 px between the score panel and the border are
// left open: the header's bracket and the border frame them as an alcove.
class TGamePanels {
public:
  static constexpr int kHeaderWidth = 240, kHeaderHeight = 46;
  static constexpr int kScoreWidth = 174, kScoreHeight = 145;
  static constexpr int kBorderWidth = 6, kBorderHeight = 132;
  static constexpr int kBottomWidth = 240, kBottomHeight = 86;
  static constexpr int kGameOverWidth = 195, kGameOverHeight = 216;
  static constexpr int kPauseWidth = 111, kPauseHeight = 23;
  // The next-brick window stands in the alcove at (526, 86): "NEXT" over a glass window whose
  // inside, kNextGlass, holds four small cubes a side.
  static constexpr int kNextWidth = 56, kNextHeight = 78;
  static constexpr QRect kNextGlass{4, 24, 48, 48};

  // Where the game draws the 96 x 24 digits of the score, the level and the bomb meter:
  // the top-left pixel inside the score panel (the screen's (400, 83), (400, 117), (400, 151)).
  static constexpr std::array<QPoint, 3> kLedWindows{QPoint(50, 2), QPoint(50, 36),
                                                     QPoint(50, 70)};
  // The in-game menu runs over the score panel's last rows and the bottom panel's first ones
  // (the screen's y 209 to 380): those rows stay transparent, so the menu reads on black.
  static constexpr int kScoreMenuTop = 128;
  static constexpr int kBottomMenuEnd = 22;

  static QImage header();
  static QImage score(const TPsfFont& psf);
  static QImage border();
  static QImage bottom();
  static QImage gameOver();
  static QImage next(const TPsfFont& psf);
  // Frame 0 lit, frame 1 dark.
  static QImage pause();
};

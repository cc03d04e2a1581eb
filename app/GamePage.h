#pragma once

#include "game/GameOptions.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

// Setup's "Game" page: how held keys repeat (the delay before the first repeat and the time
// between repeats of Left and Right, the time between the rows of a held Down, all in ms) with
// the pace they give, a button back to the classic rhythm, and whether the game shows the next
// brick and where the falling brick will land, and whether the music follows the game. GUI
// thread only.
class TGamePage : public QWidget {
  Q_OBJECT

public:
  explicit TGamePage(QWidget* parent = nullptr);

  TGameOptions options() const;
  // Shows `options`, each time brought into its range.
  void showOptions(const TGameOptions& options);

  QSpinBox* RepeatDelay;
  QSpinBox* RepeatInterval;
  QSpinBox* SoftDropInterval;
  QLabel* Pace;
  QPushButton* Classic;
  QCheckBox* ShowNext;
  QCheckBox* ShowGhost;
  QCheckBox* MusicFollows;

private:
  void showPace();
};

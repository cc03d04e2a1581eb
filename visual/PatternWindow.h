#pragma once

#include "visual/PatternModel.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>

class QScrollBar;
class QTimer;
class TPatternCanvas;

// The "Pattern view" window: the pattern canvas, and a scroll bar for modules with more channels
// than fit. While it is visible
// and a song plays it follows what is heard about 30 times a second; otherwise it rests,
// showing the last place greyed. Mutes and solos chosen in it go to the module heard. Not
// modal; the user may resize it. GUI thread only.
class TPatternWindow : public QWidget {
  Q_OBJECT

public:
  // `playing` tells whether a song plays (not paused or stopped).
  explicit TPatternWindow(std::function<bool()> playing, QWidget* parent = nullptr);

  // The player's state may have changed: follows or rests accordingly.
  void playerChanged();

  TPatternModel Model;
  TPatternCanvas* Canvas;
  QScrollBar* Channels;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Escape closes the window, as it closes a dialog.
  void keyPressEvent(QKeyEvent* event) override;

private:
  void tick();
  void fitScrollBar();

  std::function<bool()> m_playing;
  QTimer* m_timer;
  QElapsedTimer m_clock;
};

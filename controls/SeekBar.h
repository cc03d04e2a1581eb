#pragma once

#include <QProgressBar>

// The progress bar of the playing song that the user can click or drag to go elsewhere in it.
// While the mouse button is held the bar shows where the song would go and the player's own
// values wait; at release it asks for that place. From the keyboard (it takes the focus with
// Tab) Left and Right ask for a step back or on, Home for the start. Values are whatever unit
// the range has (the main window uses milliseconds). GUI thread only.
class TSeekBar : public QProgressBar {
  Q_OBJECT

public:
  explicit TSeekBar(QWidget* parent = nullptr);

  // Shows the player's `value` (when it moves the bar by a pixel or more), unless the user is
  // dragging.
  void showPlayed(int value);
  bool dragging() const { return m_dragging; }
  // How far Left and Right go, in the range's unit.
  void setKeyStep(int step) { m_keyStep = step; }

signals:
  // The user let go of the button at `value`.
  void seekRequested(int value);

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  int valueAt(int x) const;

  bool m_dragging = false;
  int m_keyStep = 1;
};

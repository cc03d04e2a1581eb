#pragma once

#include <QProgressBar>

// The progress bar of the playing song that the user can click or drag to go elsewhere in it.
// While the mouse button is held the bar shows where the song would go and the player's own
// values wait; at release it asks for that place. Values are whatever unit the range has (the
// main window uses milliseconds). GUI thread only.
class TSeekBar : public QProgressBar {
  Q_OBJECT

public:
  explicit TSeekBar(QWidget* parent = nullptr);

  // Shows the player's `value` (when it moves the bar by a pixel or more), unless the user is
  // dragging.
  void showPlayed(int value);
  bool dragging() const { return m_dragging; }

signals:
  // The user let go of the button at `value`.
  void seekRequested(int value);

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  int valueAt(int x) const;

  bool m_dragging = false;
};

#pragma once

#include "music/SongQueue.h"

#include <QStatusBar>

#include <vector>

class QLabel;
class QSlider;
class TElidedLabel;
class TPlayerController;

// The main window's status bar: the play state, the loaded file (cut in the middle where too
// long, whole in its tool tip), the time played out of the song's length, and the volume
// slider (0 to 100 %; the mouse wheel over it works too). A muted player shows the slider at 0.
// Once it follows a player controller, it shows what the controller tells of by itself. GUI
// thread only.
class TPlayerStatusBar : public QStatusBar {
  Q_OBJECT

public:
  explicit TPlayerStatusBar(QWidget* parent = nullptr);

  // Shows the controller's player from now on: its state, file (or why it cannot play), time,
  // volume, the files it passed over, its waits for a song and the sound output's problems.
  // The volume slider drives it.
  void follow(TPlayerController& controller);

  void setStateText(const QString& text);
  QString stateText() const;
  void setFileText(const QString& text);
  QString fileText() const;
  // "m:ss / m:ss" (hours when the song is that long); empty while nothing is loaded.
  void setTimes(double elapsed, double total);
  void clearTimes();
  QString timeText() const;
  void showVolume(int percent, bool muted);
  // Names the files passed over ("Skipped x.it: <reason>") for a few seconds; nothing for none.
  void showSkipped(const std::vector<TSkippedSong>& skipped);
  // "No sound output: <problem>" over the state and the file until the problem is empty.
  void showOutputProblem(const QString& problem);

  QSlider* VolumeSlider;

signals:
  // The user moved the slider to `percent`.
  void volumeChosen(int percent);

private:
  void showSong(const TPlayerController& controller);
  void showTime(const TPlayerController& controller);

  QLabel* m_state;
  TElidedLabel* m_file;
  QLabel* m_time;
};

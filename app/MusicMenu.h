#pragma once

#include <QMenu>

class QAction;
class TPlayerController;
class TSettings;
struct TRenderOptions;
class TSubsongMenu;

// The Music menu: the playlist, the transport commands, the subsongs of the loaded module,
// seeking, the volume, muting, the play order and how songs loop, each with its key. Its commands
// go to the player controller (the loop through the settings' render options), and its check
// marks and subsongs follow what the controller and the settings tell of. The
// keys are the letters the game uses for the same commands (N, S, F, R), U as in "Pa&use", and
// Ctrl with the arrows for seeking and the volume; none is used by the game window, whose keys
// only act while it has the focus. GUI thread only.
class TMusicMenu : public QMenu {
  Q_OBJECT

public:
  // Seconds a seek step moves, and percent a volume step changes.
  static constexpr double kSeekStep = 5;
  static constexpr int kVolumeStep = 5;

  TMusicMenu(TPlayerController& controller, TSettings& settings, QWidget* parent);

  QAction* PlayList;
  QAction* Play;
  QAction* PlayNext;
  QAction* PlayPrevious;
  QAction* Stop;
  QAction* Pause;
  QAction* Forward;
  QAction* Rewind;
  TSubsongMenu* Subsongs;
  QAction* SeekForward;
  QAction* SeekBack;
  QAction* VolumeUp;
  QAction* VolumeDown;
  QAction* Mute;
  QAction* RepeatAll;
  QAction* RepeatOne;
  QAction* NoRepeat;
  QAction* Shuffle;
  QMenu* Loop;
  QAction* PlayOnce;
  QAction* LoopForever;
  QAction* LoopsThenFade;

signals:
  // "Playlist..." was chosen.
  void playlistRequested();

private:
  void showSubsongs();
  void showPlayOrder();
  void showLoop(const TRenderOptions& options);

  TPlayerController& m_controller;
  TSettings& m_settings;
};

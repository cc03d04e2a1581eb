#pragma once

#include "music/MusicPlayer.h"
#include "music/PlayerController.h"
#include "scores/Score.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QHeaderView;
class QLabel;
class QListWidget;
class QTimer;
class QToolButton;
class TPlayerStatusBar;
class TSeekBar;
class TMusicMenu;
class TPatternWindow;
class TLibrary;
class TPlaylistActions;
class THighScoreBox;
class TSettings;

// The main window: the transport buttons and menu of the music player (with keys), the
// progress bar of the playing song (click or drag it to seek), the time played, the volume, the
// high-score table and the entries to the dialogs. Its player controller opens the player at its
// first showing and closes it at its closing; the window shows what the controller tells of.
// The transport handlers may be called from any thread; from another thread they are queued to
// the GUI thread and run there. Module files and folders dropped on it are read
// on a thread of their own, then added to the playlist and played. It comes back where it was at the last end.
class TfrmMain : public QMainWindow {
  Q_OBJECT

public:
  // The maker's home page, opened by a double-click on the picture.
  static constexpr const char* HomePage = "https://vorka.example/";
  // Opens HomePage in the browser; says so in an error box when nothing could open it.
  static void openHomePage();

  // `filesDir` holds "highscore.dat", "playlist.dat" (read here) and the module index;
  // `settings` are the run's, which the window keeps current (its place, the volume, the play
  // order) and which outlive it.
  TfrmMain(const std::string& filesDir, TSettings& settings);
  ~TfrmMain() override;

  // The run's settings.
  TSettings& Settings;
  // Decides what plays; the window's commands, the game's and the desktop's go to it.
  TPlayerController* Controller;
  // The controller's player while it is open; null before the first showing and after the end.
  TMusicPlayer* Player = nullptr;
  // The playlist, the rows shown of it and the index of what its modules hold.
  std::unique_ptr<TLibrary> Library;
  // The playlist window and playlist files.
  TPlaylistActions* Songs;
  // The best results, read from "highscore.dat" in the stored files' folder when the window
  // is made, written when a game window closes after a result entered them, and when the main
  // window closes.
  std::unique_ptr<THighScoreList> HighScores;

  // Starts or resumes: a paused song goes on, a stopped one starts over, and with none loaded
  // the next one plays.
  void mnuPlayClick();
  void btnPlayNextClick();
  void mnuPlayPreviousClick();
  void btnStopClick();
  void btnPauseClick();
  void btnFfwdClick();
  void btnRewClick();
  void btnPlayListClick();
  void btnPlayGameClick();
  void mnuModinfoClick();
  // Shows the pattern view, in front.
  void mnuPatternClick();
  // Shows the playlist window, in front.
  void mnuSongsClick();
  // Saves the playing or paused module's subsong, or with none the playlist's first module,
  // as an audio file.
  void mnuExportClick();
  void mnuSetupClick();
  void mnuAboutClick();
  void mnuContentsClick();
  void ImageDblClick();
  void mnuExitClick();
  // Fills the high-score box with one row per entry of the list; also after every game.
  void FillHighScores();
  // Writes the high scores now; a failure shows "Could not write high scores: <path>:
  // <reason>." and the results stay in memory for the next try.
  void SaveHighScores();

  // Adds `modules` to the end of the playlist and plays the first of them (once the player
  // exists, when the window is first shown), then shows the window in front.
  void OpenFiles(const std::vector<std::string>& modules);
  // Shows the window in front, restored if it was minimised.
  void RaiseWindow();
  // Plays subsong `subsong` of song `index` of the playlist at once.
  void PlaySong(int32_t index, int32_t subsong = 0);
  // Goes `seconds` into the song playing or paused.
  void SeekTo(double seconds);

  // The texts of the status bar's panels: the play state, the loaded file (whole, as its tool
  // tip shows it; the panel shows it cut in the middle where it is too long) and the time.
  QString StatePanelText() const;
  QString FilePanelText() const;
  QString TimePanelText() const;

  QLabel* Image;
  QToolButton* btnPlayList;
  QToolButton* btnModInfo;
  QToolButton* btnPlayGame;
  QHeaderView* Hdr;
  QListWidget* lbHighScore;
  QToolButton* btnRew;
  QToolButton* btnStop;
  QToolButton* SpeedButton1;
  QToolButton* btnPause;
  QToolButton* btnFfwd;
  TSeekBar* ProgressBar;
  TPlayerStatusBar* StatusBar;

  QAction* mnuExport;
  QAction* mnuSongs;
  QAction* mnuExit;
  QAction* mnuModinfo;
  QAction* mnuPattern;
  TPatternWindow* PatternWindow = nullptr; // made when first shown
  QAction* mnuPlayGame;
  QAction* mnuSetup;
  TMusicMenu* MusicMenu;
  QAction* mnuContents;
  QAction* mnuAbout;

signals:
  // The player's state, song, playlist, volume or play order may have changed: after every
  // command, from the window, the game or the desktop, and when a song starts.
  void playerChanged();
  // The song's place changed other than by playing on: a seek, Forward, Rewind, a restart.
  void positionJumped();

protected:
  void moveEvent(QMoveEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildControls(QWidget* client);
  void buildHighScoreTable(QWidget* client);
  void buildMenu();
  void buildStatusBar();
  // Applies the run's volume, repeat mode and shuffling from the settings to the new player,
  // and has it follow the Mixing choices.
  void applyPlaySettings();
  void showTime();
  // Marks the song playing or paused in the playlist window.
  void showPlayingRow();
  void FormShow();
  void FormClose();
  void handOverPlaylist();
  void showSong();
  // Saves the high scores once more, a failure going to standard error, and frees them.
  void storeHighScoresAtEnd();
  // Queues `handler` to the GUI thread when called elsewhere; true when it did.
  bool queuedToGuiThread(void (TfrmMain::*handler)());

  void playPending();

  std::unique_ptr<THighScoreBox> m_highScoreBox;
  int32_t m_pendingSong = -1; // playlist index to play once the player exists
  bool m_shown = false;
};

extern TfrmMain* frmMain;

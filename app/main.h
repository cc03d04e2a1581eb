#pragma once

#include "music/MusicPlayer.h"
#include "scores/Score.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QHeaderView;
class QLabel;
class QListWidget;
class QProgressBar;
class QTimer;
class QToolButton;

// The main window: the transport buttons and menu of the music player, the progress bar of
// the playing song, the high-score table and the entries to the dialogs. It owns the player
// from its first showing to its closing. The transport handlers may be called from any thread;
// from another thread they are queued to the GUI thread and run there.
class TfrmMain : public QMainWindow {
  Q_OBJECT

public:
  // The maker's home page, opened by a double-click on the picture.
  static constexpr const char* HomePage = "https://vorka.example/";

  // `programDir` holds "highscore.dat".
  explicit TfrmMain(const std::string& programDir);
  ~TfrmMain() override;

  std::unique_ptr<TMusicPlayer> Player;
  // The best results, read from "highscore.dat" in the program's folder when the window is
  // made and written back when it closes.
  std::unique_ptr<THighScoreList> HighScores;

  void btnPlayNextClick();
  void btnStopClick();
  void btnPauseClick();
  void btnFfwdClick();
  void btnRewClick();
  void btnPlayListClick();
  void btnPlayGameClick();
  void mnuModinfoClick();
  void mnuSetupClick();
  void mnuAboutClick();
  void mnuContentsClick();
  void ImageDblClick();
  void mnuExitClick();
  void TimerTimer();
  void WMSongStarted();
  // Fills the high-score box with one row per entry of the list; also after every game.
  void FillHighScores();

  // The texts of the status bar's two panels: the play state and the loaded file.
  QString StatePanelText() const;
  QString FilePanelText() const;

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
  QProgressBar* ProgressBar;
  QTimer* Timer;

  QAction* mnuExit;
  QAction* mnuModinfo;
  QAction* mnuPlayGame;
  QAction* mnuSetup;
  QAction* mnuPlayList;
  QAction* mnuPlayNext;
  QAction* mnuStop;
  QAction* mnuPause;
  QAction* mnuFwd;
  QAction* mnuRew;
  QAction* mnuContents;
  QAction* mnuAbout;

protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildControls(QWidget* client);
  void buildHighScoreTable(QWidget* client);
  void buildMenu();
  void buildStatusBar();
  void FormShow();
  void FormClose();
  void handOverPlaylist();
  void showSong();
  void showLoadFailure();
  void showState();
  // Queues `handler` to the GUI thread when called elsewhere; true when it did.
  bool queuedToGuiThread(void (TfrmMain::*handler)());

  QLabel* m_statePanel = nullptr;
  QLabel* m_filePanel = nullptr;
  bool m_shown = false;
};

extern TfrmMain* frmMain;

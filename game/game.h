#pragma once

#include "game/DXTimer.h"
#include "game/GameLoop.h"
#include "game/GameOptions.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QAction;
class QMenuBar;
class TDXPanel;
class THighScoreList;

// What the game window is given by the main window: the player, the display choice, the
// player's game options, the music commands (safe from any thread) and the high-score list its
// results go into.
struct TGameLinks {
  std::string PlayerName;
  bool FullScreen = false;
  TGameOptions Options;
  std::function<void()> PlayNext, Stop, Pause, Forward, Rewind;
  std::function<void(double tempoFactor, double backingVolume)> MusicPace;
  THighScoreList* HighScores = nullptr;
};

// The game window: a fixed 640 x 480 client area in which the game runs, in the window or full
// screen. It builds the game when shown, runs its ticks on the heartbeat thread and its frames
// on its own thread, never both at once, and ends the heartbeat before anything is freed. A
// game that could not be built neither ticks nor draws: F4 builds it again in the other mode,
// Escape closes the window. Shown modally and freed by the main window.
class TfrmGame : public QDialog, public THeartbeatClient, public TGameHost {
  Q_OBJECT

public:
  TfrmGame(QWidget* mainWindow, TGameLinks links);
  ~TfrmGame() override;

  void mnuExitClick() { close(); }
  void mnuFullscreenClick();

  // THeartbeatClient, on the heartbeat thread.
  void GameTick() override;
  bool Drawing() const override { return m_drawing; }
  void PostFrame() override;

  // TGameHost, from the tick.
  bool Active() const override { return m_active; }
  void PlayNext() override { call(m_links.PlayNext); }
  void StopMusic() override { call(m_links.Stop); }
  void PauseMusic() override { call(m_links.Pause); }
  void Forward() override { call(m_links.Forward); }
  void Rewind() override { call(m_links.Rewind); }
  void CloseGame() override;
  void SetMusicPace(double tempoFactor, double backingVolume) override;
  void AddScore(const std::string& name, int32_t score, int32_t level) override;

  // The game, for tests that look inside.
  TGameLoop& Game() { return m_game; }
  const TDxTimer* Heartbeat() const { return m_heartbeat.get(); }

  static constexpr int kClientWidth = 640;
  static constexpr int kClientHeight = 480;

protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void FormShow();
  void WMGameBuild();
  // Builds the game in full screen or in a window and starts the heartbeat; a failure is shown
  // in an error box and leaves the game unbuilt.
  void buildGame(bool fullScreen);
  void WMGameFrame();
  void stopAfterFailure();
  void holdClientSize();
  // Shows the menu bar and holds the size in a window; lets the panel fill the screen in full
  // screen.
  void showMode();
  static void call(const std::function<void()>& command);

  TGameLinks m_links;
  QMenuBar* m_menu;
  QAction* mnuExit;
  QAction* mnuFullscreen;
  TDXPanel* Panel = nullptr;
  std::mutex m_lock; // one tick or one frame at a time
  TGameLoop m_game;
  std::unique_ptr<TDxTimer> m_heartbeat;
  std::atomic<bool> m_drawing{false};
  std::atomic<bool> m_active{false};
  bool m_built = false;      // the build has been asked for
  bool m_fullScreen = false; // the mode of the last build or switch
};

// The game window while one is open, else null.
extern TfrmGame* frmGame;

#include "game/game.h"

#include "controls/DXPanel.h"
#include "gfx/DX.h"
#include "platform/keyboard.h"
#include "platform/msgbox.h"
#include "platform/winmsg.h"
#include "scores/Score.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMetaObject>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmGame* frmGame = nullptr;

namespace {

constexpr int32_t kHeartbeatMs = 50;

} // namespace

TfrmGame::TfrmGame(QWidget* mainWindow, TGameLinks links)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      m_links(std::move(links)), m_game(*this, m_links.PlayerName) {
  m_game.Options = m_links.Options;
  setWindowTitle("Vorka Music Player");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_menu = new QMenuBar(this);
  QMenu* file = m_menu->addMenu("&File");
  mnuExit = file->addAction("E&xit", this, &TfrmGame::mnuExitClick);
  mnuExit->setShortcut(Qt::CTRL | Qt::Key_X);
  QMenu* visual = m_menu->addMenu("&Visual");
  mnuFullscreen = visual->addAction("&Toggle full screen", this, &TfrmGame::mnuFullscreenClick);
  mnuFullscreen->setShortcut(Qt::Key_F4);
  // The short-cuts also work while full screen hides the menu.
  addAction(mnuExit);
  addAction(mnuFullscreen);
  layout->setMenuBar(m_menu);
}

TfrmGame::~TfrmGame() {
  // The heartbeat ends first: a running tick finishes, no new one starts, then the game goes.
  // The heartbeat object stays until its thread has been joined, since a tick may still stop it.
  if (m_heartbeat) {
    m_heartbeat->Terminate();
    m_heartbeat.reset();
  }
  m_game.Free();
}

void TfrmGame::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous() && !m_built) FormShow();
}

void TfrmGame::FormShow() {
  m_drawing = false;
  m_game.ClearCount = 0;
  Panel = new TDXPanel(this);
  Panel->setFixedSize(kClientWidth, kClientHeight);
  layout()->addWidget(Panel);
  holdClientSize();
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  Panel->OnPaint = [this] {
    if (m_game.Display && m_game.Display->Primary) m_game.Display->Flip();
  };
  PostMessage(this, WM_GAMEBUILD, 0, 0);
}

void TfrmGame::holdClientSize() {
  Panel->setFixedSize(kClientWidth, kClientHeight);
  setFixedSize(kClientWidth, kClientHeight + (m_menu->isVisible() ? m_menu->sizeHint().height() : 0));
}

bool TfrmGame::event(QEvent* event) {
  if (event->type() != TWindowMessage::type()) return QDialog::event(event);
  switch (static_cast<TWindowMessage*>(event)->Msg) {
  case WM_GAMEBUILD: WMGameBuild(); break;
  case WM_GAMEFRAME: WMGameFrame(); break;
  default: break;
  }
  return true;
}

void TfrmGame::WMGameBuild() {
  m_built = true;
  m_heartbeat = std::make_unique<TDxTimer>(*this);
  m_heartbeat->Period = kHeartbeatMs;
  buildGame(m_links.FullScreen);
}

void TfrmGame::buildGame(bool fullScreen) {
  m_fullScreen = fullScreen;
  try {
    std::lock_guard lock(m_lock);
    m_game.Build(Panel, Panel, fullScreen);
  } catch (const std::exception& error) {
    // Shown as the standard error box shows it; the window stays, with no heartbeat, until F4
    // tries again or Escape closes it.
    showMode();
    ShowMessageBox(error.what(), "", TMessageKind::Error);
    return;
  }
  showMode();
  m_active = isActiveWindow();
  m_heartbeat->Start();
}

void TfrmGame::GameTick() {
  std::lock_guard lock(m_lock);
  try {
    m_game.Tick();
  } catch (const std::exception&) {
    stopAfterFailure();
  }
}

void TfrmGame::stopAfterFailure() {
  // A failing tick or key stops the game where it stands; F4 starts the heartbeat again.
  try {
    m_heartbeat->Stop();
  } catch (const std::exception&) {
  }
}

void TfrmGame::PostFrame() { PostMessage(this, WM_GAMEFRAME, 0, 0); }

void TfrmGame::WMGameFrame() {
  if (!m_game.Built()) return;
  m_drawing = true;
  std::lock_guard lock(m_lock);
  m_game.Frame();
  m_drawing = false;
}

void TfrmGame::mnuFullscreenClick() {
  if (!m_heartbeat) return;
  m_heartbeat->Stop();
  m_drawing = false;
  // A game that could not be built is built again, in the other mode.
  if (!m_game.Built()) return buildGame(!m_fullScreen);
  {
    std::lock_guard lock(m_lock);
    m_game.ToggleFullScreen();
  }
  m_fullScreen = !m_fullScreen;
  showMode();
  m_heartbeat->Start();
}

void TfrmGame::CloseGame() {
  QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void TfrmGame::SetMusicPace(double tempoFactor, double backingVolume) {
  if (m_links.MusicPace) m_links.MusicPace(tempoFactor, backingVolume);
}

void TfrmGame::AddScore(const std::string& name, int32_t score, int32_t level) {
  if (m_links.HighScores) m_links.HighScores->AddScore(name, score, level);
}

void TfrmGame::call(const std::function<void()>& command) {
  if (command) command();
}

void TfrmGame::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) m_active = isActiveWindow();
}

void TfrmGame::showMode() {
  // The menu bar and the size follow the mode the game is in, not what the window system
  // reports of the window's state: without a window manager, or with one that answers late,
  // that report may never come.
  m_menu->setVisible(!m_fullScreen);
  if (m_fullScreen) {
    Panel->setMinimumSize(0, 0);
    Panel->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    holdClientSize();
  }
}

void TfrmGame::keyPressEvent(QKeyEvent* event) {
  // Escape, Enter and the arrows belong to the game, which reads them from the key state; a
  // game that could not be built reads nothing, and Escape closes its window.
  if (!m_game.Built() && event->key() == Qt::Key_Escape) return mnuExitClick();
  event->accept();
  if (event->isAutoRepeat()) return;
  // A first key acts now and is on the screen straight away, not at the next ticks.
  const int key = VirtualKeyFromQtKey(event->key(), event->modifiers().testFlag(Qt::KeypadModifier));
  std::lock_guard lock(m_lock);
  try {
    if (!m_game.KeyPressed(key)) return;
    m_drawing = true;
    m_game.Frame(false);
  } catch (const std::exception&) {
    stopAfterFailure();
  }
  m_drawing = false;
}

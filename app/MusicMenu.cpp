#include "app/MusicMenu.h"

#include "app/Settings.h"
#include "app/SubsongMenu.h"
#include "music/PlayerController.h"

#include <QActionGroup>

TMusicMenu::TMusicMenu(TPlayerController& controller, TSettings& settings, QWidget* parent)
    : QMenu("&Music", parent), m_controller(controller), m_settings(settings) {
  auto command = [this](const char* text, auto handler, QKeySequence key) {
    QAction* action = addAction(text, &m_controller, handler);
    action->setShortcut(key);
    return action;
  };
  PlayList = addAction("&Playlist...", this, &TMusicMenu::playlistRequested);
  PlayList->setShortcut(Qt::CTRL | Qt::Key_P);
  addSeparator();
  Play = command("Pla&y", &TPlayerController::play, Qt::Key_P);
  PlayNext = command("&Play next", &TPlayerController::playNext, Qt::Key_N);
  PlayPrevious = command("Play p&revious song", &TPlayerController::playPrevious, Qt::SHIFT | Qt::Key_N);
  Stop = command("&Stop", &TPlayerController::stop, Qt::Key_S);
  Pause = command("Pa&use", &TPlayerController::pauseOrResume, Qt::Key_U);
  Forward = command("&Forward", &TPlayerController::forward, Qt::Key_F);
  Rewind = command("&Rewind", &TPlayerController::rewind, Qt::Key_R);
  Subsongs = new TSubsongMenu(this);
  addMenu(Subsongs);
  connect(Subsongs, &TSubsongMenu::subsongChosen, &m_controller, &TPlayerController::playSubsong);
  addSeparator();
  SeekForward = command("Seek for&ward 5 s", [this] { m_controller.seekBy(kSeekStep); }, Qt::CTRL | Qt::Key_Right);
  SeekBack = command("Seek &back 5 s", [this] { m_controller.seekBy(-kSeekStep); }, Qt::CTRL | Qt::Key_Left);
  addSeparator();
  VolumeUp = command("&Louder", [this] { m_controller.stepVolume(kVolumeStep); }, Qt::CTRL | Qt::Key_Up);
  VolumeDown = command("&Quieter", [this] { m_controller.stepVolume(-kVolumeStep); }, Qt::CTRL | Qt::Key_Down);
  Mute = addAction("&Mute");
  Mute->setShortcut(Qt::Key_M);
  Mute->setCheckable(true);
  connect(Mute, &QAction::triggered, &m_controller, &TPlayerController::setMuted);
  addSeparator();
  auto* repeat = new QActionGroup(this);
  auto repeatItem = [&](const char* text, TRepeatMode mode) {
    QAction* action = repeat->addAction(text);
    action->setCheckable(true);
    addAction(action);
    connect(action, &QAction::triggered, &m_controller, [this, mode] { m_controller.setRepeat(mode); });
    return action;
  };
  RepeatAll = repeatItem("Repeat &all", TRepeatMode::All);
  RepeatOne = repeatItem("Repeat &one", TRepeatMode::One);
  NoRepeat = repeatItem("&No repeat", TRepeatMode::None);
  Shuffle = addAction("S&huffle");
  Shuffle->setCheckable(true);
  connect(Shuffle, &QAction::triggered, &m_controller, &TPlayerController::setShuffle);
  RepeatAll->setChecked(true);
  // How a song goes on at its end; with Repeat one, how the one song repeats.
  Loop = addMenu("&Loop");
  auto* loop = new QActionGroup(this);
  auto loopItem = [&](const char* text, TLoopMode mode) {
    QAction* action = loop->addAction(text);
    action->setCheckable(true);
    Loop->addAction(action);
    connect(action, &QAction::triggered, this, [this, mode] {
      TRenderOptions options = m_settings.renderOptions();
      options.Loop = mode;
      m_settings.setRenderOptions(options);
    });
    return action;
  };
  PlayOnce = loopItem("Play &once", TLoopMode::Once);
  LoopForever = loopItem("Loop &forever", TLoopMode::Forever);
  LoopsThenFade = loopItem("", TLoopMode::Fade);
  showLoop(m_settings.renderOptions());
  connect(&m_settings, &TSettings::renderOptionsChanged, this, &TMusicMenu::showLoop);
  connect(&m_controller, &TPlayerController::songChanged, this, &TMusicMenu::showSubsongs);
  connect(&m_controller, &TPlayerController::settingsChanged, this, &TMusicMenu::showPlayOrder);
}

void TMusicMenu::showSubsongs() {
  if (const TMusicPlayer* player = m_controller.player())
    Subsongs->showSubsongs(player->Details.Subsongs, player->Subsong);
}

void TMusicMenu::showLoop(const TRenderOptions& options) {
  LoopsThenFade->setText(QString(options.Loops == 1 ? "&%1 loop then fade" : "&%1 loops then fade").arg(options.Loops));
  PlayOnce->setChecked(options.Loop == TLoopMode::Once);
  LoopForever->setChecked(options.Loop == TLoopMode::Forever);
  LoopsThenFade->setChecked(options.Loop == TLoopMode::Fade);
}

void TMusicMenu::showPlayOrder() {
  const TMusicPlayer* player = m_controller.player();
  if (!player) return;
  RepeatAll->setChecked(player->Repeat() == TRepeatMode::All);
  RepeatOne->setChecked(player->Repeat() == TRepeatMode::One);
  NoRepeat->setChecked(player->Repeat() == TRepeatMode::None);
  Shuffle->setChecked(player->Shuffle());
  Mute->setChecked(player->Muted());
}

#include "app/main.h"

#include "app/Application.h"
#include "app/ExportDialog.h"
#include "app/HighScoreBox.h"
#include "app/MixingPage.h"
#include "app/PlaylistActions.h"
#include "app/PlayerStatusBar.h"
#include "app/SubsongMenu.h"
#include "app/about.h"
#include "app/modinfo.h"
#include "app/setup.h"
#include "visual/PatternWindow.h"
#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/SeekBar.h"
#include "controls/WindowPlace.h"
#include "desktop/LocalPath.h"
#include "desktop/ModuleFiles.h"
#include "game/game.h"
#include "library/Library.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "playlist/playlist.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

TfrmMain* frmMain = nullptr;

namespace {

constexpr int kClientWidth = 354;
constexpr int kClientHeight = 296;
constexpr int kStatusBarHeight = 19;
constexpr const char* kTitle = "VORKA";
constexpr int32_t kHighScorePlaces = 20;
constexpr double kSeekStepSeconds = 5;
constexpr int32_t kVolumeStep = 5;
constexpr int kMilliseconds = 1000;

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

QToolButton* flatButton(QWidget* parent, const char* bitmap, const QString& hint, QRect where) {
  auto* button = new QToolButton(parent);
  button->setAutoRaise(true);
  button->setIcon(LoadTransparentBitmap(bitmap));
  button->setIconSize(where.size());
  button->setToolTip(hint);
  // The picture is the label; a screen reader says the hint's words.
  button->setAccessibleName(hint);
  button->setGeometry(where);
  return button;
}

// The hint of a button that does what `action` does, with the action's key.
QString withKey(const char* hint, const QAction* action) {
  return QString("%1 (%2)").arg(hint, action->shortcut().toString(QKeySequence::NativeText));
}

// Shows a window of the program's, or brings it in front when it is open already.
void bringToFront(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

QString stateText(TPlayerState state) {
  switch (state) {
  case psPlaying: return "Playing";
  case psPaused: return "Paused";
  case psStopped: return "Stopped";
  default: return "";
  }
}

} // namespace

TfrmMain::TfrmMain(const std::string& filesDir)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(kTitle);
  setWindowIcon(LoadTransparentBitmap("appicon.bmp"));
  auto* client = new QWidget;
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);
  Library = std::make_unique<TLibrary>(filesDir, TLibrary::IndexPathIn(filesDir), this);
  Library->playlist().load();
  buildControls(client);
  buildHighScoreTable(client);
  buildMenu();
  btnPlayList->setToolTip(withKey("Playlist", mnuPlayList));
  btnModInfo->setToolTip(withKey("Module information...", mnuModinfo));
  btnPlayGame->setToolTip(withKey("Play tetris", mnuPlayGame));
  btnRew->setToolTip(withKey("Rewind", mnuRew));
  btnStop->setToolTip(withKey("Stop", mnuStop));
  SpeedButton1->setToolTip(withKey("Play/Play next song", mnuPlayNext));
  btnPause->setToolTip(withKey("Pause", mnuPause));
  btnFfwd->setToolTip(withKey("Forward", mnuFwd));
  HighScores = std::make_unique<THighScoreList>(filesDir + "highscore.dat", kHighScorePlaces);
  // Every change of the playlist, wherever it is made, takes effect at once in the play order.
  connect(&Library->playlist(), &TPlaylist::changed, this, [this] {
    if (!Player) return;
    handOverPlaylist();
    emit playerChanged();
  });
  connect(this, &TfrmMain::playerChanged, this, &TfrmMain::showPlayingRow);
  FillHighScores();
  buildStatusBar();
  Controller = new TPlayerController(this);
  connect(Controller, &TPlayerController::songChanged, this, [this] {
    if (!Player) return;
    showSong();
    showLoadFailure();
  });
  connect(Controller, &TPlayerController::settingsChanged, this, [this] {
    if (!Player) return;
    showVolume();
    showPlayOrder();
    emit playerChanged();
  });
  connect(Controller, &TPlayerController::ticked, this, &TfrmMain::showTime);
  connect(Controller, &TPlayerController::positionJumped, this, &TfrmMain::positionJumped);
  connect(Controller, &TPlayerController::waitingForSong, this, [this](bool waiting) {
    if (waiting)
      StatusBar->showMessage("Loading the next song...");
    else
      StatusBar->clearMessage();
  });
  connect(Controller, &TPlayerController::outputProblemChanged, this, [this] {
    StatusBar->showOutputProblem(QString::fromStdString(Controller->outputProblem()));
    emit playerChanged();
  });
  connect(Controller, &TPlayerController::fatal, this, [this] {
    Player = nullptr;
    if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance())) app->endAfterFatalError();
  });
  setFixedSize(sizeHint());
  setAcceptDrops(true);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TfrmMain::~TfrmMain() {
  // The window may go without having closed: an end during start-up, a fatal sound error.
  if (HighScores) storeHighScoresAtEnd();
}

void TfrmMain::buildControls(QWidget* client) {
  NewBevel(client, {0, 0, kClientWidth, 2});

  Image = new QLabel(client);
  Image->setPixmap(LoadBitmap("main.bmp"));
  Image->setGeometry(4, 12, 120, 260);
  Image->setCursor(Qt::PointingHandCursor);
  Image->setToolTip(QString("Doubleclick to get more music at ") + HomePage);
  Image->setAccessibleName("VORKA");
  Image->setAccessibleDescription(Image->toolTip());
  Image->installEventFilter(this);

  btnPlayList = flatButton(client, "btnplaylist.bmp", "Playlist", {132, 12, 41, 41});
  btnModInfo = flatButton(client, "btnmodinfo.bmp", "Module information...", {176, 12, 41, 41});
  btnPlayGame = flatButton(client, "btngame.bmp", "Play tetris", {220, 12, 41, 41});
  btnRew = flatButton(client, "btnrew.bmp", "Rewind", {132, 216, 41, 41});
  btnStop = flatButton(client, "btnstop.bmp", "Stop", {176, 216, 41, 41});
  SpeedButton1 = flatButton(client, "btnplay.bmp", "Play/Play next song", {220, 216, 41, 41});
  btnPause = flatButton(client, "btnpause.bmp", "Pause", {264, 216, 41, 41});
  btnFfwd = flatButton(client, "btnffwd.bmp", "Forward", {308, 216, 41, 41});
  connect(btnPlayList, &QToolButton::clicked, this, &TfrmMain::btnPlayListClick);
  connect(btnModInfo, &QToolButton::clicked, this, &TfrmMain::mnuModinfoClick);
  connect(btnPlayGame, &QToolButton::clicked, this, &TfrmMain::btnPlayGameClick);
  connect(btnRew, &QToolButton::clicked, this, &TfrmMain::btnRewClick);
  connect(btnStop, &QToolButton::clicked, this, &TfrmMain::btnStopClick);
  connect(SpeedButton1, &QToolButton::clicked, this, &TfrmMain::btnPlayNextClick);
  connect(btnPause, &QToolButton::clicked, this, &TfrmMain::btnPauseClick);
  connect(btnFfwd, &QToolButton::clicked, this, &TfrmMain::btnFfwdClick);

  ProgressBar = new TSeekBar(client);
  ProgressBar->setGeometry(132, 260, 217, 12);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  ProgressBar->setAccessibleName("Song position");
  ProgressBar->setToolTip("Click or drag to go elsewhere in the song");
  ProgressBar->setKeyStep(static_cast<int>(kSeekStepSeconds * kMilliseconds));
  connect(ProgressBar, &TSeekBar::seekRequested, this,
          [this](int milliseconds) { SeekTo(static_cast<double>(milliseconds) / kMilliseconds); });
}

void TfrmMain::buildHighScoreTable(QWidget* client) {
  m_highScoreBox = std::make_unique<THighScoreBox>(client, QRect(132, 56, 217, 153), HighScores);
  Hdr = m_highScoreBox->head();
  lbHighScore = m_highScoreBox->rows();
}

void TfrmMain::buildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  Songs = new TPlaylistActions(*Library, this, m_songsPlace);
  connect(Songs, &TPlaylistActions::playRequested, this,
          [this](std::size_t entry, int32_t subsong) { PlaySong(static_cast<int32_t>(entry), subsong); });
  connect(Songs, &TPlaylistActions::message, this, [this](const QString& text) { StatusBar->showMessage(text, 8000); });
  connect(Songs, &TPlaylistActions::dropRead, this, [this](const std::vector<std::string>& modules) {
    OpenFiles(modules);
  });
  Songs->addFileItems(file);
  file->addSeparator();
  mnuExport = file->addAction("&Export to audio file...", this, &TfrmMain::mnuExportClick);
  mnuExport->setShortcut(Qt::CTRL | Qt::Key_E);
  file->addSeparator();
  mnuExit = file->addAction("E&xit", this, &TfrmMain::mnuExitClick);

  QMenu* view = menuBar()->addMenu("&View");
  mnuModinfo = view->addAction("&Module info...", this, &TfrmMain::mnuModinfoClick);
  mnuModinfo->setShortcut(Qt::Key_F8);
  mnuPattern = view->addAction("&Pattern view", this, &TfrmMain::mnuPatternClick);
  mnuPattern->setShortcut(Qt::Key_F7);
  mnuSongs = view->addAction("P&laylist", this, &TfrmMain::mnuSongsClick);
  mnuSongs->setShortcut(Qt::CTRL | Qt::Key_L);

  QMenu* options = menuBar()->addMenu("&Options");
  mnuPlayGame = options->addAction("&Play Game...", this, &TfrmMain::btnPlayGameClick);
  mnuPlayGame->setShortcut(Qt::Key_F9);
  options->addSeparator();
  mnuSetup = options->addAction("&Setup...", this, &TfrmMain::mnuSetupClick);

  buildMusicMenu();

  QMenu* help = menuBar()->addMenu("&Help");
  mnuContents = help->addAction("&Contents...", this, &TfrmMain::mnuContentsClick);
  mnuContents->setShortcut(Qt::Key_F1);
  help->addSeparator();
  mnuAbout = help->addAction("&About...", this, &TfrmMain::mnuAboutClick);
}

// The keys of the music commands: the letters the game uses for the same commands (N, S, F,
// R), U as in the menu's "Pa&use", and Ctrl with the arrows for seeking and the volume. None is
// used by the game window, whose keys only act while it has the focus.
void TfrmMain::buildMusicMenu() {
  QMenu* music = menuBar()->addMenu("&Music");
  auto command = [&](const char* text, void (TfrmMain::*handler)(), QKeySequence key) {
    QAction* action = music->addAction(text, this, handler);
    action->setShortcut(key);
    return action;
  };
  mnuPlayList = command("&Playlist...", &TfrmMain::btnPlayListClick, Qt::CTRL | Qt::Key_P);
  music->addSeparator();
  mnuPlay = command("Pla&y", &TfrmMain::mnuPlayClick, Qt::Key_P);
  mnuPlayNext = command("&Play next", &TfrmMain::btnPlayNextClick, Qt::Key_N);
  mnuPlayPrevious =
      command("Play p&revious song", &TfrmMain::mnuPlayPreviousClick, Qt::SHIFT | Qt::Key_N);
  mnuStop = command("&Stop", &TfrmMain::btnStopClick, Qt::Key_S);
  mnuPause = command("Pa&use", &TfrmMain::btnPauseClick, Qt::Key_U);
  mnuFwd = command("&Forward", &TfrmMain::btnFfwdClick, Qt::Key_F);
  mnuRew = command("&Rewind", &TfrmMain::btnRewClick, Qt::Key_R);
  mnuSubsong = new TSubsongMenu(music);
  music->addMenu(mnuSubsong);
  connect(mnuSubsong, &TSubsongMenu::subsongChosen, this, &TfrmMain::PlaySubsong);
  music->addSeparator();
  mnuSeekForward = music->addAction("Seek for&ward 5 s", this, [this] { SeekBy(kSeekStepSeconds); });
  mnuSeekForward->setShortcut(Qt::CTRL | Qt::Key_Right);
  mnuSeekBack = music->addAction("Seek &back 5 s", this, [this] { SeekBy(-kSeekStepSeconds); });
  mnuSeekBack->setShortcut(Qt::CTRL | Qt::Key_Left);
  music->addSeparator();
  mnuVolumeUp = music->addAction("&Louder", this, [this] { StepVolume(kVolumeStep); });
  mnuVolumeUp->setShortcut(Qt::CTRL | Qt::Key_Up);
  mnuVolumeDown = music->addAction("&Quieter", this, [this] { StepVolume(-kVolumeStep); });
  mnuVolumeDown->setShortcut(Qt::CTRL | Qt::Key_Down);
  mnuMute = music->addAction("&Mute");
  mnuMute->setShortcut(Qt::Key_M);
  mnuMute->setCheckable(true);
  connect(mnuMute, &QAction::triggered, this, &TfrmMain::SetMuted);
  music->addSeparator();
  auto* repeat = new QActionGroup(this);
  auto repeatItem = [&](const char* text, TRepeatMode mode) {
    QAction* action = repeat->addAction(text);
    action->setCheckable(true);
    music->addAction(action);
    connect(action, &QAction::triggered, this, [this, mode] { SetRepeat(mode); });
    return action;
  };
  mnuRepeatAll = repeatItem("Repeat &all", TRepeatMode::All);
  mnuRepeatOne = repeatItem("Repeat &one", TRepeatMode::One);
  mnuNoRepeat = repeatItem("&No repeat", TRepeatMode::None);
  mnuShuffle = music->addAction("S&huffle");
  mnuShuffle->setCheckable(true);
  connect(mnuShuffle, &QAction::triggered, this, &TfrmMain::SetShuffle);
  mnuRepeatAll->setChecked(true);
}

void TfrmMain::buildStatusBar() {
  StatusBar = new TPlayerStatusBar;
  setStatusBar(StatusBar);
  connect(StatusBar, &TPlayerStatusBar::volumeChosen, this, &TfrmMain::SetVolume);
  StatusBar->showVolume(100, false);
}

QString TfrmMain::StatePanelText() const { return StatusBar->stateText(); }

QString TfrmMain::FilePanelText() const { return StatusBar->fileText(); }

QString TfrmMain::TimePanelText() const { return StatusBar->timeText(); }

void TfrmMain::showEvent(QShowEvent* event) {
  if (!m_shown && frmSetup) RestorePlace(this, frmSetup->MainWindowPlace);
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  FormShow();
}

void TfrmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (m_shown && frmSetup) frmSetup->MainWindowPlace = PlaceOf(this, false);
}

void TfrmMain::FormShow() {
  if (frmSetup) m_songsPlace = frmSetup->SongsPlace;
  // What an export killed on its way left in the last export's folder goes.
  if (frmSetup && !frmSetup->ExportDir.empty()) TAudioExport::removeLeftovers(frmSetup->ExportDir);
  if (!Controller->start()) return;
  Player = Controller->player();
  applyPlaySettings();
  handOverPlaylist();
  playPending();
}

void TfrmMain::applyPlaySettings() {
  if (!frmSetup) return;
  // Mixing choices are heard at once, before OK; Cancel brings back the stored ones.
  connect(frmSetup->Mixing, &TMixingPage::optionsChanged, this, [this](const TRenderOptions& options) {
    Controller->applyRenderOptions(options);
  });
  Controller->setVolume(frmSetup->Volume);
  Controller->setRepeat(frmSetup->Repeat);
  Controller->setShuffle(frmSetup->Shuffle);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose() {
  if (frmSetup) frmSetup->MainWindowPlace = PlaceOf(this, false);
  if (frmSetup && PatternWindow) frmSetup->PatternPlace = PlaceOf(PatternWindow, true);
  Songs->keepPlace();
  if (frmSetup) frmSetup->SongsPlace = m_songsPlace;
  // The module information keeps its place as it closes.
  if (frmInfo) frmInfo->close();
  Controller->finish();
  Player = nullptr;
  storeHighScoresAtEnd();
}

void TfrmMain::storeHighScoresAtEnd() {
  // The program is ending, with no window left to show a box in.
  TMessageBoxHandler boxes = SetMessageBoxHandler(PrintMessageBox);
  SaveHighScores();
  SetMessageBoxHandler(boxes);
  HighScores.reset();
}

void TfrmMain::SaveHighScores() {
  if (TFileWrite saved = HighScores->Save(); !saved)
    ShowMessageBox("Could not write high scores: " + HighScores->FileName() + ": " + saved.Error +
                       ".",
                   "", TMessageKind::Error);
}

void TfrmMain::FillHighScores() { m_highScoreBox->fill(); }

void TfrmMain::handOverPlaylist() { Controller->setSongs(Library->playlist().entries()); }

bool TfrmMain::queuedToGuiThread(void (TfrmMain::*handler)()) {
  if (QThread::currentThread() == thread()) return false;
  QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
  return true;
}

void TfrmMain::showSong() {
  const std::string title = std::string(kTitle) + " - " + Player->Details.Title +
                            SubsongMark(Player->Subsong, static_cast<int32_t>(Player->Details.Subsongs.size()));
  setWindowTitle(QString::fromStdString(title));
  SetApplicationTitle(title);
  mnuSubsong->showSubsongs(Player->Details.Subsongs, Player->Subsong);
  StatusBar->setFileText(fromBytes(Player->FileName));
  showTime();
  showState();
  showSkipped();
}

void TfrmMain::showSkipped() {
  const std::vector<TSkippedSong> skipped = Player->TakeSkipped();
  // With nothing left to play the file panel already says why.
  if (Player->State == psPlaying) StatusBar->showSkipped(skipped);
}

void TfrmMain::showLoadFailure() {
  if (Player->State != psPlaying && !Player->LoadError.empty())
    StatusBar->setFileText("Cannot play " + fromBytes(Player->LoadError));
}

void TfrmMain::showState() {
  StatusBar->setStateText(stateText(Player->State));
  emit playerChanged();
}

void TfrmMain::showTime() {
  if (Player->FileName.empty()) {
    ProgressBar->setRange(0, 100);
    ProgressBar->showPlayed(0);
    StatusBar->clearTimes();
    return;
  }
  const double played = Player->PlaySeconds();
  // Only what changes is set: the timer must not repaint a picture that stays the same.
  const int length = std::max(1, static_cast<int>(Player->Duration * kMilliseconds));
  if (ProgressBar->maximum() != length || ProgressBar->minimum() != 0) ProgressBar->setRange(0, length);
  ProgressBar->showPlayed(static_cast<int>(played * kMilliseconds));
  StatusBar->setTimes(played, Player->Duration);
}

void TfrmMain::showVolume() { StatusBar->showVolume(Player->Volume(), Player->Muted()); }

void TfrmMain::showPlayOrder() {
  mnuRepeatAll->setChecked(Player->Repeat() == TRepeatMode::All);
  mnuRepeatOne->setChecked(Player->Repeat() == TRepeatMode::One);
  mnuNoRepeat->setChecked(Player->Repeat() == TRepeatMode::None);
  mnuShuffle->setChecked(Player->Shuffle());
  mnuMute->setChecked(Player->Muted());
}

void TfrmMain::mnuPlayClick() {
  if (!queuedToGuiThread(&TfrmMain::mnuPlayClick)) Controller->play();
}

void TfrmMain::btnPlayNextClick() {
  if (!queuedToGuiThread(&TfrmMain::btnPlayNextClick)) Controller->playNext();
}

void TfrmMain::mnuPlayPreviousClick() {
  if (!queuedToGuiThread(&TfrmMain::mnuPlayPreviousClick)) Controller->playPrevious();
}

void TfrmMain::PlaySong(int32_t index, int32_t subsong) { Controller->playSong(index, subsong); }

void TfrmMain::PlaySubsong(int32_t index) { Controller->playSubsong(index); }

void TfrmMain::btnStopClick() {
  if (!queuedToGuiThread(&TfrmMain::btnStopClick)) Controller->stop();
}

void TfrmMain::btnPauseClick() {
  if (!queuedToGuiThread(&TfrmMain::btnPauseClick)) Controller->pauseOrResume();
}

void TfrmMain::btnFfwdClick() {
  if (!queuedToGuiThread(&TfrmMain::btnFfwdClick)) Controller->forward();
}

void TfrmMain::btnRewClick() {
  if (!queuedToGuiThread(&TfrmMain::btnRewClick)) Controller->rewind();
}

void TfrmMain::SeekTo(double seconds) { Controller->seekTo(seconds); }

void TfrmMain::SeekBy(double delta) {
  if (Player) SeekTo(Player->PlaySeconds() + delta);
}

void TfrmMain::SetVolume(int32_t percent) {
  Controller->setVolume(percent);
  if (Player) frmSetup->Volume = Player->Volume();
}

void TfrmMain::StepVolume(int32_t delta) {
  if (Player) SetVolume(Player->Volume() + delta);
}

void TfrmMain::SetMuted(bool muted) { Controller->setMuted(muted); }

void TfrmMain::SetRepeat(TRepeatMode repeat) {
  Controller->setRepeat(repeat);
  frmSetup->Repeat = repeat;
}

void TfrmMain::SetShuffle(bool shuffle) {
  Controller->setShuffle(shuffle);
  frmSetup->Shuffle = shuffle;
}

void TfrmMain::btnPlayListClick() {
  if (frmPlayList->exec() == QDialog::Accepted && Player) {
    if (frmPlayList->ChosenSong() >= 0) PlaySong(frmPlayList->ChosenSong());
    emit playerChanged();
  }
}

void TfrmMain::OpenFiles(const std::vector<std::string>& modules) {
  if (!modules.empty()) {
    m_pendingSong = static_cast<int32_t>(Library->playlist().size());
    frmPlayList->AppendEntries(modules);
    if (Player) playPending();
  }
  RaiseWindow();
}

void TfrmMain::playPending() {
  if (m_pendingSong < 0) return;
  PlaySong(std::exchange(m_pendingSong, -1));
}

void TfrmMain::RaiseWindow() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

TPlayerView TfrmMain::PlayerView() const {
  TPlayerView view;
  view.HasSongs = Library->playlist().size() > 0;
  if (!Player) return view;
  view.State = Player->State;
  view.SongIndex = Player->SongIndex;
  view.SongName = Player->Details.Title;
  view.Subsong = Player->Subsong;
  view.Subsongs = std::max(1, static_cast<int32_t>(Player->Details.Subsongs.size()));
  view.Artist = Player->Details.Artist;
  view.Message = Player->Details.Message;
  view.FileName = Player->FileName;
  view.Duration = Player->Duration;
  view.Volume = Player->Muted() ? 0.0 : Player->Volume() / 100.0;
  view.Repeat = Player->Repeat();
  view.Shuffle = Player->Shuffle();
  view.Silenced = !Controller->outputProblem().empty();
  return view;
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
    event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (std::optional<std::string> path = LocalPathOf(url)) paths.push_back(*path);
  event->acceptProposedAction();
  Songs->readDropped(paths);
}

void TfrmMain::btnPlayGameClick() {
  TGameLinks links;
  links.PlayerName = frmSetup->ePlayername->text().toStdString();
  links.FullScreen = frmSetup->cbFullscreen->isChecked();
  links.PlayNext = [this] { btnPlayNextClick(); };
  links.Stop = [this] { btnStopClick(); };
  links.Pause = [this] { btnPauseClick(); };
  links.Forward = [this] { btnFfwdClick(); };
  links.Rewind = [this] { btnRewClick(); };
  links.HighScores = HighScores.get();
  {
    TfrmGame game(this, std::move(links));
    frmGame = &game;
    game.exec();
    frmGame = nullptr;
  }
  FillHighScores();
  // A result is stored at once, so that no later crash or kill can lose it.
  if (HighScores->HasUnsavedResults()) SaveHighScores();
}

void TfrmMain::mnuModinfoClick() {
  if (Player && Player->State == psPlaying) bringToFront(frmInfo);
}

void TfrmMain::mnuExportClick() {
  std::string module;
  int32_t subsong = 0;
  if (Player && (Player->State == psPlaying || Player->State == psPaused)) {
    module = Player->FileName;
    subsong = Player->Subsong;
  } else if (Library->playlist().size() > 0) {
    module = Library->playlist().entries().front();
  } else {
    ShowMessageBox("There is no module to export: add one to the playlist first.", "", TMessageKind::Information);
    return;
  }
  if (std::optional<QString> saved = TExportDialog::exportModule(this, module, subsong, frmSetup->ExportDir))
    StatusBar->showMessage("Saved as " + saved->section('/', -1), 6000);
}

void TfrmMain::mnuPatternClick() {
  if (!PatternWindow) {
    PatternWindow = new TPatternWindow([this] { return Player && Player->State == psPlaying; }, this);
    if (frmSetup) RestorePlace(PatternWindow, frmSetup->PatternPlace);
    connect(this, &TfrmMain::playerChanged, PatternWindow, &TPatternWindow::playerChanged);
  }
  bringToFront(PatternWindow);
}

void TfrmMain::mnuSongsClick() {
  Songs->showWindow();
  showPlayingRow();
}

void TfrmMain::showPlayingRow() {
  const bool loaded = Player && (Player->State == psPlaying || Player->State == psPaused);
  Songs->setPlaying(loaded ? Player->SongIndex : -1, loaded ? Player->Subsong : 0);
}

void TfrmMain::mnuSetupClick() { frmSetup->exec(); }

void TfrmMain::mnuAboutClick() { frmAbout->exec(); }

void TfrmMain::mnuContentsClick() {
  const std::string page = DataDir() + "help/VORKA.htm";
  ShellExecute(page, [page](const std::string& reason) {
    ShowMessageBox("The help page could not be opened: " + page + ": " + reason + ".", "", TMessageKind::Error);
  });
}

void TfrmMain::ImageDblClick() { openHomePage(); }

void TfrmMain::openHomePage() {
  ShellExecute(HomePage, [](const std::string& reason) {
    ShowMessageBox(std::string("The home page could not be opened: ") + HomePage + ": " + reason + ".", "",
                   TMessageKind::Error);
  });
}

void TfrmMain::mnuExitClick() { close(); }

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image && event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ImageDblClick();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

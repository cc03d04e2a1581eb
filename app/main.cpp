#include "app/main.h"

#include "app/Application.h"
#include "app/ExportDialog.h"
#include "app/HighScoreBox.h"
#include "app/PlaylistActions.h"
#include "app/PlayerStatusBar.h"
#include "app/Settings.h"
#include "app/MusicMenu.h"
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
#include "platform/utf8.h"
#include "playlist/playlist.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
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
constexpr int kMilliseconds = 1000;

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

} // namespace

TfrmMain::TfrmMain(const std::string& filesDir, TSettings& settings)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      Settings(settings) {
  setWindowTitle(kTitle);
  setWindowIcon(LoadTransparentBitmap("appicon.bmp"));
  auto* client = new QWidget;
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);
  Library = std::make_unique<TLibrary>(filesDir, TLibrary::IndexPathIn(filesDir), this);
  Library->playlist().load();
  Controller = new TPlayerController(this);
  buildControls(client);
  buildHighScoreTable(client);
  buildMenu();
  btnPlayList->setToolTip(withKey("Playlist", MusicMenu->PlayList));
  btnModInfo->setToolTip(withKey("Module information...", mnuModinfo));
  btnPlayGame->setToolTip(withKey("Play tetris", mnuPlayGame));
  btnRew->setToolTip(withKey("Rewind", MusicMenu->Rewind));
  btnStop->setToolTip(withKey("Stop", MusicMenu->Stop));
  SpeedButton1->setToolTip(withKey("Play/Play next song", MusicMenu->PlayNext));
  btnPause->setToolTip(withKey("Pause", MusicMenu->Pause));
  btnFfwd->setToolTip(withKey("Forward", MusicMenu->Forward));
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
  connect(Controller, &TPlayerController::songChanged, this, [this] {
    if (Player) showSong();
  });
  connect(Controller, &TPlayerController::settingsChanged, this, [this] {
    if (!Player) return;
    // The run keeps them for the next start.
    Settings.Volume = Player->Volume();
    Settings.Repeat = Player->Repeat();
    Settings.Shuffle = Player->Shuffle();
    emit playerChanged();
  });
  connect(Controller, &TPlayerController::ticked, this, &TfrmMain::showTime);
  connect(Controller, &TPlayerController::positionJumped, this, &TfrmMain::positionJumped);
  connect(Controller, &TPlayerController::outputProblemChanged, this, &TfrmMain::playerChanged);
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
  ProgressBar->setKeyStep(static_cast<int>(TMusicMenu::kSeekStep * kMilliseconds));
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
  Songs = new TPlaylistActions(*Library, this, Settings.SongsPlace);
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

  MusicMenu = new TMusicMenu(*Controller, Settings, this);
  menuBar()->addMenu(MusicMenu);
  connect(MusicMenu, &TMusicMenu::playlistRequested, this, &TfrmMain::btnPlayListClick);

  QMenu* help = menuBar()->addMenu("&Help");
  mnuContents = help->addAction("&Contents...", this, &TfrmMain::mnuContentsClick);
  mnuContents->setShortcut(Qt::Key_F1);
  help->addSeparator();
  mnuAbout = help->addAction("&About...", this, &TfrmMain::mnuAboutClick);
}

void TfrmMain::buildStatusBar() {
  StatusBar = new TPlayerStatusBar;
  setStatusBar(StatusBar);
  StatusBar->follow(*Controller);
  StatusBar->showVolume(100, false);
}

QString TfrmMain::StatePanelText() const { return StatusBar->stateText(); }

QString TfrmMain::FilePanelText() const { return StatusBar->fileText(); }

QString TfrmMain::TimePanelText() const { return StatusBar->timeText(); }

void TfrmMain::showEvent(QShowEvent* event) {
  if (!m_shown) RestorePlace(this, Settings.MainWindowPlace);
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  FormShow();
}

void TfrmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (m_shown) Settings.MainWindowPlace = PlaceOf(this, false);
}

void TfrmMain::FormShow() {
  // What an export killed on its way left in the last export's folder goes.
  if (!Settings.ExportDir.empty()) TAudioExport::removeLeftovers(Settings.ExportDir);
  // Songs load at the level the index knows of them, which it measures as the player mixes.
  MIDASsetLevelSource(Library->levelSource());
  Library->measureWith(Settings.renderOptions(), Settings.MixRate);
  if (!Controller->start()) return;
  Player = Controller->player();
  applyPlaySettings();
  handOverPlaylist();
  playPending();
}

void TfrmMain::applyPlaySettings() {
  connect(&Settings, &TSettings::renderOptionsChanged, Controller, &TPlayerController::applyRenderOptions);
  // Each command tells of the player's settings, which the run then keeps: the stored ones are
  // read before the first.
  const int32_t volume = Settings.Volume;
  const TRepeatMode repeat = Settings.Repeat;
  const bool shuffle = Settings.Shuffle;
  Controller->setVolume(volume);
  Controller->setRepeat(repeat);
  Controller->setShuffle(shuffle);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose() {
  Settings.MainWindowPlace = PlaceOf(this, false);
  if (PatternWindow) Settings.PatternPlace = PlaceOf(PatternWindow, true);
  Songs->keepPlace();
  // The module information keeps its place as it closes.
  if (frmInfo) frmInfo->close();
  Controller->finish();
  MIDASsetLevelSource({});
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
  showTime();
  emit playerChanged();
}

void TfrmMain::showTime() {
  if (Player->FileName.empty()) {
    ProgressBar->setRange(0, 100);
    ProgressBar->showPlayed(0);
    return;
  }
  const double played = Player->PlaySeconds();
  // Only what changes is set: the timer must not repaint a picture that stays the same.
  const int length = std::max(1, static_cast<int>(Player->Duration * kMilliseconds));
  if (ProgressBar->maximum() != length || ProgressBar->minimum() != 0) ProgressBar->setRange(0, length);
  ProgressBar->showPlayed(static_cast<int>(played * kMilliseconds));
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
  links.PlayerName = AsUtf8(Settings.PlayerName);
  links.FullScreen = Settings.FullScreen;
  links.Options = Settings.Game;
  links.PlayNext = [this] { btnPlayNextClick(); };
  links.Stop = [this] { btnStopClick(); };
  links.Pause = [this] { btnPauseClick(); };
  links.Forward = [this] { btnFfwdClick(); };
  links.Rewind = [this] { btnRewClick(); };
  links.HighScores = HighScores.get();
  // From the heartbeat's thread to the player, in order, the last after the game's own.
  const auto pace = [this](double tempoFactor, double backingVolume) {
    QMetaObject::invokeMethod(
        this, [this, tempoFactor, backingVolume] { Controller->setMusicPace(tempoFactor, backingVolume); },
        Qt::QueuedConnection);
  };
  links.MusicPace = pace;
  // A game that cannot be made (its pictures, its display) says why in a box.
  TApplication::guarded([&] {
    TfrmGame game(this, std::move(links));
    frmGame = &game;
    game.exec();
  });
  frmGame = nullptr;
  // The music goes on as written once the game is closed.
  pace(1, 1);
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
  if (std::optional<QString> saved = TExportDialog::exportModule(this, module, subsong, Settings.ExportDir))
    StatusBar->showMessage("Saved as " + saved->section('/', -1), 6000);
}

void TfrmMain::mnuPatternClick() {
  if (!PatternWindow) {
    PatternWindow = new TPatternWindow([this] { return Player && Player->State == psPlaying; }, this);
    RestorePlace(PatternWindow, Settings.PatternPlace);
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

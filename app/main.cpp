#include "app/main.h"

#include "app/HighScoreDelegate.h"
#include "app/about.h"
#include "app/modinfo.h"
#include "app/setup.h"
#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/ElidedLabel.h"
#include "desktop/LocalPath.h"
#include "desktop/ModuleFiles.h"
#include "game/game.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "platform/utf8.h"
#include "playlist/playlist.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstring>

TfrmMain* frmMain = nullptr;

namespace {

constexpr int kClientWidth = 354;
constexpr int kClientHeight = 296;
constexpr int kStatusBarHeight = 19;
constexpr int kTimerMs = 200;
constexpr const char* kTitle = "VORKA";
constexpr int32_t kHighScorePlaces = 20;

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

QToolButton* flatButton(QWidget* parent, const char* bitmap, const QString& hint, QRect where) {
  auto* button = new QToolButton(parent);
  button->setAutoRaise(true);
  button->setIcon(LoadTransparentBitmap(bitmap));
  button->setIconSize(where.size());
  button->setToolTip(hint);
  button->setGeometry(where);
  return button;
}

// The module's title: its zero-padded name field up to the first zero.
std::string songName(const ::ModuleInfo& info) {
  return std::string(info.SongName, strnlen(info.SongName, sizeof info.SongName));
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
  buildControls(client);
  buildHighScoreTable(client);
  buildMenu();
  HighScores = std::make_unique<THighScoreList>(filesDir + "highscore.dat", kHighScorePlaces);
  FillHighScores();
  buildStatusBar();
  Timer = new QTimer(this);
  Timer->setInterval(kTimerMs);
  connect(Timer, &QTimer::timeout, this, &TfrmMain::TimerTimer);
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

  ProgressBar = new QProgressBar(client);
  ProgressBar->setGeometry(132, 260, 217, 12);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
}

void TfrmMain::buildHighScoreTable(QWidget* client) {
  Hdr = new QHeaderView(Qt::Horizontal, client);
  auto* columns = new QStandardItemModel(0, 4, Hdr);
  columns->setHorizontalHeaderLabels({"", "Highscore", "Score", "Level"});
  Hdr->setModel(columns);
  Hdr->setSectionResizeMode(QHeaderView::Interactive);
  Hdr->setMinimumSectionSize(8);
  const int widths[] = {19, 102, 51, 34};
  for (int i = 0; i < 4; ++i) Hdr->resizeSection(i, widths[i]);
  Hdr->setGeometry(132, 56, 217, 17);

  lbHighScore = new QListWidget(client);
  lbHighScore->setGeometry(132, 72, 217, 137);
  QPalette buttonFace = lbHighScore->palette();
  buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
  lbHighScore->setPalette(buttonFace);
  lbHighScore->setUniformItemSizes(true);
  lbHighScore->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lbHighScore->setItemDelegate(new THighScoreDelegate(Hdr, HighScores, lbHighScore));
  connect(Hdr, &QHeaderView::sectionResized, lbHighScore->viewport(), qOverload<>(&QWidget::update));
}

void TfrmMain::buildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  mnuExit = file->addAction("E&xit", this, &TfrmMain::mnuExitClick);

  QMenu* view = menuBar()->addMenu("&View");
  mnuModinfo = view->addAction("&Module info...", this, &TfrmMain::mnuModinfoClick);
  mnuModinfo->setShortcut(Qt::Key_F8);

  QMenu* options = menuBar()->addMenu("&Options");
  mnuPlayGame = options->addAction("&Play Game...", this, &TfrmMain::btnPlayGameClick);
  mnuPlayGame->setShortcut(Qt::Key_F9);
  options->addSeparator();
  mnuSetup = options->addAction("&Setup...", this, &TfrmMain::mnuSetupClick);

  QMenu* music = menuBar()->addMenu("&Music");
  mnuPlayList = music->addAction("&Playlist...", this, &TfrmMain::btnPlayListClick);
  mnuPlayList->setShortcut(Qt::CTRL | Qt::Key_P);
  music->addSeparator();
  mnuPlayNext = music->addAction("&Play next", this, &TfrmMain::btnPlayNextClick);
  mnuStop = music->addAction("&Stop", this, &TfrmMain::btnStopClick);
  mnuPause = music->addAction("Pa&use", this, &TfrmMain::btnPauseClick);
  mnuFwd = music->addAction("&Forward", this, &TfrmMain::btnFfwdClick);
  mnuRew = music->addAction("&Rewind", this, &TfrmMain::btnRewClick);

  QMenu* help = menuBar()->addMenu("&Help");
  mnuContents = help->addAction("&Contents...", this, &TfrmMain::mnuContentsClick);
  mnuContents->setShortcut(Qt::Key_F1);
  help->addSeparator();
  mnuAbout = help->addAction("&About...", this, &TfrmMain::mnuAboutClick);
}

void TfrmMain::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(kStatusBarHeight);
  m_statePanel = new QLabel;
  m_statePanel->setFixedWidth(50);
  m_filePanel = new TElidedLabel(Qt::ElideMiddle);
  m_filePanel->setMinimumWidth(50);
  bar->addWidget(m_statePanel);
  bar->addWidget(m_filePanel, 1);
}

QString TfrmMain::StatePanelText() const { return m_statePanel->text(); }

QString TfrmMain::FilePanelText() const { return m_filePanel->fullText(); }

bool TfrmMain::event(QEvent* event) {
  if (event->type() == TWindowMessage::type()) {
    if (static_cast<TWindowMessage*>(event)->Msg == WM_SONGSTARTED) WMSongStarted();
    return true;
  }
  return QMainWindow::event(event);
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  FormShow();
}

void TfrmMain::FormShow() {
  Player = std::make_unique<TMusicPlayer>(this);
  Timer->start();
  handOverPlaylist();
  playPending();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose() {
  Timer->stop();
  Player.reset();
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

void TfrmMain::FillHighScores() {
  lbHighScore->clear();
  for (int32_t i = 0; i < HighScores->Count(); ++i) {
    auto* row = new QListWidgetItem(QString::fromStdString(AsUtf8(HighScores->GetEntry(i).name())));
    row->setSizeHint({0, THighScoreDelegate::RowHeight});
    lbHighScore->addItem(row);
  }
}

void TfrmMain::handOverPlaylist() {
  Player->ClearSongs();
  for (const std::string& path : frmPlayList->Playlist()) Player->AddSong(path);
}

bool TfrmMain::queuedToGuiThread(void (TfrmMain::*handler)()) {
  if (QThread::currentThread() == thread()) return false;
  QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
  return true;
}

void TfrmMain::showSong() {
  std::string title = std::string(kTitle) + " - " + songName(Player->ModuleInfo);
  setWindowTitle(QString::fromStdString(title));
  SetApplicationTitle(title);
  m_filePanel->setFullText(fromBytes(Player->FileName));
  showState();
}

void TfrmMain::showLoadFailure() {
  if (Player->State != psPlaying && !Player->LoadError.empty())
    m_filePanel->setFullText("Cannot play " + fromBytes(Player->LoadError));
}

void TfrmMain::showState() {
  m_statePanel->setText(stateText(Player->State));
  emit playerChanged();
}

void TfrmMain::WMSongStarted() {
  if (!Player) return;
  PlayStatus ignored{};
  Player->GetPlayStatus(ignored);
  showSong();
}

void TfrmMain::btnPlayNextClick() {
  if (queuedToGuiThread(&TfrmMain::btnPlayNextClick) || !Player) return;
  Player->PlayNext();
  showSong();
  showLoadFailure();
}

void TfrmMain::btnStopClick() {
  if (queuedToGuiThread(&TfrmMain::btnStopClick) || !Player) return;
  Player->Stop();
  showState();
}

void TfrmMain::btnPauseClick() {
  if (queuedToGuiThread(&TfrmMain::btnPauseClick) || !Player) return;
  if (Player->State == psPaused)
    Player->Resume();
  else
    Player->Pause();
  showState();
}

void TfrmMain::btnFfwdClick() {
  if (queuedToGuiThread(&TfrmMain::btnFfwdClick) || !Player) return;
  Player->Forward(1);
}

void TfrmMain::btnRewClick() {
  if (queuedToGuiThread(&TfrmMain::btnRewClick) || !Player) return;
  Player->Rewind(1);
}

void TfrmMain::TimerTimer() {
  if (!Player || Player->State != psPlaying) return;
  PlayStatus status{};
  Player->GetPlayStatus(status);
  ProgressBar->setMaximum(static_cast<int>(Player->ModuleInfo.SongLength));
  ProgressBar->setValue(static_cast<int>(status.Position));
  // A song shorter than the timer's period may have ended more than once since the last look.
  // The next song starts the way the button starts it, so that a list with nothing playable
  // left shows that in the caption as well as in the status bar.
  if (status.LoopCount >= 1) btnPlayNextClick();
}

void TfrmMain::btnPlayListClick() {
  if (frmPlayList->exec() == QDialog::Accepted && Player) {
    handOverPlaylist();
    emit playerChanged();
  }
}

void TfrmMain::OpenFiles(const std::vector<std::string>& modules) {
  if (!modules.empty()) {
    m_pendingSong = static_cast<int32_t>(frmPlayList->Playlist().size());
    frmPlayList->AppendEntries(modules);
    if (Player) {
      handOverPlaylist();
      playPending();
    }
  }
  RaiseWindow();
}

void TfrmMain::playPending() {
  if (m_pendingSong < 0) return;
  // PlayNext goes on from the current song, so it starts at the one after this.
  Player->SongIndex = m_pendingSong - 1;
  m_pendingSong = -1;
  btnPlayNextClick();
}

void TfrmMain::RaiseWindow() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void TfrmMain::RestartSong() {
  if (!Player) return;
  PlayStatus status{};
  Player->GetPlayStatus(status);
  Player->Rewind(static_cast<int32_t>(status.Position));
}

void TfrmMain::SeekPositions(int32_t positions) {
  if (!Player) return;
  if (positions >= 0)
    Player->Forward(positions);
  else
    Player->Rewind(-positions);
}

TPlayerView TfrmMain::PlayerView() const {
  TPlayerView view;
  view.HasSongs = !frmPlayList->Playlist().empty();
  if (!Player) return view;
  view.State = Player->State;
  view.SongIndex = Player->SongIndex;
  view.SongName = songName(Player->ModuleInfo);
  view.FileName = Player->FileName;
  view.Duration = Player->Duration;
  view.SongLength = Player->ModuleInfo.SongLength;
  view.Position = Player->PlayStatus.Position;
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
  TModuleFiles files = TModuleFiles::of(paths);
  event->acceptProposedAction();
  if (!files.Problems.empty())
    statusBar()->showMessage(QFile::decodeName(QByteArray::fromStdString(files.Problems.front())), 5000);
  OpenFiles(files.Modules);
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
  if (Player && Player->State == psPlaying) frmInfo->exec();
}

void TfrmMain::mnuSetupClick() { frmSetup->exec(); }

void TfrmMain::mnuAboutClick() { frmAbout->exec(); }

void TfrmMain::mnuContentsClick() { ShellExecute(DataDir() + "help/VORKA.htm"); }

void TfrmMain::ImageDblClick() { ShellExecute(HomePage); }

void TfrmMain::mnuExitClick() { close(); }

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image && event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ImageDblClick();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

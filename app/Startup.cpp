#include "app/Startup.h"

#include "app/Application.h"
#include "app/Settings.h"
#include "app/about.h"
#include "app/main.h"
#include "app/modinfo.h"
#include "app/setup.h"
#include "desktop/MprisService.h"
#include "desktop/MprisState.h"
#include "platform/msgbox.h"
#include "library/Library.h"
#include "playlist/playlist.h"

#include <QThread>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>

namespace {

// The run's settings, made before the windows that read them and gone after them.
std::unique_ptr<TSettings> g_settings;
bool g_endRequested = false;
bool g_mainLoopRunning = false;
std::vector<std::string> g_modulesBeforeShow;

// Closes the game window and every modal dialog and box, the innermost first, as their close
// boxes would; their event loops return once the current handler is done.
void closeModalWindows() {
  constexpr int kMaxNesting = 32;
  for (int i = 0; i < kMaxNesting; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    modal->close();
    if (modal->isVisible()) modal->hide();
  }
}

// The code after a nested event loop (a dialog's or the game's) still runs when that loop
// returns and may use the main window's objects, so the main window closes only once the main
// event loop alone is left.
void closeMainWindowWhenUnwound() {
  closeModalWindows();
  if (QThread::currentThread()->loopLevel() > 1) {
    QTimer::singleShot(10, closeMainWindowWhenUnwound);
    return;
  }
  frmMain->close();
  QCoreApplication::quit();
}

} // namespace

TMprisLinks MprisLinks() {
  TMprisLinks links;
  links.View = [] { return TPlayerView::of(*frmMain->Controller, frmMain->Library->playlist().size() > 0); };
  links.PlaySeconds = [] { return frmMain->Player ? frmMain->Player->PlaySeconds() : 0.0; };
  // The player controls drive the player controller as the window's own buttons do.
  TPlayerController* controller = frmMain->Controller;
  links.Play = [controller] { controller->play(); };
  links.PlayNext = [controller] { controller->playNext(); };
  links.PlayPrevious = [controller] { controller->playPrevious(); };
  links.Stop = [controller] { controller->stop(); };
  links.PauseOrResume = [controller] { controller->pauseOrResume(); };
  links.SeekTo = [controller](double seconds) { controller->seekTo(seconds); };
  links.SetVolume = [controller](double volume) {
    controller->setVolume(static_cast<int32_t>(std::lround(volume * 100)));
  };
  links.SetRepeat = [controller](TRepeatMode repeat) { controller->setRepeat(repeat); };
  links.SetShuffle = [controller](bool shuffle) { controller->setShuffle(shuffle); };
  links.Raise = [] { frmMain->RaiseWindow(); };
  links.Quit = [] { RequestEnd(); };
  links.Open = [](const std::vector<std::string>& modules) { frmMain->OpenFiles(modules); };
  return links;
}

bool CreateWindows(const std::string& filesDir) {
  return TApplication::guarded([] { g_settings = std::make_unique<TSettings>(); }) &&
         TApplication::guarded([&] { frmMain = new TfrmMain(filesDir, *g_settings); }) &&
         TApplication::guarded([] { frmSetup = new TfrmSetup(frmMain, *g_settings); }) &&
         TApplication::guarded([&] {
           frmPlayList = new TfrmPlayList(frmMain, g_settings->LastDir, g_settings->PlaylistPlace,
                                          frmMain->Library->playlist());
         }) &&
         TApplication::guarded([] { frmInfo = new TfrmInfo(frmMain, g_settings->InfoPlace); }) &&
         TApplication::guarded([] { frmAbout = new TfrmAbout(frmMain); });
}

int RunProgram(TApplication& app, const std::vector<std::string>& modules) {
  if (g_endRequested) return 0;
  frmMain->show();
  if (app.fatal()) return 1;
  g_modulesBeforeShow.insert(g_modulesBeforeShow.begin(), modules.begin(), modules.end());
  if (!g_modulesBeforeShow.empty()) frmMain->OpenFiles(std::exchange(g_modulesBeforeShow, {}));
  TMprisService mpris(MprisLinks());
  mpris.registerOnBus();
  QObject::connect(frmMain, &TfrmMain::playerChanged, &mpris, &TMprisService::playerChanged);
  QObject::connect(frmMain, &TfrmMain::positionJumped, &mpris, &TMprisService::positionJumped);
  g_mainLoopRunning = true;
  int result = app.exec();
  g_mainLoopRunning = false;
  return result;
}

void OpenModules(const std::vector<std::string>& modules) {
  if (g_mainLoopRunning)
    frmMain->OpenFiles(modules);
  else
    g_modulesBeforeShow.insert(g_modulesBeforeShow.end(), modules.begin(), modules.end());
}

void RequestEnd() {
  g_endRequested = true;
  SetMessageBoxHandler(PrintMessageBox);
  closeModalWindows();
  if (g_mainLoopRunning) closeMainWindowWhenUnwound();
}

void CommitData() {
  TMessageBoxHandler previous = SetMessageBoxHandler(PrintMessageBox);
  if (frmSetup) TApplication::guarded([] { frmSetup->SaveSettings(); });
  if (frmMain && frmMain->Library) TApplication::guarded([] { frmMain->Library->playlist().store(); });
  if (frmMain && frmMain->HighScores) frmMain->SaveHighScores();
  SetMessageBoxHandler(previous);
}

void DestroyWindows() {
  if (frmMain && frmMain->Library) TApplication::guarded([] { frmMain->Library->playlist().storeAtEnd(); });
  if (frmSetup) TApplication::guarded([] { frmSetup->FormDestroy(); });
  delete frmMain;
  frmMain = nullptr;
  frmSetup = nullptr;
  frmPlayList = nullptr;
  frmInfo = nullptr;
  frmAbout = nullptr;
  g_settings.reset();
}

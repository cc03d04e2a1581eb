#include "app/Startup.h"

#include "app/Application.h"
#include "app/about.h"
#include "app/main.h"
#include "app/modinfo.h"
#include "app/setup.h"
#include "platform/msgbox.h"
#include "playlist/playlist.h"

#include <QThread>
#include <QTimer>

#include <functional>

namespace {

bool g_endRequested = false;
bool g_mainLoopRunning = false;

// Runs one step; its error goes to the standard error box. False when the step failed.
bool guarded(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const EFatalSoundError&) {
    if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance()))
      app->endAfterFatalError();
  } catch (const std::exception& error) {
    TApplication::showError(error);
  }
  return false;
}

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

bool CreateWindows(const std::string& programDir) {
  return guarded([&] { frmMain = new TfrmMain(programDir); }) &&
         guarded([] { frmSetup = new TfrmSetup(frmMain); }) &&
         guarded([&] { frmPlayList = new TfrmPlayList(frmMain, frmSetup->LastDir, programDir); }) &&
         guarded([] { frmInfo = new TfrmInfo(frmMain); }) &&
         guarded([] { frmAbout = new TfrmAbout(frmMain); });
}

int RunProgram(TApplication& app) {
  if (g_endRequested) return 0;
  frmMain->show();
  if (app.fatal()) return 1;
  g_mainLoopRunning = true;
  int result = app.exec();
  g_mainLoopRunning = false;
  return result;
}

void RequestEnd() {
  g_endRequested = true;
  SetMessageBoxHandler(PrintMessageBox);
  closeModalWindows();
  if (g_mainLoopRunning) closeMainWindowWhenUnwound();
}

void CommitData() {
  TMessageBoxHandler previous = SetMessageBoxHandler(PrintMessageBox);
  if (frmSetup) guarded([] { frmSetup->SaveSettings(); });
  if (frmPlayList) guarded([] { frmPlayList->SavePlaylist(); });
  if (frmMain && frmMain->HighScores) frmMain->HighScores->Save();
  SetMessageBoxHandler(previous);
}

void DestroyWindows() {
  if (frmPlayList) guarded([] { frmPlayList->FormDestroy(); });
  if (frmSetup) guarded([] { frmSetup->FormDestroy(); });
  delete frmMain;
  frmMain = nullptr;
  frmSetup = nullptr;
  frmPlayList = nullptr;
  frmInfo = nullptr;
  frmAbout = nullptr;
}

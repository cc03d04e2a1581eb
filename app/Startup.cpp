#include "app/Startup.h"

#include "app/Application.h"
#include "app/about.h"
#include "app/main.h"
#include "app/modinfo.h"
#include "app/setup.h"
#include "playlist/playlist.h"

#include <functional>

namespace {

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

} // namespace

bool CreateWindows(const std::string& programDir) {
  return guarded([&] { frmMain = new TfrmMain(programDir); }) &&
         guarded([] { frmSetup = new TfrmSetup(frmMain); }) &&
         guarded([&] { frmPlayList = new TfrmPlayList(frmMain, frmSetup->LastDir, programDir); }) &&
         guarded([] { frmInfo = new TfrmInfo(frmMain); }) &&
         guarded([] { frmAbout = new TfrmAbout(frmMain); });
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

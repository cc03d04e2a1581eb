#include "app/Application.h"

#include "music/MusicPlayer.h"
#include "platform/msgbox.h"

#include <QThread>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const EFatalSoundError&) {
    endAfterFatalError();
  } catch (const std::exception& error) {
    showError(error);
  }
  return false;
}

bool TApplication::guarded(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const EFatalSoundError&) {
    if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance())) app->endAfterFatalError();
  } catch (const std::exception& error) {
    showError(error);
  }
  return false;
}

void TApplication::showError(const std::exception& error) {
  ShowMessageBox(error.what(), "", TMessageKind::Error);
}

void TApplication::endAfterFatalError() {
  m_fatal = true;
  // Before the event loop runs, the start-up code sees the flag and never starts it.
  if (QThread::currentThread()->loopLevel() > 0) exit(1);
}

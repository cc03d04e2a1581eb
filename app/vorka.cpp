// VORKA: start-up and end of the program.

#include "app/Application.h"
#include "app/Startup.h"
#include "app/main.h"
#include "platform/TerminationSignals.h"
#include "platform/filesys.h"
#include "platform/keyboard.h"
#include "platform/msgbox.h"

#include <QFont>
#include <QSessionManager>

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  SetApplicationTitle("VORKA");
  QFont font = QApplication::font();
  font.setPointSize(8);
  QApplication::setFont(font);
  InstallKeyboardFilter(&app);
  // A kill, Ctrl+C or the end of the desktop session ends the program as File > Exit does, and
  // the session manager's request to save stores what the user keeps.
  TTerminationSignals terminationSignals;
  QObject::connect(&terminationSignals, &TTerminationSignals::received, [](int) { RequestEnd(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, [](QSessionManager&) { CommitData(); });

  int result = 1;
  if (CreateWindows(ProgramDir())) result = RunProgram(app);
  DestroyWindows();
  return result;
}

// VORKA: start-up and end of the program.

#include "app/Application.h"
#include "app/Startup.h"
#include "app/main.h"
#include "desktop/CommandLine.h"
#include "desktop/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/filesys.h"
#include "platform/keyboard.h"
#include "platform/msgbox.h"

#include <QFont>
#include <QSessionManager>

#include <iostream>

int main(int argc, char** argv) {
  // The command line is read before the application object is made, so that --help and
  // --version also answer where there is no display.
  QCoreApplication::setApplicationName("vorka");
  QCoreApplication::setApplicationVersion(VORKA_VERSION);
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const TCommandLine line = TCommandLine::parse(arguments);
  switch (line.Action) {
  case TCommandLine::TAction::ShowHelp:
  case TCommandLine::TAction::ShowVersion: std::cout << line.Text; return 0;
  case TCommandLine::TAction::Fail: std::cerr << line.Text << '\n'; return 1;
  case TCommandLine::TAction::Run: break;
  }
  for (const std::string& problem : line.Files.Problems) std::cerr << "vorka: " << problem << '\n';

  TApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(VORKA_APP_ID);

  // One VORKA per user: a later start hands its modules to the running one and ends.
  TSingleInstance instance;
  if (instance.claim() == TSingleInstance::TClaim::Running &&
      TSingleInstance::handOver(line.Files.Modules))
    return 0;
  QObject::connect(&instance, &TSingleInstance::openRequested, &OpenModules);

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
  if (CreateWindows(StoredFilesDir())) result = RunProgram(app, line.Files.Modules);
  DestroyWindows();
  return result;
}

// VORKA: start-up and end of the program.

#include "app/Application.h"
#include "app/ExportCommand.h"
#include "app/Startup.h"
#include "app/main.h"
#include "desktop/CommandLine.h"
#include "desktop/SingleInstance.h"
#include "music/SettingsFile.h"
#include "platform/TerminationSignals.h"
#include "platform/filesys.h"
#include "platform/keyboard.h"
#include "platform/msgbox.h"

#include <QFont>
#include <QSessionManager>

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  // The command line is read before the application object is made, so that --help and
  // --version also answer where there is no display.
  QCoreApplication::setApplicationName("vorka");
  QCoreApplication::setApplicationVersion(VORKA_VERSION);
  const TCommandLine line = TCommandLine::parse(std::vector<std::string>(argv, argv + argc));
  switch (line.Action) {
  case TCommandLine::TAction::ShowHelp:
  case TCommandLine::TAction::ShowVersion: std::cout << line.Text; return 0;
  case TCommandLine::TAction::Fail: std::cerr << line.Text << '\n'; return 1;
  case TCommandLine::TAction::Run:
  case TCommandLine::TAction::Export: break;
  }
  for (const std::string& problem : line.Files.Problems) std::cerr << "vorka: " << problem << '\n';
  // A setting that reads as its default is named once, at start.
  for (const std::string& problem : TSettingsFile().problems()) std::cerr << "vorka: vorka.ini: " << problem << '\n';
  if (line.Action == TCommandLine::TAction::Export) {
    if (line.Files.Modules.empty()) return 1;
    return TExportCommand::run(line.Files.Modules.front(), line.ExportSubsong, line.ExportTo, line.ExportChannels,
                               line.ExportForce, std::cerr, isatty(STDERR_FILENO));
  }

  TApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(VORKA_APP_ID);

  // One VORKA per user: a later start hands its modules to the running one and ends.
  TSingleInstance instance;
  switch (instance.claim()) {
  case TSingleInstance::TClaim::Owner: break;
  case TSingleInstance::TClaim::NoBus:
    std::cerr << "vorka: there is no session bus, so a second VORKA cannot find this one and may "
                 "overwrite its playlist.\n";
    break;
  case TSingleInstance::TClaim::Running: {
    std::string why;
    switch (TSingleInstance::handOver(line.Files.Modules, why)) {
    case TSingleInstance::THandOver::Done: return 0;
    case TSingleInstance::THandOver::Refused: std::cerr << "vorka: " << why << '\n'; return 1;
    case TSingleInstance::THandOver::NoAnswer:
      std::cerr << "vorka: the running VORKA did not answer (" << why
                << "), so this one runs on its own; the two may overwrite each other's playlist.\n";
    }
    break;
  }
  }
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

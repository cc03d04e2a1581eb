#include "desktop/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

TCommandLine TCommandLine::parse(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Plays tracker music modules (mod, it, s3m, xm) from a playlist, with a falling-block game "
      "built in.\nFiles and folders given are added to the end of the playlist and the first of "
      "them is played; a VORKA that already runs gets them instead.");
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument("files", "Module files, or folders of them, to add and play.",
                               "[FILE|FOLDER...]");

  TCommandLine line;
  if (!parser.parse(arguments)) {
    line.Action = TAction::Fail;
    line.Text = (QCoreApplication::applicationName() + ": " + parser.errorText()).toStdString();
  } else if (parser.isSet(help) || parser.isSet("help-all")) {
    line.Action = TAction::ShowHelp;
    // Before the application object exists the parser cannot know the program's name.
    line.Text = parser.helpText()
                    .replace("<executable_name>", QCoreApplication::applicationName())
                    .toStdString();
  } else if (parser.isSet(version)) {
    line.Action = TAction::ShowVersion;
    line.Text = (QCoreApplication::applicationName() + " " +
                 QCoreApplication::applicationVersion() + "\n").toStdString();
  } else {
    std::vector<std::string> paths;
    for (const QString& path : parser.positionalArguments())
      paths.push_back(QFile::encodeName(path).toStdString());
    line.Files = TModuleFiles::of(paths);
  }
  return line;
}

#include "desktop/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

namespace {

// The bytes of the arguments that the parser took as files: each is the next argument whose
// decoded text it is.
std::vector<std::string> fileArguments(const QStringList& files, const QStringList& decoded,
                                       const std::vector<std::string>& arguments) {
  std::vector<std::string> bytes;
  qsizetype next = 1;
  for (const QString& file : files) {
    while (next < decoded.size() && decoded[next] != file) ++next;
    if (next == decoded.size()) break;
    bytes.push_back(arguments[static_cast<std::size_t>(next++)]);
  }
  return bytes;
}

} // namespace

TCommandLine TCommandLine::parse(const std::vector<std::string>& arguments) {
  QStringList decoded;
  for (const std::string& argument : arguments)
    decoded << QFile::decodeName(QByteArray::fromStdString(argument));
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
  if (!parser.parse(decoded)) {
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
    line.Files = TModuleFiles::of(fileArguments(parser.positionalArguments(), decoded, arguments));
  }
  return line;
}

#include "desktop/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <filesystem>

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

// The bytes of the value of option `--name`, given as "--name VALUE" or "--name=VALUE".
std::string optionBytes(const std::string& name, const std::vector<std::string>& arguments) {
  const std::string flag = "--" + name;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == flag && i + 1 < arguments.size()) return arguments[i + 1];
    if (arguments[i].starts_with(flag + "=")) return arguments[i].substr(flag.size() + 1);
  }
  return {};
}

TCommandLine failure(const std::string& text) {
  TCommandLine line;
  line.Action = TCommandLine::TAction::Fail;
  line.Text = text;
  return line;
}

} // namespace

TCommandLine TCommandLine::parse(const std::vector<std::string>& arguments) {
  QStringList decoded;
  for (const std::string& argument : arguments)
    decoded << QFile::decodeName(QByteArray::fromStdString(argument));
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Plays tracker music modules (MOD, S3M, XM, IT and every other format libopenmpt reads) "
      "from a playlist, with a falling-block game built in.\nFiles and folders given are added to "
      "the end of the playlist and the first of them is played; a VORKA that already runs gets "
      "them instead. See man vorka.");
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption exportTo(
      "export",
      "Saves MODULE (one subsong, the first unless --subsong names another, one pass, with the "
      "sound settings of Setup) as the audio file FILE, WAV or FLAC by its name, and ends; no "
      "window is opened.",
      "FILE");
  parser.addOption(exportTo);
  const QCommandLineOption subsong("subsong", "With --export, saves subsong N (from 1) of MODULE.", "N");
  parser.addOption(subsong);
  const QCommandLineOption force("force", "With --export, replaces FILE when it exists.");
  parser.addOption(force);
  const QCommandLineOption channels(
      "channels", "With --export, saves each channel of MODULE alone in a file of its own, named after FILE: "
                  "\"Tune - 01.flac\", \"Tune - 02.flac\" ... for Tune.flac.");
  parser.addOption(channels);
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
    const std::vector<std::string> files = fileArguments(parser.positionalArguments(), decoded, arguments);
    line.Files = TModuleFiles::of(files);
    const std::string name = QCoreApplication::applicationName().toStdString();
    bool number = true;
    const int subsongNumber = parser.isSet(subsong) ? parser.value(subsong).toInt(&number) : 1;
    if (parser.isSet(exportTo)) {
      line.Action = TAction::Export;
      line.ExportTo = optionBytes("export", arguments);
      line.ExportForce = parser.isSet(force);
      line.ExportChannels = parser.isSet(channels);
      std::error_code error;
      if (files.size() != 1 || std::filesystem::is_directory(files.front(), error))
        line = failure(name + ": --export saves one module: give one module file after the audio file.");
      else if (!number || subsongNumber < 1)
        line = failure(name + ": --subsong takes the number of a subsong, from 1.");
      else
        line.ExportSubsong = subsongNumber - 1;
    } else {
      for (const QCommandLineOption* option : {&subsong, &force, &channels})
        if (parser.isSet(*option)) {
          line = failure(name + ": --" + option->names().front().toStdString() + " goes with --export.");
          break;
        }
    }
  }
  return line;
}

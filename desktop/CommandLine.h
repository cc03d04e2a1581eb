#pragma once

#include "desktop/ModuleFiles.h"

#include <cstdint>
#include <string>
#include <vector>

// What the program is asked on its command line, `vorka [FILE|FOLDER]...`, read the way
// QCommandLineParser reads it: --help and --version print and end, an unknown option ends
// with one line on standard error, and files and folders become the modules to add and play;
// `vorka --export OUT [--subsong N] [--channels] [--force] MODULE` asks for MODULE (its subsong
// N) saved as the audio file OUT, or each of its channels in a file named after OUT, replacing
// an existing OUT only with --force. Needs the application's name and version set.
struct TCommandLine {
  enum class TAction { Run, Export, ShowHelp, ShowVersion, Fail };

  TAction Action = TAction::Run;
  // Run: the modules of the files and folders given, and a line for each one left out.
  // Export: the one module.
  TModuleFiles Files;
  // Export: the audio file to write, in the file system's bytes.
  std::string ExportTo;
  // Export: the subsong to save, from 0.
  int32_t ExportSubsong = 0;
  // Export: an existing OUT may be replaced.
  bool ExportForce = false;
  // Export: one file for each channel, named after OUT.
  bool ExportChannels = false;
  // ShowHelp and ShowVersion: the text for standard output; Fail: the line for standard error.
  std::string Text;

  // `arguments` as main() gets them, the program first: the file system's bytes, so that a
  // file name that is not valid in the locale's encoding still names its file.
  static TCommandLine parse(const std::vector<std::string>& arguments);
};

#pragma once

#include <ostream>
#include <string>

// `vorka --export OUT MODULE`: saves the module's first subsong as an audio file without a
// display. Interrupt and termination signals cancel the export, which then leaves no file.
class TExportCommand {
public:
  // Exports `module` to `output` with the sound settings of the settings file, writing the
  // share done ("42 %") to `err` while it works when `showProgress`, and a line saying why on a
  // failure or cancellation. The program's exit status: 0 only when the file was written whole.
  static int run(const std::string& module, const std::string& output, std::ostream& err,
                 bool showProgress);
};

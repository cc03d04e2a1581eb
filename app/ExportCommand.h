#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// `vorka --export OUT [--subsong N] MODULE`: saves one subsong of the module as an audio file
// without a display. Interrupt and termination signals cancel the export, which then leaves no
// file.
class TExportCommand {
public:
  // Exports subsong `subsong` (from 0) of `module` to `output` with the sound settings of the
  // settings file, writing the share done ("42 %") to `err` while it works when `showProgress`,
  // and a line saying why on a failure or cancellation. The program's exit status: 0 only when
  // the file was written whole.
  static int run(const std::string& module, int32_t subsong, const std::string& output,
                 std::ostream& err, bool showProgress);
};

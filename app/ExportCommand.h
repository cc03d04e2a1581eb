#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// `vorka --export OUT [--subsong N] [--channels] [--force] MODULE`: saves one subsong of the
// module as an audio file (or each channel in a file named after it) without a display. Interrupt, termination and hang-up signals cancel the export,
// and a file grown past the size limit fails it; either way it leaves no file.
class TExportCommand {
public:
  // Exit statuses besides 0 (written whole).
  static constexpr int Failed = 1;  // failed or cancelled
  static constexpr int Refused = 2; // OUT is there and may not be replaced

  // Exports subsong `subsong` (from 0) of `module` to `output` (with `channels`, each channel to
  // a file named after it; the first of them is asked about) with the sound settings of the
  // settings file, writing the share done ("42 %") to `err` while it works when `showProgress`,
  // and a line saying why on a failure, cancellation or refusal. An existing `output` is
  // replaced only when `force`; the module itself and what is not a regular file never are.
  static int run(const std::string& module, int32_t subsong, const std::string& output, bool channels, bool force,
                 std::ostream& err, bool showProgress);
};

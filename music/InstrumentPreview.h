#pragma once

#include "music/midasdll.h"

#include <cstdint>
#include <string>

// Lets the user hear one instrument of a module file at a time: it sounds at C-5 on a voice of
// its own, over whatever plays, until it is asked for again or another one is. The file is
// loaded a second time for it, so the song that plays is not touched. Needs the sound library
// started; one thread at a time.
class TInstrumentPreview {
public:
  static constexpr int32_t kNote = 60; // C-5

  TInstrumentPreview() = default;
  // stop().
  ~TInstrumentPreview();
  TInstrumentPreview(const TInstrumentPreview&) = delete;
  TInstrumentPreview& operator=(const TInstrumentPreview&) = delete;

  // Sounds instrument `index` (from 0; samples for a module without instruments) of the module
  // at `path`, or stops it when it is the one sounding. False when it could not sound (the file
  // no longer loads, no such instrument), with the library's reason in `error`.
  bool toggle(const std::string& path, int32_t index, std::string& error);
  // Silences the instrument sounding, if any, and lets the file go.
  void stop();
  // The instrument sounding, or -1.
  int32_t sounding() const { return m_play ? m_index : -1; }

private:
  void silence();

  std::string m_path;
  MIDASmodule m_module = 0;
  MIDASmodulePlayHandle m_play = 0;
  int32_t m_index = -1;
};

#pragma once

#include <cstdint>

// The keys of the settings file "vorka.ini", with their sections and defaults.

struct TIntegerSetting {
  const char* Section;
  const char* Key;
  int32_t Default;
};

struct TTruthSetting {
  const char* Section;
  const char* Key;
  bool Default;
};

struct TTextSetting {
  const char* Section;
  const char* Key;
  const char* Default;
};

namespace settings {

// Mixing rate in Hz; the setup dialog offers 5000 to 44100.
inline constexpr TIntegerSetting MixRate{"midasoptions", "MIXRATE", 44100};
// 5 = 8 bit mono, 6 = 8 bit stereo, 9 = 16 bit mono, 10 = 16 bit stereo.
inline constexpr TIntegerSetting OutputMode{"midasoptions", "OUTPUTMODE", 10};
// 1 = high quality mixing, 0 = normal.
inline constexpr TIntegerSetting MixingMode{"midasoptions", "MIXINGMODE", 1};
// The name the game greets and enters in the high-score list.
inline constexpr TTextSetting PlayerName{"tetrisoptions", "PLAYERNAME", "Player1"};
// The game runs full screen (true) or in a window.
inline constexpr TTruthSetting FullScreen{"tetrisoptions", "FULLSCREEN", true};
// True until the settings have been saved once; the welcome message shows while it is.
inline constexpr TTruthSetting FirstTime{"generaloptions", "FIRSTTIME", true};
// The folder the playlist dialog last showed (the root of the system drive at first).
inline constexpr TTextSetting LastDir{"generaloptions", "LASTDIR", "/"};

} // namespace settings

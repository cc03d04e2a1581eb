#pragma once

#include <cstdint>
#include <limits>

// The keys of the settings file "vorka.ini", with their sections, defaults and, for numbers that
// have one, their range: a value outside it reads as the default.

struct TIntegerSetting {
  const char* Section;
  const char* Key;
  int32_t Default;
  int32_t Min = std::numeric_limits<int32_t>::min();
  int32_t Max = std::numeric_limits<int32_t>::max();

  // Whether `value` lies in the key's range.
  bool holds(int32_t value) const { return value >= Min && value <= Max; }
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

// Mixing rate in Hz, 5000 to 192000; the setup dialog offers 5000 to 44100.
inline constexpr TIntegerSetting MixRate{"midasoptions", "MIXRATE", 44100, 5000, 192000};
// 5 = 8 bit mono, 6 = 8 bit stereo, 9 = 16 bit mono, 10 = 16 bit stereo.
inline constexpr TIntegerSetting OutputMode{"midasoptions", "OUTPUTMODE", 10};
// 1 = high quality mixing, 0 = normal.
inline constexpr TIntegerSetting MixingMode{"midasoptions", "MIXINGMODE", 1};
// The name the game greets and enters in the high-score list.
inline constexpr TTextSetting PlayerName{"tetrisoptions", "PLAYERNAME", "Player1"};
// The game runs full screen (true) or in a window.
inline constexpr TTruthSetting FullScreen{"tetrisoptions", "FULLSCREEN", true};
// Held Left and Right in the game: ms from the press to the first repeat, and between repeats.
// With SOFTDROP (ms between the rows of a held Down) all at 100 the classic key rhythm holds.
inline constexpr TIntegerSetting KeyDelay{"tetrisoptions", "KEYDELAY", 100, 50, 500};
inline constexpr TIntegerSetting KeyRepeat{"tetrisoptions", "KEYREPEAT", 100, 10, 500};
inline constexpr TIntegerSetting SoftDrop{"tetrisoptions", "SOFTDROP", 100, 10, 500};
// The game shows the next brick, and where the falling brick will land.
inline constexpr TTruthSetting ShowNext{"tetrisoptions", "SHOWNEXT", false};
inline constexpr TTruthSetting ShowGhost{"tetrisoptions", "SHOWGHOST", false};
// The music's tempo follows the game's level and its backing the height of the pile.
inline constexpr TTruthSetting MusicFollows{"tetrisoptions", "MUSICFOLLOWS", false};
// True until the settings have been saved once; the welcome message shows while it is.
inline constexpr TTruthSetting FirstTime{"generaloptions", "FIRSTTIME", true};
// The folder the playlist dialog last showed (the root of the system drive at first).
inline constexpr TTextSetting LastDir{"generaloptions", "LASTDIR", "/"};
// The folder of the last export to an audio file; empty before the first.
inline constexpr TTextSetting ExportDir{"generaloptions", "EXPORTDIR", ""};
// The music's volume in percent, 0 to 100.
inline constexpr TIntegerSetting Volume{"soundoptions", "VOLUME", 100, 0, 100};
// What follows a song that has played through: 0 = repeat all, 1 = repeat one, 2 = no repeat.
inline constexpr TIntegerSetting Repeat{"soundoptions", "REPEAT", 0, 0, 2};
// The songs play shuffled (true) or in list order.
inline constexpr TTruthSetting Shuffle{"soundoptions", "SHUFFLE", false};
// Stereo separation in percent, 0 (mono) to 200.
inline constexpr TIntegerSetting StereoSeparation{"soundoptions", "STEREOSEPARATION", 100, 0, 200};
// Volume ramping: -1 = the sound library's default, 0 = off, 1 to 10 ever softer.
inline constexpr TIntegerSetting VolumeRamping{"soundoptions", "VOLUMERAMPING", -1, -1, 10};
// The Amiga resampler for Amiga modules: 0 = automatic, 1 = Amiga 500, 2 = Amiga 1200, 3 = off.
inline constexpr TIntegerSetting AmigaResampler{"soundoptions", "AMIGARESAMPLER", 0, 0, 3};
// Songs of known loudness are brought towards one loudness (true) or play as written.
inline constexpr TTruthSetting EvenLoudness{"soundoptions", "EVENLOUDNESS", true};
// A song whose known end is silent ends a second after its last sound (true) or plays it out.
inline constexpr TTruthSetting SkipSilentEnd{"soundoptions", "SKIPSILENTEND", true};
// How a song goes on at its end: 0 = it ends, 1 = loops for ever, 2 = LOOPS passes then a fade.
inline constexpr TIntegerSetting Loop{"soundoptions", "LOOP", 0, 0, 2};
// Passes before the fade, and the fade's seconds.
inline constexpr TIntegerSetting Loops{"soundoptions", "LOOPS", 2, 1, 9};
inline constexpr TIntegerSetting LoopFade{"soundoptions", "LOOPFADE", 10, 1, 60};
// Where the main window was, "left,top"; empty: centred on the screen.
inline constexpr TTextSetting MainWindowPlace{"windows", "MAIN", ""};
// Where the playlist dialog was and its size, "left,top,width,height"; empty: centred on the
// main window at its smallest size.
inline constexpr TTextSetting PlaylistPlace{"windows", "PLAYLIST", ""};
// Where the playlist window was and its size, "left,top,width,height"; empty: its first place.
inline constexpr TTextSetting SongsPlace{"windows", "SONGS", ""};
// Where the pattern view was and its size, "left,top,width,height"; empty: its first place.
inline constexpr TTextSetting PatternPlace{"windows", "PATTERN", ""};
// Where the module information dialog was and its size, "left,top,width,height"; empty: centred
// on the main window at its first size.
inline constexpr TTextSetting InfoPlace{"windows", "INFO", ""};

// The numbers that have a range.
inline constexpr const TIntegerSetting* Ranged[] = {&MixRate, &Volume, &Repeat, &StereoSeparation, &VolumeRamping,
                                                    &AmigaResampler, &Loop, &Loops, &LoopFade,
                                                    &KeyDelay, &KeyRepeat, &SoftDrop};

} // namespace settings

#pragma once

#include "music/LoudnessScan.h"
#include "music/ModuleDetails.h"
#include "music/PlayView.h"
#include "music/RenderOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The sound library: MIDAS-style calls that load tracker modules (mod, s3m, xm, it and the
// other formats libopenmpt decodes) and mix them in the background through SDL2 audio.
//
// Calling order: MIDASstartup, MIDASsetOption..., MIDASinit, MIDASstartBackgroundPlay; then
// modules are loaded, played, stopped and freed; at the end MIDASstopBackgroundPlay and
// MIDASclose. Every call is safe from any thread; the mixing itself runs on the output's thread
// (PulseAudio's or SDL's), which never waits for a caller: what takes time (a seek, a new
// position, channel mutes, render options, a subsong) is handed to it and done between two
// mixed blocks, and what is read afterwards shows it. A failing call returns 0 (or false) and
// stores an error code that MIDASgetLastError returns on the same thread.

// Handle of a loaded module; 0 means none or failure.
using MIDASmodule = uint32_t;
// Handle of a playing module; 0 means none or failure.
using MIDASmodulePlayHandle = uint32_t;

// Facts of a loaded module, 48 bytes.
struct ModuleInfo {
  char SongName[32];        // the title, cut to 31 bytes at a character boundary, zero-padded
  uint32_t SongLength;      // number of order positions, skip markers included
  uint32_t PatternCount;    // number of patterns
  uint32_t InstrumentCount; // instruments, or samples for a module without instruments
  uint32_t ChannelCount;    // number of channels
};
static_assert(sizeof(ModuleInfo) == 48);

// State of a playing module, 20 bytes.
struct PlayStatus {
  uint32_t Position;  // current order position, from 0
  uint32_t Pattern;   // pattern at that position
  uint32_t Row;       // row within the pattern
  uint32_t Speed;     // ticks per row
  uint32_t LoopCount; // how often the song has reached its end since it started
};
static_assert(sizeof(PlayStatus) == 20);

// Name of one instrument (or sample), 32 bytes.
struct InstrumentInfo {
  char InstrumentName[32]; // cut to 31 bytes at a character boundary, zero-terminated
};
static_assert(sizeof(InstrumentInfo) == 32);

// Options of MIDASsetOption. Values take effect at MIDASinit unless said otherwise.
enum : int {
  // Mixing rate in Hz, default 44100. Rates below 5000 play at 5000 and rates above 192000 at
  // 192000.
  MIDAS_OPTION_MIXRATE = 1,
  // Output mode, default MIDAS_MODE_16BIT_STEREO. Any value but the four modes below plays as
  // 16-bit stereo.
  MIDAS_OPTION_OUTPUTMODE = 2,
  // Output device selection of the original library (0 = let it choose). SDL always opens the
  // desktop's default device, so the value is accepted and has no effect.
  MIDAS_OPTION_DEVICE_MODE = 5,
  // Output filter of the original library (0 none, 1 less, 2 more, 3 automatic). libopenmpt's
  // interpolation leaves nothing to filter, so the value is accepted and has no effect.
  MIDAS_OPTION_FILTER_MODE = 10,
  // 1 = high quality mixing (libopenmpt's 8-tap interpolation filter), 0 = normal (linear
  // interpolation); default 1. Any other non-zero value counts as 1.
  MIDAS_OPTION_MIXING_MODE = 11,
  // The eight below take effect at once, on the modules that play too.
  // Stereo separation in percent: 0 (mono) to 200, default 100.
  MIDAS_OPTION_STEREO_SEPARATION = 20,
  // Volume ramping: -1 the library's default (the default), 0 off, 1 to 10 ever softer.
  MIDAS_OPTION_VOLUME_RAMPING = 21,
  // The Amiga resampler for Amiga modules: a TAmigaResampler value (0 automatic, the default).
  MIDAS_OPTION_AMIGA_RESAMPLER = 22,
  // 1 (the default) = songs of known loudness are brought towards one loudness, 0 = as written.
  MIDAS_OPTION_EVEN_LOUDNESS = 23,
  // 1 (the default) = a song whose known end is silent ends a second after its last sound.
  MIDAS_OPTION_SKIP_SILENT_END = 24,
  // How a song goes on at its end: a TLoopMode value (0 once, the default).
  MIDAS_OPTION_LOOP = 25,
  // With MIDAS_OPTION_LOOP 2: passes before the fade, 1 to 9 (default 2), and its seconds, 1 to 60
  // (default 10).
  MIDAS_OPTION_LOOPS = 26,
  MIDAS_OPTION_LOOP_FADE = 27,
};

// Output modes: 1 mono or 2 stereo, plus 4 for 8-bit or 8 for 16-bit samples.
enum : int {
  MIDAS_MODE_8BIT_MONO = 5,
  MIDAS_MODE_8BIT_STEREO = 6,
  MIDAS_MODE_16BIT_MONO = 9,
  MIDAS_MODE_16BIT_STEREO = 10,
};

// Error codes of MIDASgetLastError.
enum : int {
  MIDAS_ERROR_NONE = 0,
  MIDAS_ERROR_UNDEFINED = 1,
  MIDAS_ERROR_OUT_OF_MEMORY = 2,
  MIDAS_ERROR_INVALID_ARGUMENT = 3,
  MIDAS_ERROR_NOT_INITIALISED = 4,
  MIDAS_ERROR_ALREADY_INITIALISED = 5,
  MIDAS_ERROR_AUDIO_DEVICE = 6,
  MIDAS_ERROR_LOAD_MODULE = 7,
  MIDAS_ERROR_INVALID_MODULE = 8,
  MIDAS_ERROR_INVALID_PLAY_HANDLE = 9,
  MIDAS_ERROR_ALREADY_PLAYING = 10,
  MIDAS_ERROR_NOT_PLAYING_BACKGROUND = 11,
  MIDAS_ERROR_UNKNOWN_OPTION = 12,
};

// Resets every option to its default; changes nothing while the library is initialised.
bool MIDASstartup();

// Sets `option` (above) to `value`, bringing a value that makes no sense to the nearest one
// that does. False for an unknown option.
bool MIDASsetOption(int option, int32_t value);

// Opens the audio device with the current options, to learn that it can; it rests (and is
// closed a second later) until a module sounds. Fails when already initialised or when SDL cannot open a device ("Unable to
// open audio device: ..."); a later open that fails makes the call that needed it fail the
// same way. SDL's own handlers of SIGINT and SIGTERM are not installed: ending the program on
// a signal is the program's business.
bool MIDASinit();

// Starts mixing in the background. `pollRate` is accepted for compatibility: SDL's audio
// thread asks for data as the device needs it. The audio device runs only while a module can
// be heard (one plays, not paused) and is closed a second after the last one falls silent: a
// silent library asks nothing of the sound server.
bool MIDASstartBackgroundPlay(uint32_t pollRate);

// Stops mixing in the background; fails when background play is not running.
bool MIDASstopBackgroundPlay();

// Stops everything, frees every module and closes the audio device. Safe to call at any
// time, also twice; always true.
bool MIDASclose();

// Where the library learns how loud the subsongs of a module file are and where their sound ends:
// MIDASloadModule asks it, on its own thread, with the file's name and the module's format as
// libopenmpt names it ("xm"), before the module can play (see TMidasSong::setLevels); no levels
// means none are known. Empty (the default) for none; set it before modules load.
using MIDASlevelSource = std::function<std::vector<TSongLevel>(const std::string& fileName, const std::string& format)>;
void MIDASsetLevelSource(MIDASlevelSource source);

// Loads the module file at `fileName` (a path in the file system's bytes). Only a regular file
// of at most 512 MiB is read; a folder, pipe or device, or a larger file, is refused at once.
// 0 when the file cannot be read or is not a module ("Unable to load module: <cause>").
MIDASmodule MIDASloadModule(const char* fileName);

// Fills `info` with the facts of `module`.
bool MIDASgetModuleInfo(MIDASmodule module, ModuleInfo* info);

// Fills `details` with all `module` tells of itself.
bool MIDASgetModuleDetails(MIDASmodule module, TModuleDetails* details);

// Chooses which subsong of `module` plays, from 0 to the number of its subsongs less one; a new
// module has subsong 0. The module's duration is then that subsong's, and a play starts (and a
// looping song starts over) at that subsong's beginning; a module that plays goes there at once.
bool MIDASselectSubsong(MIDASmodule module, int32_t subsong);

// Fills `info` with the name of instrument `index` of `module`, counted from 0 below
// InstrumentCount.
bool MIDASgetInstrumentInfo(MIDASmodule module, int32_t index, InstrumentInfo* info);

// Starts `module` from its beginning. With `loopSong` the song starts over from its beginning
// each time it ends, so every pass is the whole song; without, it falls silent at the end.
// Needs MIDASinit; a module plays under one handle at a time.
MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, bool loopSong);

// Starts `module` right after the song playing under `playHandle` ends its pass: it waits,
// silent, and its first sample follows the other song's last, which then counts its pass as
// played (LoopCount) and neither loops nor sounds again. It does not loop itself. When the
// other song has already ended it starts at once; when that song is stopped first, it goes too.
// Stopping the other song once this one sounds leaves it playing on its own.
MIDASmodulePlayHandle MIDASplayModuleAfter(MIDASmodulePlayHandle playHandle, MIDASmodule module);

// Stops the module playing under `playHandle`; the handle is then no longer valid. What it was
// sounding fades out over about 5 ms from what is heard now (a song started right after cuts in
// as it fades).
bool MIDASstopModule(MIDASmodulePlayHandle playHandle);

// Whether the song playing under `playHandle` starts over at its end (as MIDASplayModule's
// `loopSong`).
bool MIDASsetLoopSong(MIDASmodulePlayHandle playHandle, bool loopSong);

// Holds the module playing under `playHandle` where it is, silent; the handle stays valid and
// its status and play time stay those of the moment it paused.
bool MIDASpauseModule(MIDASmodulePlayHandle playHandle);

// Continues a paused module from exactly where it paused.
bool MIDASresumeModule(MIDASmodulePlayHandle playHandle);

// Frees `module`, stopping it first if it plays.
bool MIDASfreeModule(MIDASmodule module);

// Fills `status` with the state of the module playing under `playHandle` as it is heard: the
// output holds what is mixed ahead (up to 0.6 s through PulseAudio), so a pass counts as played
// once its end is heard. A start, a jump of position or time and the end it may cause are heard
// at once.
bool MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, PlayStatus* status);

// Fills `seconds` with the play time of one pass of `module`'s song, from its start to its end.
bool MIDASgetModuleDuration(MIDASmodule module, double* seconds);

// Fills `seconds` with how far the song playing under `playHandle` is into its current pass as
// heard (see MIDASgetPlayStatus), from 0 to its duration.
bool MIDASgetPlayTime(MIDASmodulePlayHandle playHandle, double* seconds);

// Continues the song playing under `playHandle` `seconds` into its pass, to the sample; a time
// before the start or past the end goes to that end.
bool MIDASsetPlayTime(MIDASmodulePlayHandle playHandle, double seconds);

// The volume of all music in percent, from 0 (silent) to 100 (the modules as they are, the
// default); values outside are brought to the nearest end. It only ever attenuates, so the mix
// never clips, and takes effect at once, for modules started later too.
bool MIDASsetMasterVolume(int32_t percent);

// Continues playback at the first row of order `position`. A position at or past the song's
// length counts as the end of the song: the loop count goes up and a looping song starts
// over. A negative position fails.
bool MIDASsetPosition(MIDASmodulePlayHandle playHandle, int32_t position);

// Fills `view` with what is heard now: the place and channel loudness of the song that sounds
// from the output at this moment (not the one being mixed ahead of it), as it stood after the
// last block of at most 512 frames. False when nothing has been mixed since MIDASinit.
bool MIDASgetPlayView(TPlayView* view);

// Fills `text` with the text of pattern `pattern` of `module`; an empty text (0 rows) for a
// pattern the module does not have.
bool MIDASgetPatternText(MIDASmodule module, int32_t pattern, TPatternText* text);

// Silences the channels of `module` that `muted` marks (from channel 0; the channels past it are
// heard). Heard at once: what an output holds of a module that plays is mixed again from just
// after what it is sounding, with the new mutes, fading from the old sound into the new (an SDL
// device, which holds little, hears them after it). A play of the module starts with every
// channel heard.
bool MIDASsetChannelMutes(MIDASmodule module, const std::vector<bool>& muted);

// Plays every module, and every one loaded later, at `factor` times its tempo (0.25 to 4; 1 as
// written), the pitch unchanged; heard at once, as mutes are. Song times and lengths stay those
// of the modules as written (they pass faster while the tempo is up).
bool MIDASsetTempoFactor(double factor);

// Plays every channel but the first of every module, and of every one loaded later, at `volume`
// (0 to 1; 1 as written) times its own volume; heard at once, as mutes are.
bool MIDASsetBackingVolume(double volume);

// Sounds instrument `instrument` of `module` (from 0; samples for a module without
// instruments) at `note` (0 to 119, 60 = C-5) on a voice of its own, mixed over whatever else
// plays, until the returned play is stopped with MIDASstopModule. `module` must not be playing
// already; a second module loaded from the same file serves while the first plays.
MIDASmodulePlayHandle MIDASplayInstrument(MIDASmodule module, int32_t instrument, int32_t note);

// Fills `reason` with why nothing is heard though modules play: the sound server has gone (killed
// or restarted). The library looks for it again every half second, and once it answers the
// music goes on from what was heard last; meanwhile the play time stands still. Empty while the
// sound goes out.
bool MIDASgetOutputProblem(std::string* reason);

// The code of the last failure of a call on this thread.
int MIDASgetLastError();

// A short English text for `errorCode`; for the last failure on this thread it also names the
// cause, e.g. "Unable to load module: No such file or directory".
std::string MIDASgetErrorMessage(int errorCode);

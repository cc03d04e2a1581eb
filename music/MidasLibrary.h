#pragma once

#include "music/MidasMixer.h"
#include "music/MidasSong.h"
#include "music/MidasErrors.h"
#include "music/MixCommands.h"
#include "music/PlayViewRing.h"
#include "music/RenderOptions.h"
#include "music/SoundOutput.h"
#include "music/midasdll.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// The state of the sound library behind the MIDAS calls, and what the calls share: finding
// modules and plays, handing commands to the mixing thread, and keeping the output in step with
// what can be heard.

namespace midas {

// The options of MIDASsetOption that take effect at MIDASinit.
struct Options {
  int32_t mixRate = 44100;
  int32_t outputMode = MIDAS_MODE_16BIT_STEREO;
  int32_t deviceMode = 0;
  int32_t filterMode = 0;
  int32_t mixingMode = 1;
};

// One playing module: its module and the play it follows (0: none).
struct Play {
  MIDASmodule module = 0;
  MIDASmodulePlayHandle after = 0;
};

// What the mix has to make of a change: a song that starts from its beginning cuts in as the
// sound before it fades out; a jump within the music fades one into the other.
enum class TJump { None, Start, Within };

// The library's state. Two locks, always taken in this order and never the second around a
// call of the output: `api` serialises the calls that create, run, rest and end the output;
// `mix` guards modules and play handles against the output's thread, which mixes under it
// while it holds locks of its own (so holding `mix` around a call of the output could
// deadlock). A caller holds `mix` only to look a handle up or to start, stop or pause a play;
// what takes longer (seeks, mutes, render options, subsongs) is a command that the mixing
// thread runs between two blocks.
struct Library {
  std::mutex api;
  std::mutex mix;
  Options options;
  bool initialised = false;
  // Straight to a PulseAudio server when one answers; through SDL's device otherwise.
  std::unique_ptr<TSoundOutput> output;
  bool background = false;
  std::unique_ptr<TMidasMixer> mixer;
  std::map<MIDASmodule, std::unique_ptr<TMidasSong>> modules;
  std::map<MIDASmodulePlayHandle, Play> plays;
  std::vector<TMidasSong*> playing;
  TMixCommands commands;
  bool mixing = false; // the output runs, so its thread takes the commands (under `api`)
  TJump jump = TJump::None; // since the last block (under `mix`)
  // Plays that a queued command puts elsewhere, once for each (under `mix`).
  std::multiset<MIDASmodulePlayHandle> moving;
  // Modules that a queued command gives another subsong, once for each (under `mix`).
  std::multiset<MIDASmodule> selecting;
  std::atomic<int64_t> longestWaitNs{0}; // of the mixing thread for `mix`
  // What was heard block by block, by the output frame that ends each block.
  TPlayViewRing views;
  std::atomic<uint64_t> mixedFrames{0};
  TRenderOptions render; // the mixing mode's filter from MIDASinit on
  double tempo = 1;      // every module's tempo factor (under `mix`)
  double backing = 1;    // the volume of every module's channels but the first (under `mix`)
  MIDASlevelSource levels; // (under `mix`)
  int32_t volume = 100;
  uint32_t lastModule = 0;
  uint32_t lastPlay = 0;
};

// How the output follows a change of what plays: holding what it has mixed ahead (a pause, a
// song queued to follow), or mixing again from what is heard now (a song started or stopped).
enum class TFollow { Hold, Rewrite };

// Never destroyed: SDL's audio thread may still reach it while the process exits.
Library& library();

// The songs the mixer renders: those that play, are not paused and are not reached through the
// song they follow (waiting for it to end, or rendered by it since it did).
void rebuildPlaying(Library& lib);

// Ends the play `handle`: a song waiting to follow it goes with it; one that has begun plays on
// by itself, and the song it follows no longer leads to it.
void removePlay(Library& lib, MIDASmodulePlayHandle handle);

// The song of `module`, or of the play `handle` below; null for an unknown handle. Need the mix
// lock.
TMidasSong* findModule(Library& lib, MIDASmodule module);
TMidasSong* findPlay(Library& lib, MIDASmodulePlayHandle handle);

// A fresh non-zero handle that `taken` does not hold.
template <typename Map> uint32_t nextHandle(uint32_t& last, const Map& taken) {
  do {
    ++last;
  } while (last == 0 || taken.count(last));
  return last;
}

// Runs `use` (which returns whether it succeeded) on the song of `module` under the mix lock;
// an unknown module fails.
template <typename Use>
bool onModule(Library& lib, MIDASmodule module, Use&& use) {
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findModule(lib, module);
  return song ? use(*song) : fail(MIDAS_ERROR_INVALID_MODULE);
}

// The same for the song that play `handle` plays.
template <typename Use>
bool onPlay(Library& lib, MIDASmodulePlayHandle handle, Use&& use) {
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, handle);
  return song ? use(*song) : fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
}

// Runs the commands posted so far; needs the mix lock.
void runCommands(Library& lib);

// The mix lock for the mixing thread, noting how long it waited for it.
std::unique_lock<std::mutex> lockForMixing(Library& lib);

// Before each mixed block: the commands waiting, and a fade over whatever jumped.
void beforeBlock(Library& lib);

// The output's thread: takes the commands waiting and, when `most` > 0, mixes again from up to
// `most` frames back (see TSoundOutput::TRewind). Every playing song goes back to where it
// stood there, so that a command is heard from there on.
std::size_t rewindMix(Library& lib, std::size_t most);

// Queues `command` for the mixing thread and has the output take it soon (`rewrite`: heard at
// once); while the output rests, nothing mixes and the command runs here.
void postToMix(Library& lib, TMixCommands::TCommand command, bool rewrite);

// The format the options ask the output for.
TOutputFormat outputFormat(const Options& o);

// After each mixed block: counts its frames, notes where each playing song stands at its end
// and what the song heard in it looks like. Runs under the mix lock, on the thread that mixes.
void noteBlock(Library& lib, std::size_t frames);

// The output frame being heard now: what was mixed less what the output holds. Needs the api
// lock, and not the mix lock.
uint64_t heardFrame(Library& lib);

// Runs the output while a song can be heard, and rests it otherwise. A stop that leaves nothing
// to hear fades out at once and then rests the output, which drops what it holds. Needs the api
// lock, and not the mix lock.
bool updateOutput(Library& lib, TFollow follow = TFollow::Hold);

// PulseAudio is spoken to directly unless SDL was asked for another driver (the tests' dummy
// and disk drivers, or ALSA).
bool wantsPulseAudio();

// Brings the output in line with what can be heard after a change (see updateOutput).
bool outputFollows(Library& lib, TFollow follow = TFollow::Hold);

// Whether `song` sounds in the mix by itself, so that its end is a jump in what is heard (not
// once its follower has taken over, which sounds on as it is).
bool soundsItself(const Library& lib, const TMidasSong* song);

// After a song that sounded itself has gone: its sound fades out from what is heard now.
TFollow afterStop(Library& lib, bool sounded);

// When `pending` (asked under the mix lock) says that a command still to run changes what is
// about to be read, waits until the commands posted so far have run, for kLongest at most (what
// is read then is what was heard before them); while nothing mixes, this thread runs them.
template <typename Pending> void settle(Library& lib, Pending&& pending) {
  constexpr std::chrono::milliseconds kLongest{250};
  const uint64_t ticket = lib.commands.lastTicket();
  if (lib.commands.ran(ticket)) return;
  {
    std::lock_guard mixLock(lib.mix);
    if (!pending()) return;
  }
  bool mixing;
  {
    std::lock_guard apiLock(lib.api);
    mixing = lib.output && lib.mixing;
  }
  if (mixing) {
    lib.commands.waitFor(ticket, kLongest);
    return;
  }
  std::lock_guard mixLock(lib.mix);
  runCommands(lib);
}

} // namespace midas

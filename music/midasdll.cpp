#include "music/midasdll.h"

#include "music/MidasErrors.h"
#include "music/MidasMixer.h"
#include "music/MidasSong.h"
#include "music/MixCommands.h"
#include "music/MixLockWaits.h"
#include "music/PlayViewRing.h"
#include "music/PulseOutput.h"
#include "music/SdlOutput.h"
#include "platform/utf8.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

using midas::fail;

namespace {

constexpr int32_t kMinRate = 5000;
constexpr int32_t kMaxRate = 192000;

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
  int32_t volume = 100;
  uint32_t lastModule = 0;
  uint32_t lastPlay = 0;
};

// Never destroyed: SDL's audio thread may still reach it while the process exits.
Library& library() {
  static Library* instance = new Library;
  return *instance;
}

// A fresh non-zero handle that `taken` does not hold.
template <typename Map> uint32_t nextHandle(uint32_t& last, const Map& taken) {
  do {
    ++last;
  } while (last == 0 || taken.count(last));
  return last;
}

// The songs the mixer renders: those that play, are not paused and are not reached through the
// song they follow (waiting for it to end, or rendered by it since it did).
void rebuildPlaying(Library& lib) {
  lib.playing.clear();
  for (const auto& [handle, play] : lib.plays) {
    TMidasSong* song = lib.modules[play.module].get();
    if (song->paused() || song->waiting() || (play.after && lib.plays.count(play.after))) continue;
    lib.playing.push_back(song);
  }
}

// Ends the play `handle`: a song waiting to follow it goes with it; one that has begun plays on
// by itself, and the song it follows no longer leads to it.
void removePlay(Library& lib, MIDASmodulePlayHandle handle) {
  auto it = lib.plays.find(handle);
  if (it == lib.plays.end()) return;
  const Play play = it->second;
  lib.plays.erase(it);
  TMidasSong* song = lib.modules[play.module].get();
  song->stop();
  if (play.after && lib.plays.count(play.after)) lib.modules[lib.plays[play.after].module]->follow(nullptr);
  std::vector<MIDASmodulePlayHandle> followers;
  for (const auto& [other, next] : lib.plays)
    if (next.after == handle && lib.modules[next.module]->waiting()) followers.push_back(other);
  for (MIDASmodulePlayHandle follower : followers) removePlay(lib, follower);
}

TMidasSong* findModule(Library& lib, MIDASmodule module) {
  auto it = lib.modules.find(module);
  return it == lib.modules.end() ? nullptr : it->second.get();
}

TMidasSong* findPlay(Library& lib, MIDASmodulePlayHandle handle) {
  auto it = lib.plays.find(handle);
  return it == lib.plays.end() ? nullptr : findModule(lib, it->second.module);
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
void runCommands(Library& lib) {
  if (lib.commands.run()) rebuildPlaying(lib);
}

// The mix lock for the mixing thread, noting how long it waited for it.
std::unique_lock<std::mutex> lockForMixing(Library& lib) {
  const auto asked = std::chrono::steady_clock::now();
  std::unique_lock lock(lib.mix);
  const int64_t waited =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - asked).count();
  int64_t longest = lib.longestWaitNs.load();
  while (waited > longest && !lib.longestWaitNs.compare_exchange_weak(longest, waited)) {
  }
  return lock;
}

// Before each mixed block: the commands waiting, and a fade over whatever jumped.
void beforeBlock(Library& lib) {
  runCommands(lib);
  if (lib.jump != TJump::None && lib.mixer) lib.mixer->jump(lib.jump == TJump::Within);
  lib.jump = TJump::None;
}

// The output's thread: takes the commands waiting and, when `most` > 0, mixes again from up to
// `most` frames back (see TSoundOutput::TRewind). Every playing song goes back to where it
// stood there, so that a command is heard from there on.
std::size_t rewindMix(Library& lib, std::size_t most) {
  auto lock = lockForMixing(lib);
  if (!lib.mixer) return 0;
  std::size_t frames = most ? lib.mixer->rewindPoint(most) : 0;
  if (!std::all_of(lib.playing.begin(), lib.playing.end(), [](const TMidasSong* song) { return song->canGoBack(); }))
    frames = 0;
  const uint64_t back = lib.mixedFrames - frames;
  if (frames > 0)
    for (const auto& [handle, play] : lib.plays) {
      TMidasSong* song = lib.modules[play.module].get();
      const bool mixed = std::find(lib.playing.begin(), lib.playing.end(), song) != lib.playing.end();
      if (mixed && !lib.moving.count(handle))
        song->goBackTo(back, lib.mixer->format().rate, lib.mixer->format().channels);
    }
  runCommands(lib);
  if (frames == 0) return 0;
  lib.mixer->rewind(frames, lib.jump != TJump::Start);
  lib.jump = TJump::None;
  lib.views.dropAfter(back);
  lib.mixedFrames = back;
  return frames;
}

// Queues `command` for the mixing thread and has the output take it soon (`rewrite`: heard at
// once); while the output rests, nothing mixes and the command runs here.
void postToMix(Library& lib, TMixCommands::TCommand command, bool rewrite) {
  lib.commands.post(std::move(command));
  std::lock_guard apiLock(lib.api);
  if (lib.output && lib.mixing) return lib.output->wake(rewrite);
  std::lock_guard mixLock(lib.mix);
  runCommands(lib);
}

// When `pending` (asked under the mix lock) says that a command still to run changes what is
// about to be read, waits until the commands posted so far have run; an output that does not
// take them in time (a stalled server) leaves them to this thread.
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
  if (mixing && lib.commands.waitFor(ticket, kLongest)) return;
  std::lock_guard mixLock(lib.mix);
  runCommands(lib);
}

TOutputFormat outputFormat(const Options& o) {
  TOutputFormat f;
  f.rate = o.mixRate;
  f.channels = (o.outputMode & 2) ? 2 : 1;
  f.bits = (o.outputMode & 4) ? 8 : 16;
  return f;
}

// After each mixed block: counts its frames, notes where each playing song stands at its end
// and what the song heard in it looks like. Runs under the mix lock, on the thread that mixes.
void noteBlock(Library& lib, std::size_t frames) {
  const uint64_t end = lib.mixedFrames += frames;
  for (TMidasSong* song : lib.playing) song->noteMixed(end);
  auto heard = std::find_if(lib.playing.begin(), lib.playing.end(),
                            [](const TMidasSong* song) { return !song->preview(); });
  TPlayView view;
  if (heard != lib.playing.end()) (*heard)->sounding().fillView(view);
  lib.views.publish(view, end);
}

// The output frame being heard now: what was mixed less what the output holds. Needs the api
// lock, and not the mix lock.
uint64_t heardFrame(Library& lib) {
  const uint64_t mixed = lib.mixedFrames;
  if (!lib.output || !lib.mixer) return mixed;
  const auto ahead = static_cast<uint64_t>(lib.output->latencySeconds() * lib.mixer->format().rate);
  return mixed > ahead ? mixed - ahead : 0;
}

// How the output follows a change of what plays: holding what it has mixed ahead (a pause, a
// song queued to follow), or mixing again from what is heard now (a song started or stopped).
enum class TFollow { Hold, Rewrite };

// Runs the output while a song can be heard, and rests it otherwise. A stop that leaves nothing
// to hear fades out at once and then rests the output, which drops what it holds. Needs the api
// lock, and not the mix lock.
bool updateOutput(Library& lib, TFollow follow = TFollow::Hold) {
  bool audible;
  {
    std::lock_guard mixLock(lib.mix);
    audible = lib.initialised && lib.background && !lib.playing.empty();
  }
  if (!lib.output) return true;
  if (follow == TFollow::Rewrite && !audible) {
    lib.output->fadeOut();
    lib.mixing = false;
    return true;
  }
  std::string why;
  const bool ran = lib.output->setRunning(audible, why);
  lib.mixing = ran && audible;
  if (follow == TFollow::Rewrite && lib.mixing) lib.output->wake(true);
  return ran || fail(MIDAS_ERROR_AUDIO_DEVICE, why);
}

// PulseAudio is spoken to directly unless SDL was asked for another driver (the tests' dummy
// and disk drivers, or ALSA).
bool wantsPulseAudio() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  return !driver || !*driver || std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0;
}

bool isOutputMode(int32_t mode) {
  return mode == MIDAS_MODE_8BIT_MONO || mode == MIDAS_MODE_8BIT_STEREO ||
         mode == MIDAS_MODE_16BIT_MONO || mode == MIDAS_MODE_16BIT_STEREO;
}

// The command that renders every loaded module as `render` says.
TMixCommands::TCommand applyRender(Library& lib, TRenderOptions render) {
  return [&lib, render] {
    for (const auto& [handle, song] : lib.modules) song->setRenderOptions(render);
  };
}

// Sets one of the options that take effect at once, and applies it to every loaded module.
bool setRenderOption(Library& lib, int option, int32_t value) {
  TRenderOptions render;
  {
    std::lock_guard lock(lib.mix);
    render = lib.render;
    if (option == MIDAS_OPTION_STEREO_SEPARATION) render.StereoSeparation = std::clamp(value, 0, 200);
    if (option == MIDAS_OPTION_VOLUME_RAMPING) render.VolumeRamping = std::clamp(value, -1, 10);
    if (option == MIDAS_OPTION_AMIGA_RESAMPLER)
      render.Amiga = static_cast<TAmigaResampler>(std::clamp(value, 0, 3));
    if (render == lib.render) return true;
    lib.render = render;
  }
  postToMix(lib, applyRender(lib, render), true);
  return true;
}

} // namespace

bool MIDASstartup() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (lib.initialised) return true;
  lib.options = Options{};
  std::lock_guard mixLock(lib.mix);
  lib.render = TRenderOptions{};
  return true;
}

bool MIDASsetOption(int option, int32_t value) {
  Library& lib = library();
  std::unique_lock lock(lib.api);
  Options& o = lib.options;
  switch (option) {
  case MIDAS_OPTION_MIXRATE: o.mixRate = std::clamp(value, kMinRate, kMaxRate); return true;
  case MIDAS_OPTION_OUTPUTMODE:
    o.outputMode = isOutputMode(value) ? value : MIDAS_MODE_16BIT_STEREO;
    return true;
  case MIDAS_OPTION_DEVICE_MODE: o.deviceMode = value; return true;
  case MIDAS_OPTION_FILTER_MODE: o.filterMode = value; return true;
  case MIDAS_OPTION_MIXING_MODE: o.mixingMode = value != 0 ? 1 : 0; return true;
  case MIDAS_OPTION_STEREO_SEPARATION:
  case MIDAS_OPTION_VOLUME_RAMPING:
  case MIDAS_OPTION_AMIGA_RESAMPLER:
    lock.unlock();
    return setRenderOption(lib, option, value);
  default: return fail(MIDAS_ERROR_UNKNOWN_OPTION, std::to_string(option));
  }
}

bool MIDASinit() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (lib.initialised) return fail(MIDAS_ERROR_ALREADY_INITIALISED);

  TOutputFormat format = outputFormat(lib.options);
  {
    std::lock_guard mixLock(lib.mix);
    lib.mixer = std::make_unique<TMidasMixer>(format);
    lib.mixer->setBlockHook([&lib] { beforeBlock(lib); });
    lib.mixer->setBlockObserver([&lib](std::size_t frames) { noteBlock(lib, frames); });
    lib.views.clear();
    lib.mixedFrames = 0;
    lib.mixer->setVolume(lib.volume);
    lib.render.InterpolationTaps = lib.options.mixingMode ? 8 : 2;
    for (const auto& [handle, song] : lib.modules) song->setRenderOptions(lib.render);
  }
  const TSoundOutput::TFill fill = [&lib](uint8_t* out, std::size_t bytes) {
    auto mixLock = lockForMixing(lib);
    if (lib.mixer) lib.mixer->mix(lib.playing, out, bytes);
  };
  if (wantsPulseAudio())
    lib.output = TPulseOutput::open(format, fill, [&lib](std::size_t most) { return rewindMix(lib, most); });
  if (!lib.output) {
    std::string why;
    lib.output = TSdlOutput::open(format, fill, why);
    if (!lib.output) return fail(MIDAS_ERROR_AUDIO_DEVICE, why);
  }
  lib.initialised = true;
  // An output with a volume of its own makes it heard at once, whatever it holds.
  if (lib.output->setVolume(lib.volume)) {
    std::lock_guard mixLock(lib.mix);
    lib.mixer->setVolume(100);
  }
  return updateOutput(lib);
}

bool MIDASstartBackgroundPlay(uint32_t) {
  Library& lib = library();
  std::unique_lock lock(lib.api);
  if (!lib.initialised) return fail(MIDAS_ERROR_NOT_INITIALISED);
  lib.background = true;
  return updateOutput(lib);
}

bool MIDASstopBackgroundPlay() {
  Library& lib = library();
  std::unique_lock lock(lib.api);
  if (!lib.initialised) return fail(MIDAS_ERROR_NOT_INITIALISED);
  if (!lib.background) return fail(MIDAS_ERROR_NOT_PLAYING_BACKGROUND);
  lib.background = false;
  return updateOutput(lib);
}

bool MIDASclose() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  lib.output.reset();
  lib.initialised = false;
  lib.background = false;
  lib.mixing = false;
  std::lock_guard mixLock(lib.mix);
  runCommands(lib);
  lib.plays.clear();
  lib.playing.clear();
  lib.modules.clear();
  lib.mixer.reset();
  return true;
}

MIDASmodule MIDASloadModule(const char* fileName) {
  if (!fileName) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  std::unique_ptr<TMidasSong> song;
  try {
    song = TMidasSong::fromFile(fileName);
  } catch (const std::bad_alloc&) {
    return fail(MIDAS_ERROR_OUT_OF_MEMORY);
  } catch (const std::exception& e) {
    return fail(MIDAS_ERROR_LOAD_MODULE, e.what());
  }
  Library& lib = library();
  TRenderOptions render;
  {
    std::lock_guard lock(lib.mix);
    render = lib.render;
  }
  // Set before the mixing thread can reach the song, so that it never waits for this.
  song->setRenderOptions(render);
  std::lock_guard lock(lib.mix);
  MIDASmodule handle = nextHandle(lib.lastModule, lib.modules);
  song->setHandle(handle);
  lib.modules[handle] = std::move(song);
  // Options changed while it loaded: the mix renders it as they are now before it plays.
  if (!(render == lib.render)) lib.commands.post(applyRender(lib, lib.render));
  return handle;
}

bool MIDASgetModuleInfo(MIDASmodule module, ModuleInfo* info) {
  if (!info) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return onModule(library(), module, [&](TMidasSong& song) { *info = song.info(); return true; });
}

bool MIDASgetModuleDetails(MIDASmodule module, TModuleDetails* details) {
  if (!details) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return onModule(library(), module, [&](TMidasSong& song) { *details = song.details(); return true; });
}

bool MIDASselectSubsong(MIDASmodule module, int32_t subsong) {
  Library& lib = library();
  bool plays = false;
  const bool known = onModule(lib, module, [&](TMidasSong& song) {
    if (subsong < 0 || subsong >= static_cast<int32_t>(song.details().Subsongs.size()))
      return fail(MIDAS_ERROR_INVALID_ARGUMENT, "no subsong " + std::to_string(subsong));
    plays = song.playing();
    lib.selecting.insert(module);
    return true;
  });
  if (!known) return false;
  postToMix(
      lib,
      [&lib, module, subsong] {
        lib.selecting.erase(lib.selecting.find(module));
        if (TMidasSong* song = findModule(lib, module)) {
          song->selectSubsong(subsong);
          if (song->playing()) lib.jump = TJump::Within;
        }
      },
      plays);
  return true;
}

bool MIDASgetInstrumentInfo(MIDASmodule module, int32_t index, InstrumentInfo* info) {
  if (!info) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return onModule(library(), module, [&](TMidasSong& song) {
    const auto& names = song.instrumentNames();
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
      return fail(MIDAS_ERROR_INVALID_ARGUMENT, "no instrument " + std::to_string(index));
    std::string name = Utf8Prefix(names[index], sizeof info->InstrumentName - 1);
    std::memset(info->InstrumentName, 0, sizeof info->InstrumentName);
    std::memcpy(info->InstrumentName, name.data(), name.size());
    return true;
  });
}

namespace {

// Brings the output in line with what can be heard after a change (see updateOutput).
bool outputFollows(Library& lib, TFollow follow = TFollow::Hold) {
  std::lock_guard lock(lib.api);
  return updateOutput(lib, follow);
}

// A note for a preview: the instrument and the note.
struct PreviewNote {
  int32_t instrument;
  int32_t note;
};

// Starts `module` under a new handle, following `after` when that is not 0; as a preview of
// `preview`'s note when given.
MIDASmodulePlayHandle startPlay(MIDASmodule module, bool loopSong, MIDASmodulePlayHandle after,
                                std::optional<PreviewNote> preview = {}) {
  Library& lib = library();
  MIDASmodulePlayHandle handle = 0;
  TMidasSong* before = nullptr;
  {
    std::lock_guard lock(lib.mix);
    if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
    TMidasSong* song = findModule(lib, module);
    if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
    if (song->playing()) return fail(MIDAS_ERROR_ALREADY_PLAYING);
    before = after ? findPlay(lib, after) : nullptr;
    if (after && !before) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
    if (preview) {
      try {
        song->startPreview(preview->instrument, preview->note);
      } catch (const std::out_of_range& e) {
        song->stop();
        return fail(MIDAS_ERROR_INVALID_ARGUMENT, e.what());
      }
    } else {
      song->start(loopSong);
    }
    if (before) before->follow(song);
    handle = nextHandle(lib.lastPlay, lib.plays);
    lib.plays[handle] = Play{module, after};
    rebuildPlaying(lib);
    if (!before) lib.jump = TJump::Start;
  }
  // A song that starts now is heard now; one that follows waits for its turn.
  if (outputFollows(lib, before ? TFollow::Hold : TFollow::Rewrite)) return handle;
  const int code = MIDASgetLastError();
  const std::string text = MIDASgetErrorMessage(code);
  MIDASstopModule(handle);
  midas::restoreLastError(code, text);
  return 0;
}

bool setPaused(MIDASmodulePlayHandle playHandle, bool paused) {
  Library& lib = library();
  return onPlay(lib, playHandle, [&](TMidasSong& song) {
           song.setPaused(paused);
           rebuildPlaying(lib);
           return true;
         }) &&
         outputFollows(lib);
}

} // namespace

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, bool loopSong) {
  return startPlay(module, loopSong, 0);
}

MIDASmodulePlayHandle MIDASplayModuleAfter(MIDASmodulePlayHandle playHandle, MIDASmodule module) {
  if (!playHandle) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  return startPlay(module, false, playHandle);
}

namespace {

// Whether `song` sounds in the mix by itself, so that its end is a jump in what is heard (not
// once its follower has taken over, which sounds on as it is).
bool soundsItself(const Library& lib, const TMidasSong* song) {
  return song->canGoBack() && std::find(lib.playing.begin(), lib.playing.end(), song) != lib.playing.end();
}

// After a song that sounded itself has gone: its sound fades out from what is heard now.
TFollow afterStop(Library& lib, bool sounded) {
  if (!sounded) return TFollow::Hold;
  if (lib.jump == TJump::None) lib.jump = TJump::Within;
  return TFollow::Rewrite;
}

} // namespace

bool MIDASstopModule(MIDASmodulePlayHandle playHandle) {
  Library& lib = library();
  TFollow follow;
  {
    std::lock_guard lock(lib.mix);
    TMidasSong* song = findPlay(lib, playHandle);
    if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
    const bool sounded = soundsItself(lib, song);
    removePlay(lib, playHandle);
    rebuildPlaying(lib);
    follow = afterStop(lib, sounded);
  }
  return outputFollows(lib, follow);
}

bool MIDASpauseModule(MIDASmodulePlayHandle playHandle) { return setPaused(playHandle, true); }

bool MIDASresumeModule(MIDASmodulePlayHandle playHandle) { return setPaused(playHandle, false); }

bool MIDASsetLoopSong(MIDASmodulePlayHandle playHandle, bool loopSong) {
  return onPlay(library(), playHandle, [&](TMidasSong& song) { song.setLoop(loopSong); return true; });
}

bool MIDASsetPlayTime(MIDASmodulePlayHandle playHandle, double seconds) {
  Library& lib = library();
  const bool valid = onPlay(lib, playHandle, [&](TMidasSong&) {
    if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
    if (std::isnan(seconds)) return fail(MIDAS_ERROR_INVALID_ARGUMENT, "no time");
    lib.moving.insert(playHandle);
    return true;
  });
  if (!valid) return false;
  postToMix(
      lib,
      [&lib, playHandle, seconds] {
        lib.moving.erase(lib.moving.find(playHandle));
        TMidasSong* song = findPlay(lib, playHandle);
        if (!song || !lib.mixer) return;
        song->seek(seconds, lib.mixer->format().rate, lib.mixer->format().channels);
        lib.jump = TJump::Within;
      },
      true);
  return true;
}

bool MIDASsetMasterVolume(int32_t percent) {
  Library& lib = library();
  std::lock_guard apiLock(lib.api);
  const int32_t volume = std::clamp(percent, 0, 100);
  // An output's own volume is heard at once rather than after what it holds; the mix then
  // stays as the modules are.
  const bool atOutput = lib.output && lib.output->setVolume(volume);
  std::lock_guard lock(lib.mix);
  lib.volume = volume;
  if (lib.mixer) lib.mixer->setVolume(atOutput ? 100 : volume);
  return true;
}

bool MIDASfreeModule(MIDASmodule module) {
  Library& lib = library();
  TFollow follow;
  {
    std::lock_guard lock(lib.mix);
    TMidasSong* song = findModule(lib, module);
    if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
    const bool sounded = soundsItself(lib, song);
    std::vector<MIDASmodulePlayHandle> handles;
    for (const auto& [handle, play] : lib.plays)
      if (play.module == module) handles.push_back(handle);
    for (MIDASmodulePlayHandle handle : handles) removePlay(lib, handle);
    lib.modules.erase(module);
    if (handles.empty()) return true;
    rebuildPlaying(lib);
    follow = afterStop(lib, sounded);
  }
  return outputFollows(lib, follow);
}

bool MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, PlayStatus* status) {
  if (!status) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  settle(lib, [&] { return lib.moving.count(playHandle) > 0; });
  std::lock_guard apiLock(lib.api);
  const uint64_t heard = heardFrame(lib);
  return onPlay(lib, playHandle, [&](TMidasSong& song) { *status = song.status(heard); return true; });
}

bool MIDASgetModuleDuration(MIDASmodule module, double* seconds) {
  if (!seconds) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  settle(lib, [&] { return lib.selecting.count(module) > 0; });
  return onModule(lib, module, [&](TMidasSong& song) { *seconds = song.duration(); return true; });
}

bool MIDASgetPlayTime(MIDASmodulePlayHandle playHandle, double* seconds) {
  if (!seconds) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  settle(lib, [&] { return lib.moving.count(playHandle) > 0; });
  std::lock_guard apiLock(lib.api);
  const uint64_t heard = heardFrame(lib);
  return onPlay(lib, playHandle, [&](TMidasSong& song) { *seconds = song.playTime(heard); return true; });
}

bool MIDASsetPosition(MIDASmodulePlayHandle playHandle, int32_t position) {
  if (position < 0) return fail(MIDAS_ERROR_INVALID_ARGUMENT, "negative position");
  Library& lib = library();
  if (!onPlay(lib, playHandle, [&](TMidasSong&) { return lib.moving.insert(playHandle), true; })) return false;
  postToMix(
      lib,
      [&lib, playHandle, position] {
        lib.moving.erase(lib.moving.find(playHandle));
        TMidasSong* song = findPlay(lib, playHandle);
        if (!song) return;
        song->setPosition(position);
        lib.jump = TJump::Within;
      },
      true);
  return true;
}

bool MIDASgetPlayView(TPlayView* view) {
  if (!view) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard apiLock(lib.api);
  if (!lib.initialised || !lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
  std::optional<TPlayView> heard = lib.views.at(heardFrame(lib));
  if (!heard) return fail(MIDAS_ERROR_UNDEFINED, "nothing has been heard yet");
  *view = *heard;
  return true;
}

bool MIDASgetPatternText(MIDASmodule module, int32_t pattern, TPatternText* text) {
  if (!text) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return onModule(library(), module, [&](TMidasSong& song) { *text = song.patternText(pattern); return true; });
}

bool MIDASsetChannelMutes(MIDASmodule module, const std::vector<bool>& muted) {
  Library& lib = library();
  bool heard = false;
  {
    std::lock_guard lock(lib.mix);
    TMidasSong* song = findModule(lib, module);
    if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
    heard = std::find(lib.playing.begin(), lib.playing.end(), song) != lib.playing.end();
  }
  // Heard at once: an output that holds much of a second mixes it again with the new mutes.
  postToMix(
      lib,
      [&lib, module, muted] {
        TMidasSong* song = findModule(lib, module);
        if (!song) return;
        for (int32_t channel = 0; channel < static_cast<int32_t>(song->info().ChannelCount); ++channel)
          song->setChannelMute(channel, channel < static_cast<int32_t>(muted.size()) && muted[channel]);
      },
      heard);
  return true;
}

MIDASmodulePlayHandle MIDASplayInstrument(MIDASmodule module, int32_t instrument, int32_t note) {
  return startPlay(module, true, 0, PreviewNote{instrument, note});
}

double TakeLongestMixLockWait() { return static_cast<double>(library().longestWaitNs.exchange(0)) / 1e9; }

#include "music/midasdll.h"

#include "music/MidasErrors.h"
#include "music/MidasMixer.h"
#include "music/MidasSong.h"
#include "music/PlayViewRing.h"
#include "music/PulseOutput.h"
#include "music/SdlOutput.h"
#include "platform/utf8.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
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

// The library's state. Two locks, always taken in this order and never the second around a
// call of the output: `api` serialises the calls that create, run, rest and end the output;
// `mix` guards modules and play handles against the output's thread, which mixes under it
// while it holds locks of its own (so holding `mix` around a call of the output could
// deadlock).
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

// Runs the output while a song can be heard, and rests it otherwise. With `flush`, what the
// output holds is dropped where it can be, so that a jump or a stop is heard at once. Needs the
// api lock, and not the mix lock.
bool updateOutput(Library& lib, bool flush = false) {
  bool audible;
  {
    std::lock_guard mixLock(lib.mix);
    audible = lib.initialised && lib.background && !lib.playing.empty();
  }
  if (!lib.output) return true;
  if (flush) lib.output->flush();
  std::string why;
  return lib.output->setRunning(audible, why) || fail(MIDAS_ERROR_AUDIO_DEVICE, why);
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

// Sets one of the options that take effect at once, and applies it to every loaded module.
bool setRenderOption(Library& lib, int option, int32_t value) {
  std::lock_guard lock(lib.mix);
  TRenderOptions& render = lib.render;
  if (option == MIDAS_OPTION_STEREO_SEPARATION) render.StereoSeparation = std::clamp(value, 0, 200);
  if (option == MIDAS_OPTION_VOLUME_RAMPING) render.VolumeRamping = std::clamp(value, -1, 10);
  if (option == MIDAS_OPTION_AMIGA_RESAMPLER)
    render.Amiga = static_cast<TAmigaResampler>(std::clamp(value, 0, 3));
  for (const auto& [handle, song] : lib.modules) song->setRenderOptions(render);
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
  std::lock_guard lock(lib.api);
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
  case MIDAS_OPTION_AMIGA_RESAMPLER: return setRenderOption(lib, option, value);
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
    lib.mixer->setBlockObserver([&lib](std::size_t frames) { noteBlock(lib, frames); });
    lib.views.clear();
    lib.mixedFrames = 0;
    lib.mixer->setVolume(lib.volume);
    lib.render.InterpolationTaps = lib.options.mixingMode ? 8 : 2;
    for (const auto& [handle, song] : lib.modules) song->setRenderOptions(lib.render);
  }
  const TSoundOutput::TFill fill = [&lib](uint8_t* out, std::size_t bytes) {
    std::lock_guard mixLock(lib.mix);
    if (lib.mixer) lib.mixer->mix(lib.playing, out, bytes);
  };
  if (wantsPulseAudio()) lib.output = TPulseOutput::open(format, fill);
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
  std::lock_guard mixLock(lib.mix);
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
  return onModule(library(), module, [&](TMidasSong& song) {
    try {
      song.selectSubsong(subsong);
    } catch (const std::out_of_range& e) {
      return fail(MIDAS_ERROR_INVALID_ARGUMENT, e.what());
    }
    return true;
  });
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
bool outputFollows(Library& lib, bool flush = false) {
  std::lock_guard lock(lib.api);
  return updateOutput(lib, flush);
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
  {
    std::lock_guard lock(lib.mix);
    if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
    TMidasSong* song = findModule(lib, module);
    if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
    if (song->playing()) return fail(MIDAS_ERROR_ALREADY_PLAYING);
    TMidasSong* before = after ? findPlay(lib, after) : nullptr;
    if (after && !before) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
    // Set at the load already; this only catches a change made since.
    song->setRenderOptions(lib.render);
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
  }
  if (outputFollows(lib)) return handle;
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

bool MIDASstopModule(MIDASmodulePlayHandle playHandle) {
  Library& lib = library();
  bool silent;
  {
    std::lock_guard lock(lib.mix);
    if (!findPlay(lib, playHandle)) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
    removePlay(lib, playHandle);
    rebuildPlaying(lib);
    silent = lib.playing.empty();
  }
  // A stop that leaves nothing to hear is heard at once; one that leaves a song that took over
  // keeps what is buffered of it.
  return outputFollows(lib, silent);
}

bool MIDASpauseModule(MIDASmodulePlayHandle playHandle) { return setPaused(playHandle, true); }

bool MIDASresumeModule(MIDASmodulePlayHandle playHandle) { return setPaused(playHandle, false); }

bool MIDASsetLoopSong(MIDASmodulePlayHandle playHandle, bool loopSong) {
  return onPlay(library(), playHandle, [&](TMidasSong& song) { song.setLoop(loopSong); return true; });
}

bool MIDASsetPlayTime(MIDASmodulePlayHandle playHandle, double seconds) {
  Library& lib = library();
  return onPlay(lib, playHandle, [&](TMidasSong& song) {
           if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
           if (std::isnan(seconds)) return fail(MIDAS_ERROR_INVALID_ARGUMENT, "no time");
           song.seek(seconds, lib.mixer->format().rate, lib.mixer->format().channels);
           return true;
         }) &&
         outputFollows(lib, true);
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
  bool silent;
  {
    std::lock_guard lock(lib.mix);
    if (!findModule(lib, module)) return fail(MIDAS_ERROR_INVALID_MODULE);
    std::vector<MIDASmodulePlayHandle> handles;
    for (const auto& [handle, play] : lib.plays)
      if (play.module == module) handles.push_back(handle);
    for (MIDASmodulePlayHandle handle : handles) removePlay(lib, handle);
    lib.modules.erase(module);
    rebuildPlaying(lib);
    silent = lib.playing.empty();
  }
  return outputFollows(lib, silent);
}

bool MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, PlayStatus* status) {
  if (!status) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard apiLock(lib.api);
  const uint64_t heard = heardFrame(lib);
  return onPlay(lib, playHandle, [&](TMidasSong& song) { *status = song.status(heard); return true; });
}

bool MIDASgetModuleDuration(MIDASmodule module, double* seconds) {
  if (!seconds) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return onModule(library(), module, [&](TMidasSong& song) { *seconds = song.duration(); return true; });
}

bool MIDASgetPlayTime(MIDASmodulePlayHandle playHandle, double* seconds) {
  if (!seconds) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard apiLock(lib.api);
  const uint64_t heard = heardFrame(lib);
  return onPlay(lib, playHandle, [&](TMidasSong& song) { *seconds = song.playTime(heard); return true; });
}

bool MIDASsetPosition(MIDASmodulePlayHandle playHandle, int32_t position) {
  if (position < 0) return fail(MIDAS_ERROR_INVALID_ARGUMENT, "negative position");
  Library& lib = library();
  return onPlay(lib, playHandle, [&](TMidasSong& song) { song.setPosition(position); return true; }) &&
         outputFollows(lib, true);
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
  std::lock_guard apiLock(lib.api);
  bool heard = false;
  {
    std::lock_guard lock(lib.mix);
    TMidasSong* song = findModule(lib, module);
    if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
    for (int32_t channel = 0; channel < static_cast<int32_t>(song->info().ChannelCount); ++channel)
      song->setChannelMute(channel, channel < static_cast<int32_t>(muted.size()) && muted[channel]);
    heard = lib.output && lib.output->canFlush() && lib.mixer &&
            std::find(lib.playing.begin(), lib.playing.end(), song) != lib.playing.end();
  }
  if (!heard) return true;
  // PulseAudio holds a good part of a second already mixed: the song goes back to what is heard
  // and what is held is dropped, so that the mutes are heard at once.
  const uint64_t heardNow = heardFrame(lib);
  {
    std::lock_guard lock(lib.mix);
    if (TMidasSong* song = findModule(lib, module); song && song->playing() && !song->waiting())
      song->seek(song->playTime(heardNow), lib.mixer->format().rate, lib.mixer->format().channels);
  }
  return updateOutput(lib, true);
}

MIDASmodulePlayHandle MIDASplayInstrument(MIDASmodule module, int32_t instrument, int32_t note) {
  return startPlay(module, true, 0, PreviewNote{instrument, note});
}

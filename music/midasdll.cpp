#include "music/midasdll.h"

#include "music/MidasLibrary.h"
#include "music/PulseOutput.h"
#include "music/SdlOutput.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

using namespace midas;

namespace {


constexpr int32_t kMinRate = 5000;
constexpr int32_t kMaxRate = 192000;

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

// The command that gives every loaded module the library's tempo factor and backing volume.
TMixCommands::TCommand applyPace(Library& lib) {
  return [&lib] {
    for (const auto& [handle, song] : lib.modules) {
      song->setTempo(lib.tempo);
      song->setBacking(lib.backing);
    }
  };
}

// Sets the tempo factor or the backing volume (`setting`) for every module and every later one,
// heard at once.
bool setPace(double Library::*setting, double value) {
  Library& lib = library();
  {
    std::lock_guard lock(lib.mix);
    if (lib.*setting == value) return true;
    lib.*setting = value;
  }
  postToMix(lib, applyPace(lib), true);
  return true;
}

// Sets one of the options that take effect at once, and applies it to every loaded module.
bool setRenderOption(Library& lib, int option, int32_t value) {
  TRenderOptions render;
  std::vector<MIDASmodule> marked;
  {
    std::lock_guard lock(lib.mix);
    render = lib.render;
    if (option == MIDAS_OPTION_STEREO_SEPARATION) render.StereoSeparation = std::clamp(value, 0, 200);
    if (option == MIDAS_OPTION_VOLUME_RAMPING) render.VolumeRamping = std::clamp(value, -1, 10);
    if (option == MIDAS_OPTION_AMIGA_RESAMPLER)
      render.Amiga = static_cast<TAmigaResampler>(std::clamp(value, 0, 3));
    if (option == MIDAS_OPTION_EVEN_LOUDNESS) render.EvenLoudness = value != 0;
    if (option == MIDAS_OPTION_SKIP_SILENT_END) render.SkipSilentEnd = value != 0;
    if (option == MIDAS_OPTION_LOOP) render.Loop = static_cast<TLoopMode>(std::clamp(value, 0, 2));
    if (option == MIDAS_OPTION_LOOPS) render.Loops = std::clamp(value, 1, 9);
    if (option == MIDAS_OPTION_LOOP_FADE) render.FadeSeconds = std::clamp(value, 1, 60);
    if (render == lib.render) return true;
    lib.render = render;
    // A module's length may change with the options (its end, its loops): it is read once they
    // apply.
    for (const auto& [handle, song] : lib.modules) {
      lib.selecting.insert(handle);
      marked.push_back(handle);
    }
  }
  postToMix(
      lib,
      [&lib, apply = applyRender(lib, render), marked] {
        apply();
        for (MIDASmodule handle : marked) lib.selecting.erase(lib.selecting.find(handle));
      },
      true);
  return true;
}

// Puts the song of play `handle` elsewhere with `move` on the mixing thread, heard at once, once
// `valid` (run under the mix lock with the play found) says the call may; what the play reports
// meanwhile waits for it (see settle).
template <typename Valid, typename Move>
bool moveOnMix(Library& lib, MIDASmodulePlayHandle handle, Valid&& valid, Move move) {
  const bool may = onPlay(lib, handle, [&](TMidasSong&) {
    if (!valid()) return false;
    lib.moving.insert(handle);
    return true;
  });
  if (!may) return false;
  postToMix(
      lib,
      [&lib, handle, move] {
        lib.moving.erase(lib.moving.find(handle));
        if (TMidasSong* song = findPlay(lib, handle)) {
          move(*song);
          lib.jump = TJump::Within;
        }
      },
      true);
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
  lib.tempo = 1;
  lib.backing = 1;
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
  case MIDAS_OPTION_EVEN_LOUDNESS:
  case MIDAS_OPTION_SKIP_SILENT_END:
  case MIDAS_OPTION_LOOP:
  case MIDAS_OPTION_LOOPS:
  case MIDAS_OPTION_LOOP_FADE:
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

void MIDASsetLevelSource(MIDASlevelSource source) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  lib.levels = std::move(source);
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
  MIDASlevelSource levels;
  double tempo, backing;
  {
    std::lock_guard lock(lib.mix);
    render = lib.render;
    levels = lib.levels;
    tempo = lib.tempo;
    backing = lib.backing;
  }
  // Set before the mixing thread can reach the song, so that it never waits for this.
  song->setRenderOptions(render);
  if (levels) song->setLevels(levels(fileName, song->format()));
  song->setTempo(tempo);
  song->setBacking(backing);
  std::lock_guard lock(lib.mix);
  MIDASmodule handle = nextHandle(lib.lastModule, lib.modules);
  song->setHandle(handle);
  lib.modules[handle] = std::move(song);
  // Options changed while it loaded: the mix renders it as they are now before it plays.
  if (!(render == lib.render)) lib.commands.post(applyRender(lib, lib.render));
  if (tempo != lib.tempo || backing != lib.backing) lib.commands.post(applyPace(lib));
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
  return moveOnMix(
      lib, playHandle,
      [&] {
        if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
        return !std::isnan(seconds) || fail(MIDAS_ERROR_INVALID_ARGUMENT, "no time");
      },
      [&lib, seconds](TMidasSong& song) {
        if (lib.mixer) song.seek(seconds, lib.mixer->format().rate, lib.mixer->format().channels);
      });
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
  return moveOnMix(
      library(), playHandle, [] { return true; }, [position](TMidasSong& song) { song.setPosition(position); });
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

bool MIDASsetTempoFactor(double factor) {
  if (!(factor >= 0.25 && factor <= 4)) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return setPace(&Library::tempo, factor);
}

bool MIDASsetBackingVolume(double volume) {
  if (!(volume >= 0 && volume <= 1)) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  return setPace(&Library::backing, volume);
}

MIDASmodulePlayHandle MIDASplayInstrument(MIDASmodule module, int32_t instrument, int32_t note) {
  return startPlay(module, true, 0, PreviewNote{instrument, note});
}

bool MIDASgetOutputProblem(std::string* reason) {
  if (!reason) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard apiLock(lib.api);
  if (!lib.initialised) return fail(MIDAS_ERROR_NOT_INITIALISED);
  *reason = lib.output ? lib.output->problem() : std::string();
  return true;
}

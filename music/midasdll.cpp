#include "music/midasdll.h"

#include "music/MidasMixer.h"
#include "music/MidasSong.h"
#include "platform/utf8.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>

namespace {

constexpr int32_t kMinRate = 5000;
constexpr int32_t kMaxRate = 192000;
constexpr Uint16 kDeviceFrames = 1024;

struct Options {
  int32_t mixRate = 44100;
  int32_t outputMode = MIDAS_MODE_16BIT_STEREO;
  int32_t deviceMode = 0;
  int32_t filterMode = 0;
  int32_t mixingMode = 1;
};

// The library's state. Two locks, always taken in this order and never the second around an
// SDL call: `api` serialises the calls that open, start, stop and close the device; `mix`
// guards modules and play handles against the audio callback, which SDL runs under its own
// device lock (so holding `mix` around an SDL device call could deadlock).
struct Library {
  std::mutex api;
  std::mutex mix;
  Options options;
  SDL_AudioDeviceID device = 0;
  bool background = false;
  std::unique_ptr<TMidasMixer> mixer;
  std::map<MIDASmodule, std::unique_ptr<TMidasSong>> modules;
  std::map<MIDASmodulePlayHandle, MIDASmodule> plays;
  std::vector<TMidasSong*> playing;
  int interpolationTaps = 8;
  int32_t volume = 100;
  uint32_t lastModule = 0;
  uint32_t lastPlay = 0;
};

// Never destroyed: SDL's audio thread may still reach it while the process exits.
Library& library() {
  static Library* instance = new Library;
  return *instance;
}

struct LastError {
  int code = MIDAS_ERROR_NONE;
  std::string text;
};
thread_local LastError t_lastError;

const char* baseText(int code) {
  switch (code) {
  case MIDAS_ERROR_NONE: return "OK";
  case MIDAS_ERROR_UNDEFINED: return "Undefined error";
  case MIDAS_ERROR_OUT_OF_MEMORY: return "Out of memory";
  case MIDAS_ERROR_INVALID_ARGUMENT: return "Invalid argument";
  case MIDAS_ERROR_NOT_INITIALISED: return "The sound library is not initialised";
  case MIDAS_ERROR_ALREADY_INITIALISED: return "The sound library is already initialised";
  case MIDAS_ERROR_AUDIO_DEVICE: return "Unable to open audio device";
  case MIDAS_ERROR_LOAD_MODULE: return "Unable to load module";
  case MIDAS_ERROR_INVALID_MODULE: return "Invalid module handle";
  case MIDAS_ERROR_INVALID_PLAY_HANDLE: return "Invalid play handle";
  case MIDAS_ERROR_ALREADY_PLAYING: return "The module is already playing";
  case MIDAS_ERROR_NOT_PLAYING_BACKGROUND: return "Background play is not running";
  case MIDAS_ERROR_UNKNOWN_OPTION: return "Unknown option";
  default: return "Unknown error";
  }
}

bool fail(int code, const std::string& cause = {}) {
  t_lastError.code = code;
  t_lastError.text = cause.empty() ? baseText(code) : std::string(baseText(code)) + ": " + cause;
  return false;
}

// A fresh non-zero handle that `taken` does not hold.
template <typename Map> uint32_t nextHandle(uint32_t& last, const Map& taken) {
  do {
    ++last;
  } while (last == 0 || taken.count(last));
  return last;
}

// The songs the mixer renders: those that play and are not paused.
void rebuildPlaying(Library& lib) {
  lib.playing.clear();
  for (const auto& [handle, module] : lib.plays)
    if (!lib.modules[module]->paused()) lib.playing.push_back(lib.modules[module].get());
}

TMidasSong* findModule(Library& lib, MIDASmodule module) {
  auto it = lib.modules.find(module);
  return it == lib.modules.end() ? nullptr : it->second.get();
}

TMidasSong* findPlay(Library& lib, MIDASmodulePlayHandle handle) {
  auto it = lib.plays.find(handle);
  return it == lib.plays.end() ? nullptr : findModule(lib, it->second);
}

TOutputFormat outputFormat(const Options& o) {
  TOutputFormat f;
  f.rate = o.mixRate;
  f.channels = (o.outputMode & 2) ? 2 : 1;
  f.bits = (o.outputMode & 4) ? 8 : 16;
  return f;
}

void audioCallback(void* userData, Uint8* stream, int length) {
  Library& lib = *static_cast<Library*>(userData);
  std::lock_guard lock(lib.mix);
  lib.mixer->mix(lib.playing, stream, static_cast<std::size_t>(length));
}

bool isOutputMode(int32_t mode) {
  return mode == MIDAS_MODE_8BIT_MONO || mode == MIDAS_MODE_8BIT_STEREO ||
         mode == MIDAS_MODE_16BIT_MONO || mode == MIDAS_MODE_16BIT_STEREO;
}

} // namespace

bool MIDASstartup() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (!lib.device) lib.options = Options{};
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
  default: return fail(MIDAS_ERROR_UNKNOWN_OPTION, std::to_string(option));
  }
}

bool MIDASinit() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (lib.device) return fail(MIDAS_ERROR_ALREADY_INITIALISED);
  // SDL would otherwise catch SIGINT and SIGTERM and turn them into a quit event that no one
  // reads, so that the program could not be ended.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(MIDAS_ERROR_AUDIO_DEVICE, SDL_GetError());

  TOutputFormat format = outputFormat(lib.options);
  {
    std::lock_guard mixLock(lib.mix);
    lib.mixer = std::make_unique<TMidasMixer>(format);
    lib.mixer->setVolume(lib.volume);
    lib.interpolationTaps = lib.options.mixingMode ? 8 : 2;
  }
  SDL_AudioSpec want{};
  want.freq = format.rate;
  want.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = kDeviceFrames;
  want.callback = audioCallback;
  want.userdata = &lib;
  SDL_AudioSpec have{};
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device) {
    std::string cause = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return fail(MIDAS_ERROR_AUDIO_DEVICE, cause);
  }
  lib.device = device;
  return true;
}

bool MIDASstartBackgroundPlay(uint32_t) {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (!lib.device) return fail(MIDAS_ERROR_NOT_INITIALISED);
  SDL_PauseAudioDevice(lib.device, 0);
  lib.background = true;
  return true;
}

bool MIDASstopBackgroundPlay() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (!lib.device) return fail(MIDAS_ERROR_NOT_INITIALISED);
  if (!lib.background) return fail(MIDAS_ERROR_NOT_PLAYING_BACKGROUND);
  SDL_PauseAudioDevice(lib.device, 1);
  lib.background = false;
  return true;
}

bool MIDASclose() {
  Library& lib = library();
  std::lock_guard lock(lib.api);
  if (lib.device) {
    SDL_CloseAudioDevice(lib.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    lib.device = 0;
  }
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
  std::lock_guard lock(lib.mix);
  MIDASmodule handle = nextHandle(lib.lastModule, lib.modules);
  lib.modules[handle] = std::move(song);
  return handle;
}

bool MIDASgetModuleInfo(MIDASmodule module, ModuleInfo* info) {
  if (!info) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findModule(lib, module);
  if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
  *info = song->info();
  return true;
}

bool MIDASgetInstrumentInfo(MIDASmodule module, int32_t index, InstrumentInfo* info) {
  if (!info) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findModule(lib, module);
  if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
  const auto& names = song->instrumentNames();
  if (index < 0 || static_cast<std::size_t>(index) >= names.size())
    return fail(MIDAS_ERROR_INVALID_ARGUMENT, "no instrument " + std::to_string(index));
  std::string name = Utf8Prefix(names[index], sizeof info->InstrumentName - 1);
  std::memset(info->InstrumentName, 0, sizeof info->InstrumentName);
  std::memcpy(info->InstrumentName, name.data(), name.size());
  return true;
}

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, bool loopSong) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
  TMidasSong* song = findModule(lib, module);
  if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
  if (song->playing()) return fail(MIDAS_ERROR_ALREADY_PLAYING);
  song->start(loopSong, lib.interpolationTaps);
  MIDASmodulePlayHandle handle = nextHandle(lib.lastPlay, lib.plays);
  lib.plays[handle] = module;
  rebuildPlaying(lib);
  return handle;
}

bool MIDASstopModule(MIDASmodulePlayHandle playHandle) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, playHandle);
  if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  song->stop();
  lib.plays.erase(playHandle);
  rebuildPlaying(lib);
  return true;
}

namespace {

bool setPaused(MIDASmodulePlayHandle playHandle, bool paused) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, playHandle);
  if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  song->setPaused(paused);
  rebuildPlaying(lib);
  return true;
}

} // namespace

bool MIDASpauseModule(MIDASmodulePlayHandle playHandle) { return setPaused(playHandle, true); }

bool MIDASresumeModule(MIDASmodulePlayHandle playHandle) { return setPaused(playHandle, false); }

bool MIDASsetPlayTime(MIDASmodulePlayHandle playHandle, double seconds) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, playHandle);
  if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  if (!lib.mixer) return fail(MIDAS_ERROR_NOT_INITIALISED);
  if (std::isnan(seconds)) return fail(MIDAS_ERROR_INVALID_ARGUMENT, "no time");
  song->seek(seconds, lib.mixer->format().rate, lib.mixer->format().channels);
  return true;
}

bool MIDASsetMasterVolume(int32_t percent) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  lib.volume = std::clamp(percent, 0, 100);
  if (lib.mixer) lib.mixer->setVolume(lib.volume);
  return true;
}

bool MIDASfreeModule(MIDASmodule module) {
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  if (!findModule(lib, module)) return fail(MIDAS_ERROR_INVALID_MODULE);
  std::erase_if(lib.plays, [module](const auto& play) { return play.second == module; });
  lib.modules.erase(module);
  rebuildPlaying(lib);
  return true;
}

bool MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, PlayStatus* status) {
  if (!status) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, playHandle);
  if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  *status = song->status();
  return true;
}

bool MIDASgetModuleDuration(MIDASmodule module, double* seconds) {
  if (!seconds) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findModule(lib, module);
  if (!song) return fail(MIDAS_ERROR_INVALID_MODULE);
  *seconds = song->duration();
  return true;
}

bool MIDASgetPlayTime(MIDASmodulePlayHandle playHandle, double* seconds) {
  if (!seconds) return fail(MIDAS_ERROR_INVALID_ARGUMENT);
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, playHandle);
  if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  *seconds = song->playTime();
  return true;
}

bool MIDASsetPosition(MIDASmodulePlayHandle playHandle, int32_t position) {
  if (position < 0) return fail(MIDAS_ERROR_INVALID_ARGUMENT, "negative position");
  Library& lib = library();
  std::lock_guard lock(lib.mix);
  TMidasSong* song = findPlay(lib, playHandle);
  if (!song) return fail(MIDAS_ERROR_INVALID_PLAY_HANDLE);
  song->setPosition(position);
  return true;
}

int MIDASgetLastError() { return t_lastError.code; }

std::string MIDASgetErrorMessage(int errorCode) {
  if (errorCode == t_lastError.code && !t_lastError.text.empty()) return t_lastError.text;
  return baseText(errorCode);
}

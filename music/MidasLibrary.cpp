#include "music/MidasLibrary.h"

#include "music/MixLockWaits.h"
#include "music/PulseOutput.h"
#include "music/SdlOutput.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace midas {

Library& library() {
  static Library* instance = new Library;
  return *instance;
}

void rebuildPlaying(Library& lib) {
  lib.playing.clear();
  for (const auto& [handle, play] : lib.plays) {
    TMidasSong* song = lib.modules[play.module].get();
    if (song->paused() || song->waiting() || (play.after && lib.plays.count(play.after))) continue;
    lib.playing.push_back(song);
  }
}

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

void runCommands(Library& lib) {
  if (lib.commands.run()) rebuildPlaying(lib);
}

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

void beforeBlock(Library& lib) {
  runCommands(lib);
  if (lib.jump != TJump::None && lib.mixer) lib.mixer->jump(lib.jump == TJump::Within);
  lib.jump = TJump::None;
}

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

void postToMix(Library& lib, TMixCommands::TCommand command, bool rewrite) {
  lib.commands.post(std::move(command));
  std::lock_guard apiLock(lib.api);
  if (lib.output && lib.mixing) return lib.output->wake(rewrite);
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

void noteBlock(Library& lib, std::size_t frames) {
  const uint64_t end = lib.mixedFrames += frames;
  for (TMidasSong* song : lib.playing) song->noteMixed(end);
  auto heard = std::find_if(lib.playing.begin(), lib.playing.end(),
                            [](const TMidasSong* song) { return !song->preview(); });
  TPlayView view;
  if (heard != lib.playing.end()) (*heard)->sounding().fillView(view);
  lib.views.publish(view, end);
}

uint64_t heardFrame(Library& lib) {
  const uint64_t mixed = lib.mixedFrames;
  if (!lib.output || !lib.mixer) return mixed;
  const auto ahead = static_cast<uint64_t>(lib.output->latencySeconds() * lib.mixer->format().rate);
  return mixed > ahead ? mixed - ahead : 0;
}

bool updateOutput(Library& lib, TFollow follow) {
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

bool wantsPulseAudio() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  return !driver || !*driver || std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0;
}

bool outputFollows(Library& lib, TFollow follow) {
  std::lock_guard lock(lib.api);
  return updateOutput(lib, follow);
}

bool soundsItself(const Library& lib, const TMidasSong* song) {
  return song->canGoBack() && std::find(lib.playing.begin(), lib.playing.end(), song) != lib.playing.end();
}

TFollow afterStop(Library& lib, bool sounded) {
  if (!sounded) return TFollow::Hold;
  if (lib.jump == TJump::None) lib.jump = TJump::Within;
  return TFollow::Rewrite;
}



} // namespace midas

double TakeLongestMixLockWait() { return static_cast<double>(midas::library().longestWaitNs.exchange(0)) / 1e9; }

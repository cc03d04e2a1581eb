// Fuzzes module loading through the sound library's decoder: any bytes either are refused
// with a reason, or give a module whose facts, instrument names and first second of sound
// come out without a crash.

#include "music/MidasMixer.h"
#include "music/MidasSong.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<TMidasSong> song;
  try {
    song = std::make_unique<TMidasSong>(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const std::runtime_error&) {
    return 0;
  }
  const ModuleInfo& info = song->info();
  if (std::memchr(info.SongName, 0, sizeof info.SongName) == nullptr) std::abort();
  if (song->instrumentNames().size() != info.InstrumentCount) std::abort();
  song->start(true, 8);
  TMidasMixer mixer({22050, 2, 16});
  std::vector<TMidasSong*> playing{song.get()};
  std::vector<uint8_t> buffer(1024 * 4);
  for (int i = 0; i < 22; ++i) mixer.mix(playing, buffer.data(), buffer.size());
  song->setPosition(static_cast<int32_t>(info.SongLength));
  song->setPosition(0);
  return 0;
}

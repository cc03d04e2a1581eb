// Fuzzes module loading through the sound library's decoder: any bytes either are refused
// with a reason, or give a module whose facts, details, subsongs, instrument names, first
// second of sound, place as heard, view and pattern text come out without a crash.

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
  for (std::size_t subsong = song->details().Subsongs.size(); subsong-- > 0;)
    song->selectSubsong(static_cast<int32_t>(subsong));
  song->setRenderOptions({});
  song->start(true);
  TMidasMixer mixer({22050, 2, 16});
  std::vector<TMidasSong*> playing{song.get()};
  std::vector<uint8_t> buffer(1024 * 4);
  for (uint64_t block = 1; block <= 22; ++block) {
    mixer.mix(playing, buffer.data(), buffer.size());
    song->noteMixed(block * 1024);
  }
  const double heard = song->playTime(11 * 1024);
  if (heard < 0 || heard > song->duration() || song->status(11 * 1024).LoopCount > song->status(~0ull).LoopCount)
    std::abort();
  TPlayView view;
  song->fillView(view);
  if (view.Channels != static_cast<int32_t>(info.ChannelCount)) std::abort();
  const TPatternText text = song->patternText(view.Pattern);
  if (text.Cells.size() != static_cast<std::size_t>(text.Rows) * text.Channels) std::abort();
  song->setPosition(static_cast<int32_t>(info.SongLength));
  song->setPosition(0);
  return 0;
}

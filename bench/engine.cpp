// Drives the sound library the way a restless listener does, against a PulseAudio server of its
// own, on a 64-channel module of about 13 minutes (where a seek costs the most):
//  1. a storm of seeks, channel mutes and stereo separation changes, one every 5 ms, printing
//     the longest wait of the mixing thread for the library's lock and of the caller's calls;
//  2. a storm of mute toggles (half the channels, every 150 ms) recorded from the sink's
//     monitor, printing the holes of 5 ms or more in the music (there should be none);
//  3. Next in mid-song, twelve times, recorded: how soon the new song is heard, the silence
//     between the two and the largest step at the switch against the music's own (a click);
//  4. the end of the song queue while it reads 200 files that are not modules to find the song
//     to follow (the program's quit waits for it).
// Usage: bench_engine [storm seconds, default 20]

#include "bench/BusySong.h"
#include "music/MixLockWaits.h"
#include "music/SongQueue.h"
#include "music/midasdll.h"
#include "tests/support/SoundServer.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kChannels = 64;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A song of one quiet square wave on 4 channels: what follows the loud one in the test of Next.
std::string QuietSong() {
  testmod::Module m = testmod::simpleSong("Quiet", 4, 4, 64, {"Soft"});
  for (auto& sample : m.samples) sample.volume = 8;
  return testmod::writeXm(m);
}

// Where a loud song gave way to a quiet one in interleaved stereo `samples`, looked for from
// about `key`: the first frame of 5 ms whose peak is below a third of the loud part's, the
// silence just before the quiet part, the largest step between two samples near it and the
// largest of the loud part itself.
struct TSwitch {
  long frame = -1;
  long gapFrames = 0;
  double step = 0;
  double ownStep = 0;
};

TSwitch findSwitch(const std::vector<int16_t>& samples, long key) {
  const long frames = static_cast<long>(samples.size() / 2);
  const auto peakOf = [&](long from, long count) {
    int peak = 0;
    for (long f = std::max(0L, from); f < std::min(frames, from + count); ++f)
      peak = std::max({peak, std::abs(static_cast<int>(samples[2 * f])), std::abs(static_cast<int>(samples[2 * f + 1]))});
    return peak;
  };
  const auto stepOf = [&](long from, long to) {
    double step = 0;
    for (long f = std::max(1L, from); f < std::min(frames, to); ++f)
      for (int c = 0; c < 2; ++c) step = std::max(step, std::abs(double(samples[2 * f + c]) - samples[2 * (f - 1) + c]));
    return step;
  };
  const int loud = peakOf(0, key - 2205);
  TSwitch found;
  constexpr long kWindow = 220;
  for (long f = key - 4410; f + kWindow < frames; f += 22)
    if (peakOf(f, kWindow) < loud / 3) {
      found.frame = f;
      break;
    }
  if (found.frame < 0) return found;
  // The silence right where the quiet song begins.
  long run = 0, longest = 0;
  for (long f = found.frame - 2205; f < found.frame + 4410 && f < frames; ++f) {
    const bool quiet = std::abs(samples[2 * f]) < 16 && std::abs(samples[2 * f + 1]) < 16;
    run = quiet ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  found.gapFrames = longest;
  found.step = stepOf(found.frame - 2205, found.frame + 2205);
  found.ownStep = stepOf(0, key - 4410);
  return found;
}

// Runs of near silence of at least `shortest` frames in interleaved stereo `samples`.
std::vector<std::size_t> holes(const std::vector<int16_t>& samples, std::size_t shortest) {
  std::vector<std::size_t> found;
  std::size_t run = 0;
  bool started = false;
  for (std::size_t f = 0; f + 1 < samples.size(); f += 2) {
    const bool quiet = std::abs(samples[f]) < 64 && std::abs(samples[f + 1]) < 64;
    if (!quiet) {
      if (started && run >= shortest) found.push_back(run);
      started = true;
      run = 0;
    } else if (started) {
      ++run;
    }
  }
  return found;
}

} // namespace

int main(int argc, char** argv) {
  const double stormSeconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  TempDir dir;
  TSoundServer server(dir);
  if (!server.ready()) {
    std::fprintf(stderr, "the benchmark's PulseAudio server did not start\n");
    return 1;
  }
  // Recording the monitor from the start keeps the null sink at a short latency, as a sound
  // card's sink is; left alone it buffers two seconds.
  TRecorder recorder;
  if (!recorder.open()) {
    std::fprintf(stderr, "cannot record the sink's monitor\n");
    return 1;
  }
  unsetenv("SDL_AUDIODRIVER");
  MIDASstartup();
  if (!MIDASinit() || !MIDASstartBackgroundPlay(0)) {
    std::fprintf(stderr, "%s\n", MIDASgetErrorMessage(MIDASgetLastError()).c_str());
    return 1;
  }
  const std::string path = dir.write("busy64.it", BusySong(100, kChannels));
  const MIDASmodule module = MIDASloadModule(path.c_str());
  double duration = 0;
  MIDASgetModuleDuration(module, &duration);
  const MIDASmodulePlayHandle play = MIDASplayModule(module, true);
  if (!module || !play) {
    std::fprintf(stderr, "%s\n", MIDASgetErrorMessage(MIDASgetLastError()).c_str());
    return 1;
  }
  std::printf("module: %d channels, %.0f s\n", kChannels, duration);
  // The storm starts once the music is heard.
  for (int i = 0; i < 100 && recorder.peak(50ms) < 1000; ++i) {
  }
  // Everything heard from here on, and when each part of it came.
  std::mutex heardLock;
  std::vector<int16_t> heard;
  std::vector<std::pair<Clock::time_point, std::size_t>> timeline; // frames heard by then
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      const std::vector<int16_t> part = recorder.read(10ms);
      std::lock_guard lock(heardLock);
      heard.insert(heard.end(), part.begin(), part.end());
      timeline.emplace_back(Clock::now(), heard.size() / 2);
    }
  });
  // The frame being recorded at `when`.
  const auto frameAt = [&](Clock::time_point when) {
    std::lock_guard lock(heardLock);
    for (const auto& [time, frames] : timeline)
      if (time >= when) return frames;
    return heard.size() / 2;
  };

  // 1. The storm.
  std::mt19937 random(1);
  std::vector<bool> muted(kChannels, false);
  TakeLongestMixLockWait();
  std::vector<double> calls; // ms
  int commands = 0;
  const auto stormEnd = Clock::now() + std::chrono::duration<double>(stormSeconds);
  while (Clock::now() < stormEnd) {
    const auto before = Clock::now();
    switch (commands % 3) {
    case 0: MIDASsetPlayTime(play, std::uniform_real_distribution<double>(0, duration)(random)); break;
    case 1:
      muted[random() % kChannels].flip();
      MIDASsetChannelMutes(module, muted);
      break;
    default: MIDASsetOption(MIDAS_OPTION_STEREO_SEPARATION, commands % 2 ? 90 : 100); break;
    }
    PlayStatus status{};
    MIDASgetPlayStatus(play, &status);
    calls.push_back(ms(Clock::now() - before));
    ++commands;
    std::this_thread::sleep_for(5ms);
  }
  std::sort(calls.begin(), calls.end());
  std::printf("storm: %d commands in %.0f s; the mixing thread waited at most %.3f ms for the lock; "
              "a command and a status read took %.1f ms median, %.1f ms at most\n",
              commands, stormSeconds, TakeLongestMixLockWait() * 1000, calls[calls.size() / 2], calls.back());

  // 2. Mute toggles, recorded.
  MIDASsetChannelMutes(module, {});
  MIDASsetPlayTime(play, 10);
  std::this_thread::sleep_for(700ms);
  const std::size_t toggleStart = frameAt(Clock::now());
  int toggles = 0;
  std::vector<bool> half(kChannels, false);
  std::fill(half.begin(), half.begin() + kChannels / 2, true);
  for (const auto end = Clock::now() + 10s; Clock::now() < end; ++toggles) {
    MIDASsetChannelMutes(module, toggles % 2 ? std::vector<bool>{} : half);
    std::this_thread::sleep_for(150ms);
  }
  std::this_thread::sleep_for(700ms);
  const std::size_t toggleEnd = frameAt(Clock::now());
  std::vector<std::size_t> found;
  {
    std::lock_guard lock(heardLock);
    found = holes({heard.begin() + 2 * toggleStart, heard.begin() + 2 * toggleEnd}, 44100 * 5 / 1000);
  }
  const std::size_t longest = found.empty() ? 0 : *std::max_element(found.begin(), found.end());
  std::printf("mute toggles: %d in %.1f s of recording; holes of 5 ms or more: %zu (longest %.1f ms)\n",
              toggles, (toggleEnd - toggleStart) / 44100.0, found.size(), longest / 44.1);
  MIDASstopModule(play);
  MIDASfreeModule(module);

  // 3. Next in mid-song: a loud song gives way to a quiet one, as the player does it (the next
  // module loads while the song plays, then one stops and the other starts).
  const std::string loud = dir.write("loud.xm", BusySong(8, 8));
  const std::string quiet = dir.write("quiet.xm", QuietSong());
  std::vector<double> delays, gaps, steps, ownSteps;
  for (int press = 0; press < 12; ++press) {
    const MIDASmodule a = MIDASloadModule(loud.c_str());
    const MIDASmodulePlayHandle aPlay = MIDASplayModule(a, true);
    std::this_thread::sleep_for(800ms);
    const MIDASmodule b = MIDASloadModule(quiet.c_str());
    const auto key = Clock::now();
    MIDASstopModule(aPlay);
    MIDASfreeModule(a);
    const MIDASmodulePlayHandle bPlay = MIDASplayModule(b, true);
    std::this_thread::sleep_for(600ms);
    const std::size_t at = frameAt(key);
    std::vector<int16_t> around;
    {
      std::lock_guard lock(heardLock);
      around.assign(heard.begin() + 2 * (at - 22050), heard.begin() + 2 * (at + 11025));
    }
    const TSwitch found = findSwitch(around, 22050);
    if (found.frame >= 0) {
      delays.push_back((found.frame - 22050) / 44.1);
      gaps.push_back(found.gapFrames / 44.1);
      steps.push_back(found.step);
      ownSteps.push_back(found.ownStep);
    }
    MIDASstopModule(bPlay);
    MIDASfreeModule(b);
  }
  done = true;
  reader.join();
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
  };
  const auto most = [](const std::vector<double>& v) { return v.empty() ? -1.0 : *std::max_element(v.begin(), v.end()); };
  std::printf("next: %zu of 12 switches found; the new song heard %.1f ms median after the key (the "
              "recording's own latency included), silence between the songs %.1f ms at most; the "
              "largest step at a switch %.0f against the music's own %.0f\n",
              delays.size(), median(delays), most(gaps), most(steps), most(ownSteps));

  // 4. The end of the song queue while it reads files that are not modules.
  std::vector<std::string> songs{quiet};
  for (int i = 0; i < 200; ++i) songs.push_back(dir.write("junk" + std::to_string(i) + ".mod", std::string(4096, 'x')));
  songs.push_back(quiet);
  const MIDASmodule playing = MIDASloadModule(quiet.c_str());
  const MIDASmodulePlayHandle handle = MIDASplayModule(playing, false);
  TPlayOrder order;
  order.Reset(static_cast<int32_t>(songs.size()));
  order.Choose(0);
  auto queue = std::make_unique<TSongQueue>();
  queue->Plan(handle, 0, order, songs);
  std::this_thread::sleep_for(5ms);
  const bool reading = queue->Busy();
  const auto quit = Clock::now();
  queue.reset();
  std::printf("quit: the song queue ended %.1f ms after it was asked (%s reading 200 files that are not "
              "modules)\n",
              ms(Clock::now() - quit), reading ? "while" : "done");
  MIDASstopModule(handle);
  MIDASfreeModule(playing);
  MIDASclose();
  return 0;
}

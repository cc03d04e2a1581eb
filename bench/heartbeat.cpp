// Runs the game on its real 50 ms heartbeat for a while (30 s by default, or the seconds given
// as the first argument) on an in-memory display, a game in play drawing a frame after every
// tick, and reports the tick period's mean and its 99th-percentile deviation from 50 ms, and
// the time a frame takes to draw and show. Reads the game's bitmaps from the build folder.

#include "game/DXTimer.h"
#include "game/GameLoop.h"
#include "gfx/DataFolder.h"
#include "gfx/MemoryWindow.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Host : public TGameHost {
public:
  bool Active() const override { return true; }
  void PlayNext() override {}
  void StopMusic() override {}
  void PauseMusic() override {}
  void Forward() override {}
  void Rewind() override {}
  void CloseGame() override {}
  void SetMusicPace(double, double) override {}
  void AddScore(const std::string&, int32_t, int32_t) override {}
};

// The heartbeat's client: ticks on the heartbeat thread, frames drawn by the main thread when
// asked, never both at once.
class Runner : public THeartbeatClient {
public:
  explicit Runner(TGameLoop& game) : m_game(game) {}

  void GameTick() override {
    std::lock_guard lock(m_lock);
    ticks.push_back(Clock::now());
    m_game.Tick();
  }
  bool Drawing() const override { return m_drawing; }
  void PostFrame() override {
    std::lock_guard lock(m_frameLock);
    m_framePending = true;
    m_frameAsked.notify_one();
  }

  // Draws the frames asked for until `end`.
  void drawFrames(Clock::time_point end) {
    while (Clock::now() < end) {
      std::unique_lock wait(m_frameLock);
      if (!m_frameAsked.wait_until(wait, end, [this] { return m_framePending; })) break;
      m_framePending = false;
      wait.unlock();
      m_drawing = true;
      auto start = Clock::now();
      {
        std::lock_guard lock(m_lock);
        m_game.Frame();
      }
      frames.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      m_drawing = false;
    }
  }

  std::vector<Clock::time_point> ticks;
  std::vector<double> frames;

private:
  TGameLoop& m_game;
  std::mutex m_lock, m_frameLock;
  std::condition_variable m_frameAsked;
  bool m_framePending = false;
  std::atomic<bool> m_drawing{false};
};

std::string defaultFolder(const char* program) {
  std::string path = program;
  std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/../";
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[static_cast<std::size_t>(p * (values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  SetGameDataFolder(defaultFolder(argv[0]));
  Host host;
  TMemoryWindow window(1024, 768, {0, 0, 640, 480});
  TGameLoop game(host, "Bench");
  game.Build(&window, &window, true);
  game.StartGame();
  Runner runner(game);
  {
    TDxTimer heartbeat(runner);
    heartbeat.Period = 50;
    heartbeat.Start();
    runner.drawFrames(Clock::now() + std::chrono::seconds(seconds));
    heartbeat.Stop();
  }
  std::vector<double> periods, deviations;
  for (std::size_t i = 1; i < runner.ticks.size(); ++i) {
    double ms = std::chrono::duration<double, std::milli>(runner.ticks[i] - runner.ticks[i - 1]).count();
    periods.push_back(ms);
    deviations.push_back(std::abs(ms - 50.0));
  }
  double mean = 0;
  for (double p : periods) mean += p;
  mean /= std::max<std::size_t>(1, periods.size());
  double frameMean = 0;
  for (double f : runner.frames) frameMean += f;
  frameMean /= std::max<std::size_t>(1, runner.frames.size());
  std::printf("heartbeat over %d s: %zu ticks, %zu frames (8-bit full screen)\n", seconds,
              runner.ticks.size(), runner.frames.size());
  std::printf("  tick period: mean %.3f ms, 99th-percentile deviation from 50 ms %.3f ms\n", mean,
              percentile(deviations, 0.99));
  std::printf("  frame: mean %.1f us, 99th percentile %.1f us\n", frameMean,
              percentile(runner.frames, 0.99));
  return 0;
}

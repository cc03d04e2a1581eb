#include "game/DXTimer.h"

#include "platform/mmtimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A game window stand-in that counts ticks and frame requests; a tick can be made slow.
class Client : public THeartbeatClient {
public:
  void GameTick() override {
    if (++running > 1) overlapped = true;
    std::this_thread::sleep_for(tickTime.load());
    ++ticks;
    --running;
  }
  bool Drawing() const override { return drawing; }
  void PostFrame() override { ++frames; }

  std::atomic<int> ticks{0}, frames{0}, running{0};
  std::atomic<bool> drawing{false}, overlapped{false};
  std::atomic<std::chrono::milliseconds> tickTime{0ms};
};

bool waitFor(const std::function<bool()>& done) {
  auto end = std::chrono::steady_clock::now() + 5s;
  while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(2ms);
  return done();
}

// Stop without Start, and Stop twice, do nothing; a refused Start raises and leaves no timer.
TEST(DXTimerTest, StopAndRefusedStart) {
  Client client;
  TDxTimer heartbeat(client);
  EXPECT_NO_THROW(heartbeat.Stop());
  heartbeat.Period = 0;
  try {
    heartbeat.Start();
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Cannot start heartbeat");
  }
  EXPECT_EQ(heartbeat.TimerID, 0u);
  EXPECT_FALSE(heartbeat.Active);
  heartbeat.Period = 10;
  heartbeat.Start();
  EXPECT_TRUE(heartbeat.Active);
  heartbeat.Stop();
  EXPECT_FALSE(heartbeat.Active);
  EXPECT_EQ(heartbeat.TimerID, 0u);
  EXPECT_NO_THROW(heartbeat.Stop());
}

// A timer that cannot be killed raises "Cannot stop heartbeat" and keeps its id.
TEST(DXTimerTest, FailedStop) {
  Client client;
  TDxTimer heartbeat(client);
  heartbeat.Period = 10;
  heartbeat.Start();
  const uint32_t id = heartbeat.TimerID;
  ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  EXPECT_THROW(heartbeat.Stop(), std::runtime_error);
  EXPECT_EQ(heartbeat.TimerID, id);
  EXPECT_TRUE(heartbeat.Active);
}

// Each wake-up runs a tick and asks for a frame, but no frame while one is being drawn; ticks
// go on meanwhile.
TEST(DXTimerTest, FramesOnlyWhileNotDrawing) {
  Client client;
  TDxTimer heartbeat(client);
  heartbeat.Period = 10;
  heartbeat.Start();
  ASSERT_TRUE(waitFor([&] { return client.frames >= 3; }));
  client.drawing = true;
  std::this_thread::sleep_for(30ms);
  int frames = client.frames, ticks = client.ticks;
  ASSERT_TRUE(waitFor([&] { return client.ticks >= ticks + 5; }));
  EXPECT_EQ(client.frames, frames);
  client.drawing = false;
  EXPECT_TRUE(waitFor([&] { return client.frames > frames; }));
  heartbeat.Stop();
}

// Wake-ups that come while a slow tick runs are lost, not queued: ticks never overlap and
// there are far fewer of them than timer periods.
TEST(DXTimerTest, SlowTicksSkipWakeUps) {
  Client client;
  client.tickTime = 35ms;
  TDxTimer heartbeat(client);
  heartbeat.Period = 10;
  auto start = std::chrono::steady_clock::now();
  heartbeat.Start();
  std::this_thread::sleep_for(500ms);
  heartbeat.Stop();
  auto periods = (std::chrono::steady_clock::now() - start) / 10ms;
  EXPECT_GT(client.ticks, 0);
  EXPECT_LT(client.ticks, periods / 2);
  EXPECT_FALSE(client.overlapped);
}

// Ending lets a running tick finish, runs no further tick and ends the thread.
TEST(DXTimerTest, EndingWaitsForTheRunningTick) {
  Client client;
  client.tickTime = 100ms;
  auto heartbeat = std::make_unique<TDxTimer>(client);
  heartbeat->Period = 10;
  heartbeat->Start();
  ASSERT_TRUE(waitFor([&] { return client.running == 1; }));
  heartbeat.reset();
  EXPECT_EQ(client.running, 0);
  int ticks = client.ticks;
  EXPECT_EQ(ticks, 1);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(client.ticks, ticks);
}

} // namespace

#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// What the heartbeat needs of the game window.
class THeartbeatClient {
public:
  // One game tick, run on the heartbeat thread.
  virtual void GameTick() = 0;
  // True while a frame is being drawn.
  virtual bool Drawing() const = 0;
  // Asks the window's thread to draw a frame.
  virtual void PostFrame() = 0;

protected:
  ~THeartbeatClient() = default;
};

// The game's heartbeat: a thread that a periodic multimedia timer wakes once per Period ms
// and that then runs one tick and, unless a frame is still being drawn, asks for a frame. A
// wake-up that comes while a tick runs is lost, so slow ticks are skipped, never queued.
// Start and Terminate belong to the window's thread; Stop may also come from a tick, and two
// Stops at once are safe. Terminate (and the destructor) stops the timer, lets a running tick
// finish and joins the thread.
class TDxTimer {
public:
  // Makes the thread, waiting for its first wake-up, at time-critical priority where allowed.
  explicit TDxTimer(THeartbeatClient& client);
  ~TDxTimer();
  TDxTimer(const TDxTimer&) = delete;
  TDxTimer& operator=(const TDxTimer&) = delete;

  // Starts the periodic timer; throws std::runtime_error "Cannot start heartbeat" when the
  // timer is refused (a period of 0, for one), leaving Active as it was.
  void Start();
  // Stops the timer; nothing without one. Throws std::runtime_error "Cannot stop heartbeat"
  // when the timer cannot be killed, leaving TimerID and Active as they were.
  void Stop();
  // Stops the timer and ends the thread once a running tick is done; no tick runs after it.
  // Doing it again does nothing. Must not be called from a tick.
  void Terminate();

  std::atomic<uint32_t> TimerID{0};
  std::atomic<bool> Active{false};
  int32_t Period = 0; // ms, also the timer's resolution

private:
  static void timerCallback(uint32_t id, uint32_t msg, uintptr_t user, uintptr_t, uintptr_t);
  void resume();
  void run();

  THeartbeatClient& m_client;
  std::mutex m_timerLock; // Start and Stop, from either thread
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_waiting = false;
  bool m_woken = false;
  bool m_terminate = false;
  std::thread m_thread;
};

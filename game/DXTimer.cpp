#include "game/DXTimer.h"

#include "platform/mmtimer.h"

#include <stdexcept>

TDxTimer::TDxTimer(THeartbeatClient& client) : m_client(client), m_thread([this] { run(); }) {}

TDxTimer::~TDxTimer() { Terminate(); }

void TDxTimer::Terminate() {
  {
    std::lock_guard timer(m_timerLock);
    if (TimerID) timeKillEvent(TimerID);
    TimerID = 0;
    Active = false;
  }
  {
    std::lock_guard lock(m_mutex);
    m_terminate = true;
    m_woken = true;
  }
  m_wake.notify_one();
  if (m_thread.joinable()) m_thread.join();
}

void TDxTimer::Start() {
  std::lock_guard timer(m_timerLock);
  uint32_t id = timeSetEvent(static_cast<uint32_t>(Period), static_cast<uint32_t>(Period),
                             timerCallback, reinterpret_cast<uintptr_t>(this), TIME_PERIODIC);
  if (id == 0) throw std::runtime_error("Cannot start heartbeat");
  TimerID = id;
  Active = true;
}

void TDxTimer::Stop() {
  std::lock_guard timer(m_timerLock);
  if (TimerID == 0) return;
  if (timeKillEvent(TimerID) != TIMERR_NOERROR) throw std::runtime_error("Cannot stop heartbeat");
  Active = false;
  TimerID = 0;
}

void TDxTimer::timerCallback(uint32_t, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
  reinterpret_cast<TDxTimer*>(user)->resume();
}

void TDxTimer::resume() {
  {
    std::lock_guard lock(m_mutex);
    if (!m_waiting) return; // a tick is running: this wake-up is lost
    m_woken = true;
  }
  m_wake.notify_one();
}

void TDxTimer::run() {
  RaiseThreadToTimeCritical();
  std::unique_lock lock(m_mutex);
  while (true) {
    m_waiting = true;
    m_wake.wait(lock, [this] { return m_woken; });
    m_waiting = false;
    m_woken = false;
    if (m_terminate) return;
    lock.unlock();
    m_client.GameTick();
    if (!m_client.Drawing()) m_client.PostFrame();
    lock.lock();
  }
}

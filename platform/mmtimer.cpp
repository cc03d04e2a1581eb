#include "platform/mmtimer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct TTimer {
  uint32_t id = 0;
  std::chrono::milliseconds period{0};
  LPTIMECALLBACK callback = nullptr;
  uintptr_t user = 0;
  bool periodic = false;

  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::thread thread;
};

// The running timers by id. Never destroyed, so timers still running at exit do not meet a
// destroyed table.
struct TTimerTable {
  std::mutex mutex;
  std::map<uint32_t, std::shared_ptr<TTimer>> timers;
  uint32_t lastId = 0;
};

TTimerTable& timerTable() {
  static TTimerTable* table = new TTimerTable;
  return *table;
}

// The next id after the last one handed out that is neither 0 nor held by a running timer.
uint32_t freeId(TTimerTable& table) {
  do ++table.lastId;
  while (table.lastId == 0 || table.timers.count(table.lastId) != 0);
  return table.lastId;
}

// The index of the first deadline (start + k * period) that lies after `now`.
int64_t nextDeadlineIndex(Clock::time_point start, Clock::time_point now,
                          std::chrono::milliseconds period, int64_t current) {
  int64_t passed = (now - start) / period;
  return std::max(current + 1, passed + 1);
}

// The timer thread: sleeps until each deadline, unless told to stop, and runs the callback
// with the lock released so timeKillEvent can be called from inside it.
void runTimer(std::shared_ptr<TTimer> timer) {
  RaiseThreadToTimeCritical();
  const Clock::time_point start = Clock::now();
  int64_t index = 1;
  std::unique_lock lock(timer->mutex);
  while (!timer->wake.wait_until(lock, start + index * timer->period,
                                 [&] { return timer->stopping; })) {
    lock.unlock();
    timer->callback(timer->id, 0, timer->user, 0, 0);
    lock.lock();
    if (!timer->periodic) return;
    index = nextDeadlineIndex(start, Clock::now(), timer->period, index);
  }
}

bool isKnownFlags(uint32_t flags) { return flags == TIME_ONESHOT || flags == TIME_PERIODIC; }

std::shared_ptr<TTimer> takeTimer(uint32_t id) {
  TTimerTable& table = timerTable();
  std::lock_guard lock(table.mutex);
  auto found = table.timers.find(id);
  if (found == table.timers.end()) return nullptr;
  std::shared_ptr<TTimer> timer = found->second;
  table.timers.erase(found);
  return timer;
}

void stopTimer(TTimer& timer) {
  {
    std::lock_guard lock(timer.mutex);
    timer.stopping = true;
  }
  timer.wake.notify_all();
}

} // namespace

uint32_t timeSetEvent(uint32_t delay, uint32_t, LPTIMECALLBACK callback, uintptr_t user,
                      uint32_t flags) {
  if (delay == 0 || !callback || !isKnownFlags(flags)) return 0;
  auto timer = std::make_shared<TTimer>();
  timer->period = std::chrono::milliseconds(delay);
  timer->callback = callback;
  timer->user = user;
  timer->periodic = flags == TIME_PERIODIC;
  TTimerTable& table = timerTable();
  std::lock_guard lock(table.mutex);
  timer->id = freeId(table);
  table.timers[timer->id] = timer;
  timer->thread = std::thread(runTimer, timer);
  return timer->id;
}

uint32_t timeKillEvent(uint32_t id) {
  std::shared_ptr<TTimer> timer = takeTimer(id);
  if (!timer) return MMSYSERR_INVALPARAM;
  stopTimer(*timer);
  if (timer->thread.get_id() == std::this_thread::get_id()) timer->thread.detach();
  else timer->thread.join();
  return TIMERR_NOERROR;
}

bool RaiseThreadToTimeCritical() {
  sched_param param{};
  param.sched_priority = std::max(sched_get_priority_min(SCHED_FIFO),
                                  sched_get_priority_max(SCHED_FIFO) / 2);
  return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

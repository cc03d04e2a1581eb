#include "platform/mmtimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <pthread.h>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What a test timer's callback saw.
struct TRecord {
  uint32_t period = 10;
  int workMs = 0;
  Clock::time_point start = Clock::now();
  std::atomic<int> calls{0};
  std::atomic<bool> early{false};
  std::atomic<bool> inside{false};
  std::atomic<uint32_t> killResult{0xFFFFFFFF};
};

TRecord& recordOf(uintptr_t user) { return *reinterpret_cast<TRecord*>(user); }

// Counts calls, notes a call before its deadline, and works for workMs.
void countCall(uint32_t, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
  TRecord& record = recordOf(user);
  record.inside = true;
  int call = ++record.calls;
  if (Clock::now() < record.start + milliseconds(call * record.period)) record.early = true;
  std::this_thread::sleep_for(milliseconds(record.workMs));
  record.inside = false;
}

void killSelf(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
  TRecord& record = recordOf(user);
  ++record.calls;
  record.killResult = timeKillEvent(id);
}

// Polls `done` for up to five seconds, so a broken timer fails the test instead of hanging it.
template <typename Condition> bool waitUntil(Condition done) {
  Clock::time_point giveUp = Clock::now() + std::chrono::seconds(5);
  while (!done() && Clock::now() < giveUp) std::this_thread::yield();
  return done();
}

uint32_t start(TRecord& record, uint32_t flags, LPTIMECALLBACK callback = countCall) {
  record.start = Clock::now();
  return timeSetEvent(record.period, 1, callback, reinterpret_cast<uintptr_t>(&record), flags);
}

} // namespace

// Deadlines are fixed from the start, so a callback's own run time does not delay later calls,
// and no call comes before its deadline.
TEST(MmtimerTest, PeriodHeldWithoutDrift) {
  TRecord record;
  record.workMs = 4;
  uint32_t id = start(record, TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  std::this_thread::sleep_for(milliseconds(1000));
  ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  EXPECT_GE(record.calls, 85);
  EXPECT_FALSE(record.early);
}

// A delay of 0, a missing callback or unknown flags are refused with id 0.
TEST(MmtimerTest, InvalidRequestsAreRefused) {
  EXPECT_EQ(timeSetEvent(0, 1, countCall, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(10, 1, nullptr, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(10, 1, countCall, 0, 7), 0u);
}

// Killing an id that was never started, or a timer a second time, is refused.
TEST(MmtimerTest, KillOfUnknownOrKilledIdIsRefused) {
  EXPECT_EQ(timeKillEvent(0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(timeKillEvent(0xDEADBEEF), MMSYSERR_INVALPARAM);
  TRecord record;
  uint32_t id = start(record, TIME_PERIODIC);
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

// Once timeKillEvent returns, the callback is not running and never runs again.
TEST(MmtimerTest, NoCallbackAfterKillReturns) {
  TRecord record;
  record.period = 1;
  record.workMs = 2;
  uint32_t id = start(record, TIME_PERIODIC);
  ASSERT_TRUE(waitUntil([&] { return record.calls >= 3; }));
  ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  EXPECT_FALSE(record.inside);
  int calls = record.calls;
  std::this_thread::sleep_for(milliseconds(30));
  EXPECT_EQ(record.calls, calls);
}

// A callback may kill its own timer; that neither deadlocks nor leaves the timer running.
TEST(MmtimerTest, CallbackCanKillItsOwnTimer) {
  TRecord record;
  record.period = 2;
  uint32_t id = start(record, TIME_PERIODIC, killSelf);
  ASSERT_TRUE(waitUntil([&] { return record.killResult != 0xFFFFFFFF; }));
  EXPECT_EQ(record.killResult, TIMERR_NOERROR);
  std::this_thread::sleep_for(milliseconds(30));
  EXPECT_EQ(record.calls, 1);
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

// A one-shot timer calls once and its id stays valid until it is killed.
TEST(MmtimerTest, OneShotCallsOnceAndKeepsItsId) {
  TRecord record;
  record.period = 5;
  uint32_t id = start(record, TIME_ONESHOT);
  std::this_thread::sleep_for(milliseconds(60));
  EXPECT_EQ(record.calls, 1);
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
}

// Running timers have distinct, non-zero ids.
TEST(MmtimerTest, IdsAreDistinctAndNonZero) {
  TRecord records[3];
  std::set<uint32_t> ids;
  for (TRecord& record : records) ids.insert(start(record, TIME_PERIODIC));
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids.count(0), 0u);
  for (uint32_t id : ids) EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
}

// The result of asking for time-critical scheduling matches the thread's actual policy.
TEST(MmtimerTest, TimeCriticalRequestReportsTheOutcome) {
  std::thread worker([] {
    bool granted = RaiseThreadToTimeCritical();
    int policy = -1;
    sched_param param{};
    pthread_getschedparam(pthread_self(), &policy, &param);
    EXPECT_EQ(policy, granted ? SCHED_FIFO : SCHED_OTHER);
  });
  worker.join();
}

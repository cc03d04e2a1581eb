#pragma once

#include <cstdint>

// Multimedia timers with ids. A timer runs its callback on a thread of its own, at fixed
// deadlines measured from its start (steady clock, sleep until each deadline, so lateness of
// one call never shifts the next). A deadline already passed when the callback returns is
// skipped rather than run late in a burst. Timer threads ask for time-critical scheduling
// (SCHED_FIFO) and stay at normal priority when that is refused. Safe to call from any thread,
// including from inside a callback.

constexpr uint32_t TIME_ONESHOT = 0;
constexpr uint32_t TIME_PERIODIC = 1;
constexpr uint32_t TIMERR_NOERROR = 0;
constexpr uint32_t MMSYSERR_INVALPARAM = 11;

// Called on the timer's thread with the timer's id, 0, the user data and two zeros.
using LPTIMECALLBACK = void (*)(uint32_t id, uint32_t msg, uintptr_t user, uintptr_t dw1,
                                uintptr_t dw2);

// Starts a timer that calls `callback` every `delay` ms (TIME_PERIODIC) or once after `delay` ms
// (TIME_ONESHOT). `resolution` is accepted and not needed. Returns the timer's non-zero id, or
// 0 when refused: a delay of 0, no callback, or unknown flags.
uint32_t timeSetEvent(uint32_t delay, uint32_t resolution, LPTIMECALLBACK callback,
                      uintptr_t user, uint32_t flags);

// Stops timer `id`. When it returns (from any thread but the timer's own), the callback is not
// running and will not run again. Returns TIMERR_NOERROR, or MMSYSERR_INVALPARAM for an id that
// is not a running timer (never started, or already killed).
uint32_t timeKillEvent(uint32_t id);

// Asks for time-critical (SCHED_FIFO) scheduling of the calling thread; returns whether it was
// granted. Refusal changes nothing.
bool RaiseThreadToTimeCritical();

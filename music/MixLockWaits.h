#pragma once

// The longest time the sound library's mixing thread has waited for the lock it shares with the
// library's callers since the last call, in seconds; for benchmarks. Any thread.
double TakeLongestMixLockWait();

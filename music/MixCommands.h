#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// Changes to the playing songs that the mixing thread makes between two blocks, in the order
// they were posted, so that whoever asks for one holds the mixer up no longer than it takes to
// queue it. Thread-safe.
class TMixCommands {
public:
  using TCommand = std::function<void()>;

  // Any thread: queues `command` and returns its ticket (tickets grow by one a command).
  uint64_t post(TCommand command);
  // The thread that holds the sound library's mix lock: runs every command queued so far;
  // true when there was one.
  bool run();
  // Whether the command of `ticket`, and every one before it, has run.
  bool ran(uint64_t ticket) const;
  // Waits until the command of `ticket` has run or `timeout` has passed; true when it ran.
  bool waitFor(uint64_t ticket, std::chrono::milliseconds timeout);
  // The ticket of the command posted last; 0 before the first.
  uint64_t lastTicket() const;

private:
  mutable std::mutex m_lock;
  std::condition_variable m_done;
  std::vector<TCommand> m_queue;
  std::vector<TCommand> m_running; // kept so that its room is used again
  uint64_t m_posted = 0;
  uint64_t m_ran = 0;
};

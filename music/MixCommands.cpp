#include "music/MixCommands.h"

uint64_t TMixCommands::post(TCommand command) {
  std::lock_guard lock(m_lock);
  m_queue.push_back(std::move(command));
  return ++m_posted;
}

bool TMixCommands::run() {
  uint64_t upTo;
  {
    std::lock_guard lock(m_lock);
    if (m_queue.empty()) return false;
    m_running.swap(m_queue);
    upTo = m_posted;
  }
  // The commands run outside the queue's lock: a caller may post while one takes its time.
  for (TCommand& command : m_running) command();
  m_running.clear();
  {
    std::lock_guard lock(m_lock);
    m_ran = upTo;
  }
  m_done.notify_all();
  return true;
}

bool TMixCommands::ran(uint64_t ticket) const {
  std::lock_guard lock(m_lock);
  return m_ran >= ticket;
}

bool TMixCommands::waitFor(uint64_t ticket, std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_lock);
  return m_done.wait_for(lock, timeout, [&] { return m_ran >= ticket; });
}

uint64_t TMixCommands::lastTicket() const {
  std::lock_guard lock(m_lock);
  return m_posted;
}

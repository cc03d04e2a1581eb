#include "music/SongQueue.h"

TSongQueue::TSongQueue() : m_thread([this] { run(); }) {}

TSongQueue::~TSongQueue() { Shutdown(); }

void TSongQueue::Plan(MIDASmodulePlayHandle playing, uint32_t loops, TPlayOrder order,
                      std::vector<std::string> songs, int32_t subsong) {
  std::lock_guard lock(m_lock);
  if (m_quit) return;
  ++m_generation;
  dropQueued();
  m_request = TRequest{playing, loops, std::move(order), std::move(songs), subsong};
  m_wake.notify_one();
}

void TSongQueue::Withdraw() {
  std::lock_guard lock(m_lock);
  ++m_generation;
  m_request.reset();
  dropQueued();
}

std::optional<TSongQueue::TQueued> TSongQueue::TakeIfBegun(uint32_t loops) {
  std::lock_guard lock(m_lock);
  if (!m_queued || loops <= m_queued->AfterLoops) return {};
  return std::exchange(m_queued, std::nullopt);
}

std::optional<TSongQueue::TQueued> TSongQueue::Take() {
  std::lock_guard lock(m_lock);
  ++m_generation;
  m_request.reset();
  return std::exchange(m_queued, std::nullopt);
}

bool TSongQueue::Ready() const {
  std::lock_guard lock(m_lock);
  return m_queued.has_value();
}

bool TSongQueue::Busy() const {
  std::lock_guard lock(m_lock);
  return m_request.has_value() || m_loading;
}

void TSongQueue::Shutdown() {
  {
    std::lock_guard lock(m_lock);
    if (m_quit) return;
    m_quit = true;
    ++m_generation;
    m_request.reset();
    dropQueued();
    m_wake.notify_one();
  }
  m_thread.join();
}

void TSongQueue::dropQueued() {
  if (!m_queued) return;
  MIDASstopModule(m_queued->Handle);
  MIDASfreeModule(m_queued->Module);
  m_queued.reset();
}

void TSongQueue::run() {
  std::unique_lock lock(m_lock);
  while (true) {
    m_wake.wait(lock, [this] { return m_quit || m_request; });
    if (m_quit) return;
    m_loading = true;
    load(*std::exchange(m_request, std::nullopt), m_generation, lock);
    m_loading = false;
  }
}

void TSongQueue::load(TRequest request, uint64_t generation, std::unique_lock<std::mutex>& lock) {
  // The files are read and decoded without the lock, so that planning anew never waits on it.
  lock.unlock();
  // A new plan, a withdrawal or the end is looked for before each file, so that a list of files
  // that do not load never holds up what comes next.
  auto superseded = [&] {
    std::lock_guard look(m_lock);
    return m_quit || generation != m_generation;
  };
  MIDASmodule module = 0;
  int32_t index = request.Order.Current();
  int32_t subsong = request.Subsong;
  std::vector<TSkippedSong> skipped;
  if (subsong > 0 && index >= 0) {
    module = MIDASloadModule(request.Songs[index].c_str());
    if (module && !MIDASselectSubsong(module, subsong)) {
      MIDASfreeModule(module);
      module = 0;
    }
  }
  if (!module) subsong = 0;
  for (std::size_t tried = 0; tried < request.Songs.size() && !module && !superseded(); ++tried) {
    index = request.Order.AfterEnd();
    if (index < 0) break;
    module = MIDASloadModule(request.Songs[index].c_str());
    if (!module) skipped.push_back({request.Songs[index], MIDASgetErrorMessage(MIDASgetLastError())});
  }
  lock.lock();
  if (!module) return;
  MIDASmodulePlayHandle handle = 0;
  if (generation == m_generation) handle = MIDASplayModuleAfter(request.Playing, module);
  if (!handle) {
    MIDASfreeModule(module);
    return;
  }
  m_queued = TQueued{handle, module, index, subsong, std::move(request.Order), request.Loops,
                     std::move(skipped)};
}

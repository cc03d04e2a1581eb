#include "music/SongQueue.h"

namespace {

// The subsong a fetch for Previous starts from.
constexpr int32_t kLastSubsong = -1;

// Selects subsong `subsong` of a module just loaded (its last with kLastSubsong); the subsong
// that plays, its first where the module has no such subsong.
int32_t selectSubsong(MIDASmodule module, int32_t subsong) {
  if (subsong == kLastSubsong) {
    TModuleDetails details;
    subsong = MIDASgetModuleDetails(module, &details) ? static_cast<int32_t>(details.Subsongs.size()) - 1 : 0;
  }
  return subsong > 0 && MIDASselectSubsong(module, subsong) ? subsong : 0;
}

} // namespace

TSongQueue::TSongQueue() : m_thread([this] { run(); }) {}

TSongQueue::~TSongQueue() { Shutdown(); }

void TSongQueue::Plan(MIDASmodulePlayHandle playing, uint32_t loops, TPlayOrder order,
                      std::vector<std::string> songs, int32_t subsong) {
  ask({TTask::Follow, playing, loops, std::move(order), std::move(songs), subsong});
}

void TSongQueue::FetchChosen(TPlayOrder order, std::vector<std::string> songs, int32_t subsong) {
  ask({TTask::Chosen, 0, 0, std::move(order), std::move(songs), subsong});
}

void TSongQueue::FetchPrevious(TPlayOrder order, std::vector<std::string> songs) {
  ask({TTask::Previous, 0, 0, std::move(order), std::move(songs), kLastSubsong});
}

void TSongQueue::ask(TRequest request) {
  std::lock_guard lock(m_lock);
  if (m_quit) return;
  dropAll();
  m_request = std::move(request);
  m_wake.notify_one();
}

void TSongQueue::Withdraw() {
  std::lock_guard lock(m_lock);
  dropAll();
}

bool TSongQueue::WithdrawFetch() {
  std::lock_guard lock(m_lock);
  if (!m_fetched && !working(TTask::Chosen) && !working(TTask::Previous)) return false;
  dropAll();
  return true;
}

std::optional<TSongQueue::TQueued> TSongQueue::TakeIfBegun(uint32_t loops) {
  std::lock_guard lock(m_lock);
  if (!m_queued || loops <= m_queued->AfterLoops) return {};
  return std::exchange(m_queued, std::nullopt);
}

std::optional<TSongQueue::TQueued> TSongQueue::Take() {
  std::lock_guard lock(m_lock);
  std::optional<TQueued> queued = std::exchange(m_queued, std::nullopt);
  dropAll();
  return queued;
}

std::optional<TSongQueue::TQueued> TSongQueue::TakeFetched() {
  std::lock_guard lock(m_lock);
  return std::exchange(m_fetched, std::nullopt);
}

bool TSongQueue::Ready() const {
  std::lock_guard lock(m_lock);
  return m_queued.has_value();
}

bool TSongQueue::Busy() const {
  std::lock_guard lock(m_lock);
  return working(TTask::Follow);
}

bool TSongQueue::Fetching() const {
  std::lock_guard lock(m_lock);
  return working(TTask::Chosen) || working(TTask::Previous);
}

bool TSongQueue::working(TTask task) const {
  return (m_request && m_request->Task == task) || m_loading == task;
}

void TSongQueue::Shutdown() {
  {
    std::lock_guard lock(m_lock);
    if (m_quit) return;
    m_quit = true;
    dropAll();
    m_wake.notify_one();
  }
  m_thread.join();
}

void TSongQueue::dropAll() {
  ++m_generation;
  m_request.reset();
  m_loading.reset();
  if (m_queued) {
    MIDASstopModule(m_queued->Handle);
    MIDASfreeModule(m_queued->Module);
    m_queued.reset();
  }
  if (m_fetched) {
    if (m_fetched->Module) MIDASfreeModule(m_fetched->Module);
    m_fetched.reset();
  }
}

void TSongQueue::run() {
  std::unique_lock lock(m_lock);
  while (true) {
    m_wake.wait(lock, [this] { return m_quit || m_request; });
    if (m_quit) return;
    m_loading = m_request->Task;
    load(*std::exchange(m_request, std::nullopt), m_generation, lock);
    m_loading.reset();
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
  const bool follow = request.Task == TTask::Follow;
  TPlayOrder& order = request.Order;
  // The candidates in turn: after the playing song the songs that follow its end; a chosen song
  // and then the songs after it; the songs before the playing one.
  auto candidate = [&](std::size_t tried) {
    if (follow) return order.AfterEnd();
    if (request.Task == TTask::Previous) return order.Previous();
    return tried == 0 ? order.Current() : order.Next();
  };
  MIDASmodule module = 0;
  int32_t index = order.Current();
  int32_t subsong = request.Subsong;
  std::vector<TSkippedSong> skipped;
  if (follow && subsong > 0 && index >= 0) {
    module = MIDASloadModule(request.Songs[index].c_str());
    if (module && !MIDASselectSubsong(module, subsong)) {
      MIDASfreeModule(module);
      module = 0;
    }
  }
  if (follow && !module) subsong = 0;
  for (std::size_t tried = 0; tried < request.Songs.size() && !module && !superseded(); ++tried) {
    index = candidate(tried);
    if (index < 0) break;
    module = MIDASloadModule(request.Songs[index].c_str());
    if (!module) skipped.push_back({request.Songs[index], MIDASgetErrorMessage(MIDASgetLastError())});
  }
  if (!follow) subsong = module ? selectSubsong(module, subsong) : 0;
  lock.lock();
  const bool current = generation == m_generation;
  if (current && !follow) {
    m_fetched = TQueued{0, module, index, subsong, std::move(order), 0, std::move(skipped)};
    return;
  }
  if (!module) return;
  const MIDASmodulePlayHandle handle = current ? MIDASplayModuleAfter(request.Playing, module) : 0;
  if (!handle) {
    MIDASfreeModule(module);
    return;
  }
  m_queued = TQueued{handle, module, index, subsong, std::move(order), request.Loops, std::move(skipped)};
}

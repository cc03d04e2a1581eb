#include "library/LibraryIndexer.h"

#include "library/LibraryIndex.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Facts found are handed over in groups of this many, so that a long list of known files
// reaches the window in a few steps rather than one event a file.
constexpr std::size_t kHandOverEvery = 512;

} // namespace

TLibraryIndexer::TLibraryIndexer(std::string databasePath, QObject* parent) : QObject(parent) {
  m_thread = std::thread([this, path = std::move(databasePath)] { run(path); });
}

TLibraryIndexer::~TLibraryIndexer() {
  {
    std::lock_guard lock(m_lock);
    m_quit = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void TLibraryIndexer::request(const std::vector<std::string>& paths) {
  {
    std::lock_guard lock(m_lock);
    for (const std::string& path : paths)
      if (m_waiting.insert(path).second) m_asked.push_back(path);
  }
  m_wake.notify_all();
}

std::vector<TModuleFacts> TLibraryIndexer::take() {
  std::lock_guard lock(m_lock);
  return std::exchange(m_found, {});
}

std::size_t TLibraryIndexer::waiting() const {
  std::lock_guard lock(m_lock);
  return m_waiting.size();
}

void TLibraryIndexer::deliver(std::vector<TModuleFacts>& found) {
  if (found.empty()) return;
  bool first = false;
  {
    std::lock_guard lock(m_lock);
    for (TModuleFacts& facts : found) m_waiting.erase(facts.Path);
    first = m_found.empty();
    m_found.insert(m_found.end(), std::make_move_iterator(found.begin()),
                   std::make_move_iterator(found.end()));
  }
  found.clear();
  if (first) QMetaObject::invokeMethod(this, [this] { emit factsArrived(); }, Qt::QueuedConnection);
}

void TLibraryIndexer::run(std::string databasePath) {
  // Reading the collection must never take time from the music or the window.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
  TLibraryIndex index(std::move(databasePath));
  std::deque<std::string> toRead;
  std::vector<TModuleFacts> found;
  for (;;) {
    std::vector<std::string> asked;
    {
      std::unique_lock lock(m_lock);
      m_wake.wait(lock, [&] { return m_quit || !m_asked.empty() || !toRead.empty(); });
      if (m_quit) return;
      asked.swap(m_asked);
    }
    // What the index knows of unchanged files goes out before any file is read.
    for (const std::string& path : asked) {
      std::optional<TModuleFacts> known = index.find(path);
      if (known && known->Stamp == StampOf(path)) {
        found.push_back(std::move(*known));
        if (found.size() >= kHandOverEvery) {
          deliver(found);
          std::lock_guard lock(m_lock);
          if (m_quit) return;
        }
      } else {
        toRead.push_back(path);
      }
    }
    deliver(found);
    if (toRead.empty()) continue;
    TModuleFacts facts = ReadModuleFacts(toRead.front());
    toRead.pop_front();
    // A file that is gone is not remembered: it may come back changed.
    if (facts.Stamp.Size >= 0) index.store(facts);
    found.push_back(std::move(facts));
    deliver(found);
  }
}

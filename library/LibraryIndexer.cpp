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
  m_interrupt = true;
  m_wake.notify_all();
  m_thread.join();
}

void TLibraryIndexer::request(const std::vector<std::string>& paths) {
  {
    std::lock_guard lock(m_lock);
    for (const std::string& path : paths)
      if (m_waiting.insert(path).second) m_asked.push_back(path);
  }
  m_interrupt = true;
  m_wake.notify_all();
}

std::vector<TModuleFacts> TLibraryIndexer::take() {
  std::lock_guard lock(m_lock);
  return std::exchange(m_found, {});
}

void TLibraryIndexer::measureWith(const TRenderOptions& options, int32_t rate) {
  std::lock_guard lock(m_lock);
  m_measureOptions = options;
  m_measureRate = rate;
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
  std::deque<std::string> toMeasure;
  std::vector<TModuleFacts> found;
  for (;;) {
    std::vector<std::string> asked;
    {
      std::unique_lock lock(m_lock);
      m_wake.wait(lock, [&] { return m_quit || !m_asked.empty() || !toRead.empty() || !toMeasure.empty(); });
      if (m_quit) return;
      asked.swap(m_asked);
      m_interrupt = false;
    }
    if (asked.empty() && toRead.empty()) {
      measure(index, toMeasure);
      continue;
    }
    // What the index knows of unchanged files goes out before any file is read.
    for (const std::string& path : asked) {
      std::optional<TModuleFacts> known = index.find(path);
      if (known && known->Stamp == StampOf(path)) {
        const std::vector<TSongLevel> levels = index.findLevels(path, known->Stamp);
        if (levels.empty() && known->Readable) toMeasure.push_back(path);
        givePlayedLengths(levels, *known);
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
    if (facts.Readable) toMeasure.push_back(facts.Path);
    found.push_back(std::move(facts));
    deliver(found);
  }
}

void TLibraryIndexer::measure(TLibraryIndex& index, std::deque<std::string>& toMeasure) {
  const std::string path = toMeasure.front();
  toMeasure.pop_front();
  const TFileStamp stamp = StampOf(path);
  if (stamp.Size < 0 || !index.findLevels(path, stamp).empty()) return;
  TRenderOptions options;
  int32_t rate = 0;
  {
    std::lock_guard lock(m_lock);
    options = m_measureOptions;
    rate = m_measureRate;
  }
  std::vector<TSongLevel> levels;
  try {
    levels = TLoudnessScan::measure(path, options, rate, m_interrupt);
  } catch (const std::exception&) {
    return; // no module after all: its facts say why
  }
  // Broken off: measured again once the requests are answered.
  if (m_interrupt) return toMeasure.push_front(path);
  if (levels.empty()) return;
  index.storeLevels(path, stamp, levels);
  // The facts again when the song now plays shorter.
  std::optional<TModuleFacts> facts = index.find(path);
  if (!facts) return;
  std::vector<TModuleFacts> again{*facts};
  givePlayedLengths(levels, again.front());
  if (again.front() != *facts) deliver(again);
}

void TLibraryIndexer::givePlayedLengths(const std::vector<TSongLevel>& levels, TModuleFacts& facts) const {
  bool skip = false;
  {
    std::lock_guard lock(m_lock);
    skip = m_measureOptions.SkipSilentEnd;
  }
  for (std::size_t i = 0; skip && i < levels.size() && i < facts.Subsongs.size(); ++i)
    facts.Subsongs[i].Seconds = levels[i].skippedEnd(facts.Subsongs[i].Seconds);
}

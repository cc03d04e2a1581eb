#pragma once

#include "library/ModuleFacts.h"
#include "music/LoudnessScan.h"
#include "music/RenderOptions.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

// Finds the facts of module files on a background thread of low priority: from the index when
// the file is unchanged since it was indexed, else by reading the file (and then storing them).
// Facts known to the index are answered before any file is read. When no facts are wanted, it
// measures the loudness and the silent end of the modules it was asked for that the index has
// no levels of (TLoudnessScan), one file at a time, and stores them; a request breaks off a
// measurement, which starts again later. The facts it hands over give the length a song plays:
// up to a second after its last sound when its silent end is skipped. The object lives on the GUI thread: request, take and
// measureWith are called there, and factsArrived is emitted there.
class TLibraryIndex;

class TLibraryIndexer : public QObject {
  Q_OBJECT

public:
  // `databasePath` is the index's file (made when missing).
  explicit TLibraryIndexer(std::string databasePath, QObject* parent = nullptr);
  // Stops the thread after the file it reads.
  ~TLibraryIndexer() override;

  // Asks for the facts of `paths`; a path asked for again while it waits is asked once.
  void request(const std::vector<std::string>& paths);
  // The facts found since the last call, in the order found.
  std::vector<TModuleFacts> take();
  // How many asked-for files are still to be read.
  std::size_t waiting() const;
  // Measures from the next file on as the player renders at `rate` Hz with `options`
  // (44,100 Hz and the default options until called).
  void measureWith(const TRenderOptions& options, int32_t rate);

signals:
  // Facts are ready to take; emitted once for any number that arrive before they are taken.
  void factsArrived();

private:
  void run(std::string databasePath);
  void deliver(std::vector<TModuleFacts>& found);
  // Measures the first of `toMeasure` that the index has no levels of, and hands its facts over
  // again when it plays shorter than its own length.
  void measure(TLibraryIndex& index, std::deque<std::string>& toMeasure);
  // Gives `facts` the lengths its subsongs play with `levels` as the measuring options say (a
  // silent end skipped).
  void givePlayedLengths(const std::vector<TSongLevel>& levels, TModuleFacts& facts) const;

  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::vector<std::string> m_asked;      // not yet looked up
  std::unordered_set<std::string> m_waiting; // asked and not yet answered
  std::vector<TModuleFacts> m_found;     // answered, to be taken
  bool m_quit = false;
  TRenderOptions m_measureOptions;
  int32_t m_measureRate = 44100;
  // Set by a request or the end: the measurement running stops.
  std::atomic<bool> m_interrupt{false};
  std::thread m_thread;
};

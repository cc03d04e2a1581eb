#pragma once

#include "music/PlayOrder.h"
#include "music/midasdll.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A file the player passed over because the library could not load it, and the library's
// reason.
struct TSkippedSong {
  std::string Path;
  std::string Reason;
};

// The song that is to follow the playing one, made ready while that one plays: a thread of its
// own loads it (skipping files that do not load, at most once around the list) and queues it in
// the sound library behind the playing song, so that it sounds from the very sample that song
// ends. The same thread fetches a song to play now (a chosen one, or the one before): that song
// waits in the queue, not in the library, until the player takes it. A new plan or fetch
// replaces the one before; the thread gives up an old one between two files.
// Thread-safe; never calls back.
class TSongQueue {
public:
  // A song queued behind the playing one, or fetched (without a handle then). Its handle and
  // module belong to the queue until taken.
  struct TQueued {
    MIDASmodulePlayHandle Handle = 0;
    MIDASmodule Module = 0;  // 0 for a fetch that found no file that loads
    int32_t Index = -1;      // into the list planned from; for a fetch that loaded none, the last tried
    int32_t Subsong = 0;     // of the module, which has it selected
    TPlayOrder Order;        // the play order standing at this song
    uint32_t AfterLoops = 0; // the playing song's loop count when it was queued
    std::vector<TSkippedSong> Skipped; // passed over on the way to it
  };

  TSongQueue();
  // Shutdown().
  ~TSongQueue();
  TSongQueue(const TSongQueue&) = delete;
  TSongQueue& operator=(const TSongQueue&) = delete;

  // Plans the song after the one playing under `playing`, whose loop count is `loops` now:
  // `order` stands at the playing song's file. With `subsong` above 0 it is that subsong of the
  // same file; otherwise (or when the file no longer loads) order.AfterEnd() names the
  // candidates from `songs`, each from its first subsong. Withdraws whatever was planned,
  // fetched or queued before.
  void Plan(MIDASmodulePlayHandle playing, uint32_t loops, TPlayOrder order,
            std::vector<std::string> songs, int32_t subsong = 0);
  // Fetches song order.Current() of `songs` (a chosen song, `order` standing at it) from subsong
  // `subsong`, or from its first where the module has no such subsong; a file that does not load
  // gives way to the song order.Next() names, at most once around the list, each from the same
  // subsong. Withdraws whatever was planned, fetched or queued before.
  void FetchChosen(TPlayOrder order, std::vector<std::string> songs, int32_t subsong);
  // Fetches the song order.Previous() names from its last subsong, going further back in the
  // order past files that do not load, at most once around the list. Withdraws as FetchChosen.
  void FetchPrevious(TPlayOrder order, std::vector<std::string> songs);
  // Withdraws the plan or fetch: a song being loaded is dropped, a queued or fetched one stopped
  // and freed.
  void Withdraw();
  // Withdraws a fetch, under way or done, and nothing else; true when there was one.
  bool WithdrawFetch();
  // The queued song, once the playing song's loop count `loops` shows that it has begun; the
  // caller then owns its handle and module. Nothing otherwise.
  std::optional<TQueued> TakeIfBegun(uint32_t loops);
  // The queued song whether or not it has begun (a Next that wants it now); the caller then
  // owns its handle, still waiting behind the playing song, and its module. Withdraws the rest.
  std::optional<TQueued> Take();
  // True while a song is queued.
  bool Ready() const;
  // True while a plan is being carried out: files are read to find the song to queue.
  bool Busy() const;
  // The fetched song, its order standing at it and the files passed over on the way; the caller
  // then owns its module. With no module when no file loaded: its order and index then stand at
  // the last file tried. Nothing while the fetch is under way, or without one.
  std::optional<TQueued> TakeFetched();
  // True while a fetch is being carried out.
  bool Fetching() const;
  // Withdraws the plan or fetch and ends the thread; the queue does nothing afterwards.
  void Shutdown();

private:
  // What a request asks the thread to do.
  enum class TTask { Follow, Chosen, Previous };

  struct TRequest {
    TTask Task = TTask::Follow;
    MIDASmodulePlayHandle Playing = 0;
    uint32_t Loops = 0;
    TPlayOrder Order;
    std::vector<std::string> Songs;
    int32_t Subsong = 0;
  };

  // Replaces whatever was asked for before with `request`.
  void ask(TRequest request);
  void run();
  void load(TRequest request, uint64_t generation, std::unique_lock<std::mutex>& lock);
  // Gives up what was planned or fetched: a load under way is dropped, a queued or fetched song
  // stopped and freed. The lock is held.
  void dropAll();
  // True while a request of `task` is waiting for the thread or being carried out.
  bool working(TTask task) const;

  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::optional<TRequest> m_request;
  std::optional<TQueued> m_queued;
  std::optional<TQueued> m_fetched;
  uint64_t m_generation = 0; // counts plans, fetches and withdrawals; a load of an older one is dropped
  bool m_quit = false;
  std::optional<TTask> m_loading; // the task being carried out, until it is done or given up
  std::thread m_thread;
};

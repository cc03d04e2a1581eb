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
// ends. A new plan replaces the one before; the thread gives up an old one between two files.
// Thread-safe; never calls back.
class TSongQueue {
public:
  // A song queued behind the playing one. Its handle and module belong to the queue until taken.
  struct TQueued {
    MIDASmodulePlayHandle Handle = 0;
    MIDASmodule Module = 0;
    int32_t Index = -1;      // into the list planned from
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
  // candidates from `songs`, each from its first subsong. Withdraws whatever was planned or
  // queued before.
  void Plan(MIDASmodulePlayHandle playing, uint32_t loops, TPlayOrder order,
            std::vector<std::string> songs, int32_t subsong = 0);
  // Withdraws the plan: a song being loaded is dropped, a queued one stopped and freed.
  void Withdraw();
  // The queued song, once the playing song's loop count `loops` shows that it has begun; the
  // caller then owns its handle and module. Nothing otherwise.
  std::optional<TQueued> TakeIfBegun(uint32_t loops);
  // The queued song whether or not it has begun (a Next that wants it now); the caller then
  // owns its handle, still waiting behind the playing song, and its module.
  std::optional<TQueued> Take();
  // True while a song is queued.
  bool Ready() const;
  // True while a plan is being carried out: files are read to find the song to queue.
  bool Busy() const;
  // Withdraws the plan and ends the thread; the queue plans nothing afterwards.
  void Shutdown();

private:
  struct TRequest {
    MIDASmodulePlayHandle Playing = 0;
    uint32_t Loops = 0;
    TPlayOrder Order;
    std::vector<std::string> Songs;
    int32_t Subsong = 0;
  };

  void run();
  void load(TRequest request, uint64_t generation, std::unique_lock<std::mutex>& lock);
  void dropQueued();

  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::optional<TRequest> m_request;
  std::optional<TQueued> m_queued;
  uint64_t m_generation = 0; // counts plans and withdrawals; a load of an older one is dropped
  bool m_quit = false;
  bool m_loading = false;
  std::thread m_thread;
};

#pragma once

#include "music/FrameRing.h"
#include "music/PlayView.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

// The views of the blocks mixed last, each with the output frame that ends it, so that a reader
// can pick the one being heard while the output still holds later ones. The mixing thread
// publishes without ever waiting: a view that finds a reader in the ring is dropped.
class TPlayViewRing {
public:
  static constexpr std::size_t kSize = 128;

  // Mixing thread: `view` as it stands after the block that ends at output frame `frame`.
  void publish(const TPlayView& view, uint64_t frame);
  // The view of the newest block ending at or before `frame`, or the oldest kept when all end
  // later; nothing when none is kept.
  std::optional<TPlayView> at(uint64_t frame);
  // Forgets the views of blocks ending after `frame`, which the output dropped.
  void dropAfter(uint64_t frame);
  // Forgets every view (a reader waits for the mixing thread's publish to end).
  void clear();

private:
  std::mutex m_lock;
  TFrameRing<TPlayView, kSize> m_views;
};

#pragma once

#include "gfx/DDraw3.h"

#include <cstdint>
#include <vector>

// The runs of opaque pixels (those unequal to a colour key) in every row of a surface, found
// once so that colour-keyed copies skip the transparent runs and copy the opaque ones whole.
// A surface makes them again whenever its pixels or the key change. Not thread-safe.
class TOpaqueSpans {
public:
  // The runs of `pixels` (8 or 32 bits per pixel) whose pixels are not `key`; for 8-bit
  // surfaces only the key's low byte counts.
  TOpaqueSpans(const TPixelView& pixels, uint32_t key);

  uint32_t key() const { return m_key; }

  // Copies the opaque pixels of `source` (the pixels the runs were found in) inside
  // `sourceRect`, which lies within the surface, to `to`, the destination's pixel for the
  // rectangle's top left, `toPitch` bytes per row. Source and destination must not overlap.
  void copy(const TPixelView& source, const RECT& sourceRect, uint8_t* to, int32_t toPitch) const;

private:
  struct TRun {
    int32_t begin, end; // columns, end excluded
  };

  uint32_t m_key;
  std::vector<TRun> m_runs;       // every row's runs, left to right, row after row
  std::vector<uint32_t> m_rowRuns; // index of each row's first run; one more at the end
};

#pragma once

#include <array>
#include <cstdint>

// The board's cells: 14 columns by 22 rows of one-byte colour codes, addressed (column, row)
// from 1 and stored column by column (308 bytes).
struct TCellGrid {
  static constexpr int kColumns = 14;
  static constexpr int kRows = 22;

  std::array<uint8_t, kColumns * kRows> cells{};

  static bool inside(int32_t column, int32_t row) {
    return column >= 1 && column <= kColumns && row >= 1 && row <= kRows;
  }
  // The cell at (column, row), which must be inside.
  uint8_t& at(int32_t column, int32_t row) { return cells[(column - 1) * kRows + row - 1]; }
  uint8_t at(int32_t column, int32_t row) const { return cells[(column - 1) * kRows + row - 1]; }
};
static_assert(sizeof(TCellGrid) == 308);

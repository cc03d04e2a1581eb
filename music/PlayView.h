#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the song being heard sounds at one moment, as the pattern view shows it: its place in the
// module and each channel's loudness.
struct TPlayView {
  static constexpr int32_t kMaxChannels = 128;

  uint32_t Module = 0; // handle of the module heard; 0 = none
  uint32_t Start = 0;  // counts the module's starts: a new one is a new play of it
  int32_t Orders = 0;  // of the song
  int32_t Order = 0;
  int32_t Pattern = 0;
  int32_t Row = 0;
  int32_t Speed = 0; // ticks per row
  int32_t Tempo = 0;
  double Bpm = 0; // beats per minute as the library estimates them
  int32_t Channels = 0; // of the module; loudness is kept for the first kMaxChannels
  std::array<float, kMaxChannels> Left{}; // 0 (silent) to 1 (full scale) and a little above
  std::array<float, kMaxChannels> Right{};
};

// The text of one pattern as a tracker shows it: per row and channel the library's cell text
// and, character for character, what each character is (' ' or '.' empty, 'n' note, 'm' special
// note, 'i' instrument, 'u' volume command, 'v' its value, 'e' effect, 'f' its value).
struct TPatternText {
  int32_t Rows = 0;
  int32_t Channels = 0;
  std::vector<std::string> Cells;      // Rows * Channels, row by row
  std::vector<std::string> Highlights; // the same shape as Cells

  const std::string& cell(int32_t row, int32_t channel) const { return Cells[row * Channels + channel]; }
  const std::string& highlight(int32_t row, int32_t channel) const { return Highlights[row * Channels + channel]; }
};

#pragma once

#include "gfx/DDraw3.h"
#include "gfx/Text.h"

#include <array>
#include <deque>
#include <string>

// The message line: a queue of lines shown one at a time, each typed out one character per
// tick with every character bobbing on a sine wave, then held for HoldTime ticks, and drawn
// only inside Box: a line longer than the box is cut at its edge. Update belongs to the tick
// and Draw to the frame; the caller keeps the two apart, and Draw reads only what Update leaves.
class TTextWriter : public TText {
public:
  TTextWriter(int32_t x, int32_t y, TDX* display);

  // Queues `line` (UTF-8) in the font's characters.
  void Add(const std::string& line) { Lines.push_back(Plain(line)); }
  void Update();
  void Draw() const;

  int32_t X, Y;
  RECT Box{0, 0, 0x7FFFFFFF, 0x7FFFFFFF};
  int32_t HoldTime = 100;
  int32_t Countdown = 100;
  int32_t Shown = 0;
  int32_t PhaseX = 0;
  int32_t PhaseY = 359;
  // Wave[i] = the nearest integer to sin(i / pi) * 5 + 10: 5 to 15.
  std::array<int32_t, 720> Wave{};
  std::deque<std::string> Lines;
};

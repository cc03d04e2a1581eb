#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class TDX;

// The sprite's exception: every failure of its loading and drawing, with the same text.
class EAnimSprite : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A looping animation from one strip of equal frames, drawn where the caller says; each frame
// shows for Delay draws (Delay 0 changes the frame on every draw).
class TAnimSprite {
public:
  // Loads `fileName` from the game data folder with its palette. Throws EAnimSprite.
  TAnimSprite(TDX* display, int32_t frameWidth, int32_t frameHeight, int32_t frameCount,
              const std::string& fileName);

  // Draws the current frame at (x, y), then counts the draw. Throws EAnimSprite; a failed
  // draw counts nothing.
  void Draw(int32_t x, int32_t y);
  // Fills the frame's area at (x, y) with colour 0.
  void Erase(int32_t x, int32_t y);

  TDX* Display;
  int32_t FrameCount;
  int32_t Delay = 0;
  int32_t Image = -1;
  int32_t Frame = 0;
  int32_t Ticks = 0;
  int32_t FrameWidth;
  int32_t FrameHeight;
};

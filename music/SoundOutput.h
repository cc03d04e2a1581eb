#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Where the sound library's mix is heard: a PulseAudio stream or an SDL device. Thread-safe; the
// fill function an output is given runs on a thread of the output's own and must not wait for
// the callers of these functions.
class TSoundOutput {
public:
  // Fills `bytes` bytes (whole frames) of sound in the output format.
  using TFill = std::function<void(uint8_t* out, std::size_t bytes)>;

  virtual ~TSoundOutput() = default;

  // Plays, or rests keeping what it holds. False when it cannot play, with the reason in `why`.
  virtual bool setRunning(bool running, std::string& why) = 0;
  // Whether flush() drops what the output holds; otherwise all that was filled is heard.
  virtual bool canFlush() const = 0;
  // Drops what the output holds when it can: what is filled next is heard next.
  virtual void flush() = 0;
  // The output's own volume, 0 to 100 %, heard at once whatever it holds; false when it has
  // none, and the mix must be made softer instead.
  virtual bool setVolume(int32_t percent) = 0;
  // How long what is filled now takes to be heard, in seconds: what the output holds.
  virtual double latencySeconds() = 0;
};

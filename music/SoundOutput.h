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
  // Takes the commands waiting for the mix and drops up to `most` of the frames filled last,
  // returning how many it dropped: what is filled next takes their place.
  using TRewind = std::function<std::size_t(std::size_t most)>;

  virtual ~TSoundOutput() = default;

  // Plays, or rests keeping what it holds. False when it cannot play, with the reason in `why`.
  virtual bool setRunning(bool running, std::string& why) = 0;
  // Nothing is to be heard any more: the output plays what the next fill gives it in place of
  // what it holds (a fade, then silence), and then rests, dropping what it holds.
  virtual void fadeOut() = 0;
  // Has the commands waiting for the mix taken soon, on the output's thread; with `rewrite`,
  // what the output holds beyond the next few milliseconds is filled anew, so that they are heard
  // at once. An output that cannot do that takes them at its next fill, which is soon.
  virtual void wake(bool rewrite) = 0;
  // The output's own volume, 0 to 100 %, heard at once whatever it holds; false when it has
  // none, and the mix must be made softer instead.
  virtual bool setVolume(int32_t percent) = 0;
  // How long what is filled now takes to be heard, in seconds: what the output holds.
  virtual double latencySeconds() = 0;
  // Why nothing is heard though the output runs (its sound server has gone, and it is looked
  // for again); empty while the sound goes out.
  virtual std::string problem() = 0;
};

#pragma once

#include "music/MidasMixer.h"
#include "music/SoundOutput.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;
struct pa_mainloop_api;

// Sound output straight to a PulseAudio server (or PipeWire's PulseAudio service), which the
// sound library uses instead of SDL's when one answers. Unlike SDL it can write over what the
// server holds, so a buffer large enough that the server wakes rarely still lets a command be
// heard at once, with nothing falling silent meanwhile; and a stream with nothing to play is
// corked, so that the server can suspend. `fill` and `rewind` run on PulseAudio's own thread.
class TPulseOutput : public TSoundOutput {
public:
  // Connects to the server and opens a corked stream of `format`; nothing when no server
  // answers or it refuses the stream. A server that goes later (restarted, killed) is looked for
  // every kRetryUs; meanwhile problem() says why nothing is heard, the time stands still, and
  // once it is back the music goes on from what was heard last.
  static std::unique_ptr<TPulseOutput> open(const TOutputFormat& format, TFill fill, TRewind rewind);
  ~TPulseOutput() override;
  TPulseOutput(const TPulseOutput&) = delete;
  TPulseOutput& operator=(const TPulseOutput&) = delete;

  // Plays (uncorked) or rests (corked, keeping what it holds); never fails.
  bool setRunning(bool running, std::string& why) override;
  // Writes the fade over what the server holds kStopDelayUs later (at once when anything else
  // wakes the output meanwhile, such as the next song's start) and rests kFadeOutUs later,
  // unless asked to play again first.
  void fadeOut() override;
  // A wake within kWakeDelay takes the commands of every call made meanwhile at once. A rewrite
  // keeps kKeepSeconds of what the server holds, writing over the rest (a write that lands late
  // loses only the part the server has already played), so nothing falls silent meanwhile.
  void wake(bool rewrite) override;
  // The stream's volume at the server.
  bool setVolume(int32_t percent) override;
  // The sound the stream and the server hold. A call also asks the server for fresh timing,
  // which later calls use, unless that was asked for in the last kTimingAge.
  double latencySeconds() override;
  std::string problem() override;

private:
  TPulseOutput(TFill fill, TRewind rewind);
  bool connect(const TOutputFormat& format);
  // On the mainloop's thread from here on.
  bool openContext();
  bool openStream();
  void dropConnection();
  void onContextState();
  void onStreamState();
  void onTimer(pa_time_event* event);
  // The server or the stream has gone, for `why`.
  void lose(const std::string& why);
  void reconnect();
  void regain();
  static void onWrite(pa_stream* stream, std::size_t bytes, void* self);
  // The wake's work.
  void takeCommands();
  void rewriteHeld(bool timed);
  void writeOver(std::size_t bytes);
  // Corks the stream and drops what it holds.
  void rest();
  // What the server holds, as last known while it is gone.
  double heldSeconds();

  TFill m_fill;
  TRewind m_rewind;
  TOutputFormat m_format;
  std::size_t m_frameBytes = 0;
  pa_threaded_mainloop* m_loop = nullptr;
  pa_mainloop_api* m_api = nullptr;
  pa_context* m_context = nullptr;
  pa_stream* m_stream = nullptr;
  bool m_connected = false; // the first connection was made
  bool m_lost = false;      // the server has gone since
  std::string m_problem;    // why, while it is gone
  std::size_t m_heldFrames = 0;
  int32_t m_volume = 100;
  bool m_running = false;
  bool m_stale = false; // flushed while corked: what was filled since is old silence
  pa_time_event* m_wake = nullptr;
  bool m_wakePending = false;
  bool m_stopWaits = false; // the wake pending is a stop's, which waits for what may follow
  bool m_rewritePending = false;
  pa_time_event* m_rest = nullptr;
  bool m_resting = false; // a rest is due
  pa_time_event* m_retry = nullptr;
  // Between the server's timing updates the stream interpolates; asking more often than this
  // would only wake the server.
  static constexpr std::chrono::milliseconds kTimingAge{200};
  std::chrono::steady_clock::time_point m_timingAsked{};
};

#include "music/PulseOutput.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <algorithm>

namespace {

// The stream's buffer at the server, and how much is written at a time: the server wakes for
// the program about every kRequestSeconds, as for a music player, while writing over what it
// holds makes a command heard at once whatever is buffered. The server runs its own output with the latency left
// between them (about kBufferSeconds - 2 kRequestSeconds): left too short, it wakes all the time.
constexpr double kBufferSeconds = 0.6;
constexpr double kRequestSeconds = 0.2;
// Playing starts (and starts again after a flush) once this much is written.
constexpr double kStartSeconds = 0.02;

// A rewrite leaves the server this much of what it holds, the time it takes to write anew.
constexpr double kKeepSeconds = 0.015;
// Wakes that come within this time of one another are taken together, such as the stop of one
// song and the start of the next.
constexpr pa_usec_t kWakeDelayUs = 2000;
// After a fade out the stream plays on this long, so that the fade is heard, before it rests.
constexpr pa_usec_t kFadeOutUs = 60000;

// A lock on the mainloop for a scope.
class TLoopLock {
public:
  explicit TLoopLock(pa_threaded_mainloop* loop) : m_loop(loop) { pa_threaded_mainloop_lock(loop); }
  ~TLoopLock() { pa_threaded_mainloop_unlock(m_loop); }

private:
  pa_threaded_mainloop* m_loop;
};

void signalLoop(void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }

void done(pa_operation* operation) {
  if (operation) pa_operation_unref(operation);
}

} // namespace

TPulseOutput::TPulseOutput(TFill fill, TRewind rewind)
    : m_fill(std::move(fill)), m_rewind(std::move(rewind)) {}

std::unique_ptr<TPulseOutput> TPulseOutput::open(const TOutputFormat& format, TFill fill, TRewind rewind) {
  std::unique_ptr<TPulseOutput> output(new TPulseOutput(std::move(fill), std::move(rewind)));
  if (!output->connect(format)) return nullptr;
  return output;
}

bool TPulseOutput::connect(const TOutputFormat& format) {
  m_loop = pa_threaded_mainloop_new();
  if (!m_loop || pa_threaded_mainloop_start(m_loop) < 0) return false;
  TLoopLock lock(m_loop);
  m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "VORKA");
  if (!m_context) return false;
  pa_context_set_state_callback(
      m_context, [](pa_context*, void* loop) { signalLoop(loop); }, m_loop);
  if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  for (pa_context_state_t state; (state = pa_context_get_state(m_context)) != PA_CONTEXT_READY;) {
    if (!PA_CONTEXT_IS_GOOD(state)) return false;
    pa_threaded_mainloop_wait(m_loop);
  }

  m_wake = pa_context_rttime_new(
      m_context, PA_USEC_INVALID,
      [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
        static_cast<TPulseOutput*>(self)->takeCommands();
      },
      this);
  m_rest = pa_context_rttime_new(
      m_context, PA_USEC_INVALID,
      [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
        static_cast<TPulseOutput*>(self)->rest();
      },
      this);
  m_frameBytes = static_cast<std::size_t>(format.bytesPerFrame());
  m_rate = format.rate;

  pa_sample_spec sampleFormat{};
  sampleFormat.format = format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16NE;
  sampleFormat.rate = static_cast<uint32_t>(format.rate);
  sampleFormat.channels = static_cast<uint8_t>(format.channels);
  m_stream = pa_stream_new(m_context, "Music", &sampleFormat, nullptr);
  if (!m_stream) return false;
  pa_stream_set_state_callback(
      m_stream, [](pa_stream*, void* loop) { signalLoop(loop); }, m_loop);
  pa_stream_set_write_callback(m_stream, &TPulseOutput::onWrite, this);
  const auto bytesFor = [&](double seconds) {
    return static_cast<uint32_t>(seconds * format.rate) * static_cast<uint32_t>(format.bytesPerFrame());
  };
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = bytesFor(kBufferSeconds);
  attr.prebuf = bytesFor(kStartSeconds);
  attr.minreq = bytesFor(kRequestSeconds);
  attr.fragsize = static_cast<uint32_t>(-1);
  // Timing is interpolated between the updates that latencySeconds asks for, so the server is
  // only asked while something (the time shown, the pattern view) wants to know.
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY |
                                                    PA_STREAM_INTERPOLATE_TIMING);
  if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) return false;
  for (pa_stream_state_t state; (state = pa_stream_get_state(m_stream)) != PA_STREAM_READY;) {
    if (!PA_STREAM_IS_GOOD(state)) return false;
    pa_threaded_mainloop_wait(m_loop);
  }
  return true;
}

TPulseOutput::~TPulseOutput() {
  if (!m_loop) return;
  {
    TLoopLock lock(m_loop);
    if (m_stream) {
      pa_stream_set_write_callback(m_stream, nullptr, nullptr);
      pa_stream_set_state_callback(m_stream, nullptr, nullptr);
      pa_stream_disconnect(m_stream);
      pa_stream_unref(m_stream);
    }
    if (m_wake) pa_threaded_mainloop_get_api(m_loop)->time_free(m_wake);
    if (m_rest) pa_threaded_mainloop_get_api(m_loop)->time_free(m_rest);
    if (m_context) {
      pa_context_set_state_callback(m_context, nullptr, nullptr);
      pa_context_disconnect(m_context);
      pa_context_unref(m_context);
    }
  }
  pa_threaded_mainloop_stop(m_loop);
  pa_threaded_mainloop_free(m_loop);
}

void TPulseOutput::onWrite(pa_stream* stream, std::size_t bytes, void* self) {
  auto& output = *static_cast<TPulseOutput*>(self);
  while (bytes > 0) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(stream, &data, &size) < 0 || !data || size == 0) return;
    output.m_fill(static_cast<uint8_t*>(data), size);
    if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= std::min(bytes, size);
  }
}

void TPulseOutput::wake(bool rewrite) {
  TLoopLock lock(m_loop);
  m_rewritePending = m_rewritePending || rewrite;
  if (m_wakePending || !m_wake) return;
  m_wakePending = true;
  pa_context_rttime_restart(m_context, m_wake, pa_rtclock_now() + kWakeDelayUs);
}

void TPulseOutput::takeCommands() {
  m_wakePending = false;
  const bool rewrite = m_rewritePending && m_running;
  m_rewritePending = false;
  // How much the server holds is asked afresh: between its timing updates the stream only
  // guesses.
  if (rewrite) {
    pa_operation* asked = pa_stream_update_timing_info(
        m_stream, [](pa_stream*, int success, void* self) { static_cast<TPulseOutput*>(self)->rewriteHeld(success); },
        this);
    if (asked) return done(asked);
  }
  m_rewind(0);
}

void TPulseOutput::rewriteHeld(bool timed) {
  // What is still to be heard, its sink's share too: the server rewinds its sink to take what is
  // written over.
  std::size_t most = 0;
  pa_usec_t latency = 0;
  int negative = 0;
  if (timed && m_running && pa_stream_get_latency(m_stream, &latency, &negative) >= 0 && !negative) {
    const double held = static_cast<double>(latency) / 1e6;
    if (held > kKeepSeconds) most = static_cast<std::size_t>((held - kKeepSeconds) * m_rate);
  }
  if (const std::size_t frames = m_rewind(most); frames > 0) writeOver(frames * m_frameBytes);
}

void TPulseOutput::writeOver(std::size_t bytes) {
  // The first write goes back over the last `bytes` written; the rest follow it.
  auto offset = -static_cast<int64_t>(bytes);
  while (bytes > 0) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(m_stream, &data, &size) < 0 || !data || size == 0) return;
    size = std::min(size, bytes);
    m_fill(static_cast<uint8_t*>(data), size);
    if (pa_stream_write(m_stream, data, size, nullptr, offset, PA_SEEK_RELATIVE) < 0) return;
    offset = 0;
    bytes -= size;
  }
}

bool TPulseOutput::setRunning(bool running, std::string&) {
  TLoopLock lock(m_loop);
  if (m_resting) {
    m_resting = false;
    pa_context_rttime_restart(m_context, m_rest, PA_USEC_INVALID);
  }
  if (running == m_running) return true;
  m_running = running;
  // What was filled while flushed and corked is silence from before: the new sound comes first.
  if (running && m_stale) done(pa_stream_flush(m_stream, nullptr, nullptr));
  m_stale = false;
  done(pa_stream_cork(m_stream, running ? 0 : 1, nullptr, nullptr));
  return true;
}

void TPulseOutput::fadeOut() {
  {
    TLoopLock lock(m_loop);
    if (!m_running) {
      // Corked, it holds what a paused song had mixed ahead: that is never to be heard.
      done(pa_stream_flush(m_stream, nullptr, nullptr));
      m_stale = true;
      return;
    }
    m_resting = true;
    pa_context_rttime_restart(m_context, m_rest, pa_rtclock_now() + kFadeOutUs);
  }
  wake(true);
}

void TPulseOutput::rest() {
  m_resting = false;
  m_running = false;
  done(pa_stream_cork(m_stream, 1, nullptr, nullptr));
  done(pa_stream_flush(m_stream, nullptr, nullptr));
  m_stale = true;
}

bool TPulseOutput::setVolume(int32_t percent) {
  TLoopLock lock(m_loop);
  pa_cvolume volume;
  pa_cvolume_set(&volume, pa_stream_get_sample_spec(m_stream)->channels,
                 pa_sw_volume_from_linear(std::clamp(percent, 0, 100) / 100.0));
  done(pa_context_set_sink_input_volume(m_context, pa_stream_get_index(m_stream), &volume,
                                        nullptr, nullptr));
  return true;
}

double TPulseOutput::latencySeconds() {
  TLoopLock lock(m_loop);
  const auto now = std::chrono::steady_clock::now();
  if (now - m_timingAsked >= kTimingAge) {
    m_timingAsked = now;
    done(pa_stream_update_timing_info(m_stream, nullptr, nullptr));
  }
  pa_usec_t latency = 0;
  int negative = 0;
  if (pa_stream_get_latency(m_stream, &latency, &negative) < 0) return kBufferSeconds;
  return negative ? 0.0 : static_cast<double>(latency) / 1e6;
}

#include "music/PulseOutput.h"

#include <pulse/pulseaudio.h>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

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
// A stop that leaves nothing to hear is written this long after it is asked for, so that the
// start of the next song (which a slow or busy caller may ask for a little later) is taken
// with it: the old song then fades as the new one cuts in, with no silence between.
constexpr pa_usec_t kStopDelayUs = 20000;
// After a fade out the stream plays on this long, so that the fade is heard, before it rests.
constexpr pa_usec_t kFadeOutUs = 80000;
// While the server is gone it is looked for this often.
constexpr pa_usec_t kRetryUs = 500000;

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer leaves aside what PulseAudio's libraries do, the mainloop's lock among it: it
// is told where that lock is taken and given back, so that it sees what the lock orders.
void lockTaken(pa_threaded_mainloop* loop) { __tsan_acquire(loop); }
void lockGiven(pa_threaded_mainloop* loop) { __tsan_release(loop); }
#else
void lockTaken(pa_threaded_mainloop*) {}
void lockGiven(pa_threaded_mainloop*) {}
#endif

// A lock on the mainloop for a scope.
class TLoopLock {
public:
  explicit TLoopLock(pa_threaded_mainloop* loop) : m_loop(loop) {
    pa_threaded_mainloop_lock(loop);
    lockTaken(loop);
  }
  ~TLoopLock() {
    lockGiven(m_loop);
    pa_threaded_mainloop_unlock(m_loop);
  }

private:
  pa_threaded_mainloop* m_loop;
};

// A callback of the mainloop, which runs it holding its lock.
class TInLoop {
public:
  explicit TInLoop(pa_threaded_mainloop* loop) : m_loop(loop) { lockTaken(loop); }
  ~TInLoop() { lockGiven(m_loop); }

private:
  pa_threaded_mainloop* m_loop;
};

// Waits for a signal of the mainloop, which gives its lock back meanwhile.
void waitFor(pa_threaded_mainloop* loop) {
  lockGiven(loop);
  pa_threaded_mainloop_wait(loop);
  lockTaken(loop);
}

void done(pa_operation* operation) {
  if (operation) pa_operation_unref(operation);
}

// Has `event` go off `us` from now; PA_USEC_INVALID disarms it.
void arm(pa_mainloop_api* api, pa_time_event* event, pa_usec_t us) {
  if (us == PA_USEC_INVALID) return api->time_restart(event, nullptr);
  timeval when{};
  pa_gettimeofday(&when);
  pa_timeval_add(&when, us);
  api->time_restart(event, &when);
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
  m_format = format;
  m_frameBytes = static_cast<std::size_t>(format.bytesPerFrame());
  m_loop = pa_threaded_mainloop_new();
  if (!m_loop || pa_threaded_mainloop_start(m_loop) < 0) return false;
  TLoopLock lock(m_loop);
  m_api = pa_threaded_mainloop_get_api(m_loop);
  const auto onTimer = [](pa_mainloop_api*, pa_time_event* event, const struct timeval*, void* self) {
    static_cast<TPulseOutput*>(self)->onTimer(event);
  };
  m_wake = m_api->time_new(m_api, nullptr, onTimer, this);
  m_rest = m_api->time_new(m_api, nullptr, onTimer, this);
  m_retry = m_api->time_new(m_api, nullptr, onTimer, this);
  if (!openContext()) return false;
  for (pa_context_state_t state; (state = pa_context_get_state(m_context)) != PA_CONTEXT_READY;) {
    if (!PA_CONTEXT_IS_GOOD(state)) return false;
    waitFor(m_loop);
  }
  if (!openStream()) return false;
  for (pa_stream_state_t state; (state = pa_stream_get_state(m_stream)) != PA_STREAM_READY;) {
    if (!PA_STREAM_IS_GOOD(state)) return false;
    waitFor(m_loop);
  }
  m_connected = true;
  return true;
}

bool TPulseOutput::openContext() {
  m_context = pa_context_new(m_api, "VORKA");
  if (!m_context) return false;
  pa_context_set_state_callback(
      m_context, [](pa_context*, void* self) { static_cast<TPulseOutput*>(self)->onContextState(); }, this);
  return pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
}

bool TPulseOutput::openStream() {
  pa_sample_spec sampleFormat{};
  sampleFormat.format = m_format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16NE;
  sampleFormat.rate = static_cast<uint32_t>(m_format.rate);
  sampleFormat.channels = static_cast<uint8_t>(m_format.channels);
  m_stream = pa_stream_new(m_context, "Music", &sampleFormat, nullptr);
  if (!m_stream) return false;
  pa_stream_set_state_callback(
      m_stream, [](pa_stream*, void* self) { static_cast<TPulseOutput*>(self)->onStreamState(); }, this);
  pa_stream_set_write_callback(m_stream, &TPulseOutput::onWrite, this);
  const auto bytesFor = [&](double seconds) {
    return static_cast<uint32_t>(seconds * m_format.rate) * static_cast<uint32_t>(m_frameBytes);
  };
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = bytesFor(kBufferSeconds);
  attr.prebuf = bytesFor(kStartSeconds);
  attr.minreq = bytesFor(kRequestSeconds);
  attr.fragsize = static_cast<uint32_t>(-1);
  // Timing is interpolated between the updates that latencySeconds asks for, so the server is
  // only asked while something (the time shown, the pattern view) wants to know.
  auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING);
  if (!m_running) flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_START_CORKED);
  pa_cvolume volume;
  pa_cvolume_set(&volume, sampleFormat.channels, pa_sw_volume_from_linear(m_volume / 100.0));
  return pa_stream_connect_playback(m_stream, nullptr, &attr, flags, &volume, nullptr) >= 0;
}

void TPulseOutput::dropConnection() {
  if (m_stream) {
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
  }
  if (m_context) {
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
  }
}

TPulseOutput::~TPulseOutput() {
  if (!m_loop) return;
  {
    TLoopLock lock(m_loop);
    dropConnection();
    for (pa_time_event* event : {m_wake, m_rest, m_retry})
      if (event) m_api->time_free(event);
  }
  pa_threaded_mainloop_stop(m_loop);
  pa_threaded_mainloop_free(m_loop);
}

void TPulseOutput::onTimer(pa_time_event* event) {
  TInLoop held(m_loop);
  if (event == m_wake)
    takeCommands();
  else if (event == m_rest)
    rest();
  else
    reconnect();
}

void TPulseOutput::onContextState() {
  TInLoop held(m_loop);
  pa_threaded_mainloop_signal(m_loop, 0);
  const pa_context_state_t state = pa_context_get_state(m_context);
  if (!PA_CONTEXT_IS_GOOD(state))
    lose(pa_strerror(pa_context_errno(m_context)));
  else if (state == PA_CONTEXT_READY && m_lost && !m_stream && !openStream())
    lose(pa_strerror(pa_context_errno(m_context)));
}

void TPulseOutput::onStreamState() {
  TInLoop held(m_loop);
  pa_threaded_mainloop_signal(m_loop, 0);
  const pa_stream_state_t state = pa_stream_get_state(m_stream);
  if (!PA_STREAM_IS_GOOD(state))
    lose(pa_strerror(pa_context_errno(m_context)));
  else if (state == PA_STREAM_READY && m_lost)
    regain();
}

void TPulseOutput::lose(const std::string& why) {
  // A first connection that fails is the caller's to report.
  if (!m_connected) return;
  if (!m_lost) {
    m_lost = true;
    m_problem = why;
  }
  arm(m_api, m_retry, kRetryUs);
}

void TPulseOutput::reconnect() {
  dropConnection();
  if (!openContext()) arm(m_api, m_retry, kRetryUs);
}

void TPulseOutput::regain() {
  m_lost = false;
  m_problem.clear();
  m_stale = false;
  // What the server held when it went was never heard: the music goes on from what was.
  m_rewind(m_heldFrames);
  m_heldFrames = 0;
}

std::string TPulseOutput::problem() {
  TLoopLock lock(m_loop);
  return m_problem;
}

void TPulseOutput::onWrite(pa_stream* stream, std::size_t bytes, void* self) {
  auto& output = *static_cast<TPulseOutput*>(self);
  TInLoop held(output.m_loop);
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
  // A stop waiting for what may follow it is taken as soon as anything does.
  if (m_wakePending && !m_stopWaits) return;
  m_wakePending = true;
  m_stopWaits = false;
  arm(m_api, m_wake, kWakeDelayUs);
}

void TPulseOutput::takeCommands() {
  m_wakePending = false;
  m_stopWaits = false;
  const bool rewrite = m_rewritePending && m_running && !m_lost;
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
  TInLoop held(m_loop);
  // What is still to be heard, its sink's share too: the server rewinds its sink to take what is
  // written over.
  std::size_t most = 0;
  if (timed && m_running && !m_lost) {
    const double held = heldSeconds();
    if (held > kKeepSeconds) most = static_cast<std::size_t>((held - kKeepSeconds) * m_format.rate);
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
    arm(m_api, m_rest, PA_USEC_INVALID);
  }
  if (running == m_running) return true;
  m_running = running;
  if (m_lost) return true;
  // What was filled while flushed and corked is silence from before: the new sound comes first.
  if (running && m_stale) done(pa_stream_flush(m_stream, nullptr, nullptr));
  m_stale = false;
  done(pa_stream_cork(m_stream, running ? 0 : 1, nullptr, nullptr));
  return true;
}

void TPulseOutput::fadeOut() {
  TLoopLock lock(m_loop);
  if (!m_running || m_lost) {
    m_running = false;
    m_heldFrames = 0;
    // Corked, it holds what a paused song had mixed ahead: that is never to be heard.
    if (!m_lost) done(pa_stream_flush(m_stream, nullptr, nullptr));
    m_stale = !m_lost;
    return;
  }
  m_resting = true;
  arm(m_api, m_rest, kFadeOutUs);
  m_rewritePending = true;
  if (m_wakePending) return;
  m_wakePending = true;
  m_stopWaits = true;
  arm(m_api, m_wake, kStopDelayUs);
}

void TPulseOutput::rest() {
  m_resting = false;
  m_running = false;
  if (m_lost) return;
  done(pa_stream_cork(m_stream, 1, nullptr, nullptr));
  done(pa_stream_flush(m_stream, nullptr, nullptr));
  m_stale = true;
}

bool TPulseOutput::setVolume(int32_t percent) {
  TLoopLock lock(m_loop);
  m_volume = std::clamp(percent, 0, 100);
  if (m_lost) return true;
  pa_cvolume volume;
  pa_cvolume_set(&volume, pa_stream_get_sample_spec(m_stream)->channels, pa_sw_volume_from_linear(m_volume / 100.0));
  done(pa_context_set_sink_input_volume(m_context, pa_stream_get_index(m_stream), &volume,
                                        nullptr, nullptr));
  return true;
}

double TPulseOutput::heldSeconds() {
  if (m_lost) return static_cast<double>(m_heldFrames) / m_format.rate;
  pa_usec_t latency = 0;
  int negative = 0;
  if (pa_stream_get_latency(m_stream, &latency, &negative) < 0) return kBufferSeconds;
  const double held = negative ? 0.0 : static_cast<double>(latency) / 1e6;
  // Kept for the moment the server goes: what it held then was never heard.
  m_heldFrames = static_cast<std::size_t>(held * m_format.rate);
  return held;
}

double TPulseOutput::latencySeconds() {
  TLoopLock lock(m_loop);
  const auto now = std::chrono::steady_clock::now();
  if (!m_lost && now - m_timingAsked >= kTimingAge) {
    m_timingAsked = now;
    done(pa_stream_update_timing_info(m_stream, nullptr, nullptr));
  }
  return heldSeconds();
}

#pragma once

#include "tests/support/TempDir.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct pa_simple;

// A PulseAudio server of the test's own with a null sink that suspends after a second idle; the
// process's PULSE_SERVER and XDG_RUNTIME_DIR point at it while it lives.
class TSoundServer {
public:
  explicit TSoundServer(const TempDir& dir);
  ~TSoundServer();
  TSoundServer(const TSoundServer&) = delete;
  TSoundServer& operator=(const TSoundServer&) = delete;

  bool ready() const;
  // Ends the server at once (SIGKILL), as a crash would.
  void kill();
  // Starts it again after kill(); true once it answers.
  bool start();
  // The null sink's state as the server's own tool tells it: RUNNING, IDLE or SUSPENDED.
  std::string sinkState() const;

private:
  std::string m_dir;
  std::string m_socket;
  std::string m_oldRuntime;
  pid_t m_pid = -1;
};

// What the null sink plays, recorded from its monitor at 44100 Hz, 16-bit stereo.
class TRecorder {
public:
  TRecorder();
  ~TRecorder();
  TRecorder(const TRecorder&) = delete;
  TRecorder& operator=(const TRecorder&) = delete;
  bool open() const { return m_simple; }
  // The next `span` of sound, interleaved; empty when the server fails.
  std::vector<int16_t> read(std::chrono::milliseconds span);
  // The peak of the next `span` of sound; -1 when the server fails.
  int peak(std::chrono::milliseconds span);

private:
  pa_simple* m_simple = nullptr;
};

#include "tests/support/SoundServer.h"

#include <pulse/simple.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

TSoundServer::TSoundServer(const TempDir& dir) : m_dir(dir.path().string()) {
  const std::string runtime = dir.file("run");
  mkdir(runtime.c_str(), 0700);
  m_socket = dir.file("native");
  std::ofstream(dir.file("pa.conf"))
      << "load-module module-null-sink sink_name=null\n"
      << "load-module module-suspend-on-idle timeout=1\n"
      << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << m_socket << "\n"
      << "set-default-sink null\n";
  if (const char* old = std::getenv("XDG_RUNTIME_DIR")) m_oldRuntime = old;
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + m_socket).c_str(), 1);
  start();
}

TSoundServer::~TSoundServer() {
  if (m_pid > 0) {
    ::kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  unsetenv("PULSE_SERVER");
  if (m_oldRuntime.empty())
    unsetenv("XDG_RUNTIME_DIR");
  else
    setenv("XDG_RUNTIME_DIR", m_oldRuntime.c_str(), 1);
}

bool TSoundServer::start() {
  const std::string config = m_dir + "/pa.conf", log = "--log-target=file:" + m_dir + "/pa.log";
  unlink(m_socket.c_str());
  m_pid = fork();
  if (m_pid == 0) {
    // A test killed on its way (a sanitizer's halt, a timeout) takes its server with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execlp("pulseaudio", "pulseaudio", "-n", "-F", config.c_str(), "--exit-idle-time=-1",
           "--daemonize=no", log.c_str(), nullptr);
    _exit(127);
  }
  for (int i = 0; i < 100 && !ready(); ++i) std::this_thread::sleep_for(50ms);
  return ready();
}

void TSoundServer::kill() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

bool TSoundServer::ready() const { return access(m_socket.c_str(), F_OK) == 0 && sinkState() != ""; }

std::string TSoundServer::sinkState() const {
  std::string state;
  if (FILE* out = popen("pactl list short sinks 2>/dev/null", "r")) {
    char line[512];
    while (fgets(line, sizeof line, out))
      if (std::string(line).find("\tnull\t") != std::string::npos) {
        std::string text(line);
        state = text.substr(text.find_last_of('\t') + 1);
        state.erase(state.find_last_not_of("\n ") + 1);
      }
    pclose(out);
  }
  return state;
}

TRecorder::TRecorder() {
  pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, 44100, 2};
  pa_buffer_attr attr{static_cast<uint32_t>(-1), 0, 0, 0, 4 * 441};
  m_simple = pa_simple_new(nullptr, "vorka-test", PA_STREAM_RECORD, "null.monitor", "monitor",
                           &sampleFormat, nullptr, &attr, nullptr);
}

TRecorder::~TRecorder() {
  if (m_simple) pa_simple_free(m_simple);
}

std::vector<int16_t> TRecorder::read(std::chrono::milliseconds span) {
  std::vector<int16_t> samples(2 * 44100 * span.count() / 1000);
  if (pa_simple_read(m_simple, samples.data(), samples.size() * 2, nullptr) < 0) return {};
  return samples;
}

int TRecorder::peak(std::chrono::milliseconds span) {
  const std::vector<int16_t> samples = read(span);
  if (samples.empty()) return -1;
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

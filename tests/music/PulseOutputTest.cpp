#include "music/midasdll.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <pulse/simple.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A PulseAudio server of the test's own with a null sink that suspends after a second idle.
class TSoundServer {
public:
  explicit TSoundServer(const TempDir& dir) {
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
    const std::string config = dir.file("pa.conf"), log = "--log-target=file:" + dir.file("pa.log");
    m_pid = fork();
    if (m_pid == 0) {
      execlp("pulseaudio", "pulseaudio", "-n", "-F", config.c_str(), "--exit-idle-time=-1",
             "--daemonize=no", log.c_str(), nullptr);
      _exit(127);
    }
    for (int i = 0; i < 100 && !ready(); ++i) std::this_thread::sleep_for(50ms);
  }
  ~TSoundServer() {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
    unsetenv("PULSE_SERVER");
    if (m_oldRuntime.empty())
      unsetenv("XDG_RUNTIME_DIR");
    else
      setenv("XDG_RUNTIME_DIR", m_oldRuntime.c_str(), 1);
  }

  bool ready() const { return access(m_socket.c_str(), F_OK) == 0 && sinkState() != ""; }

  // The null sink's state as the server's own tool tells it: RUNNING, IDLE or SUSPENDED.
  std::string sinkState() const {
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

private:
  std::string m_socket;
  std::string m_oldRuntime;
  pid_t m_pid = -1;
};

// What the null sink plays, recorded from its monitor.
class TRecorder {
public:
  TRecorder() {
    pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, 44100, 2};
    pa_buffer_attr attr{static_cast<uint32_t>(-1), 0, 0, 0, 4 * 441};
    m_simple = pa_simple_new(nullptr, "vorka-test", PA_STREAM_RECORD, "null.monitor", "monitor",
                             &sampleFormat, nullptr, &attr, nullptr);
  }
  ~TRecorder() {
    if (m_simple) pa_simple_free(m_simple);
  }
  bool open() const { return m_simple; }
  // The peak of the next `span` of sound.
  int peak(std::chrono::milliseconds span) {
    std::vector<int16_t> samples(2 * 44100 * span.count() / 1000);
    if (pa_simple_read(m_simple, samples.data(), samples.size() * 2, nullptr) < 0) return -1;
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
  }

private:
  pa_simple* m_simple = nullptr;
};

// The library playing to a PulseAudio server of the test's own.
class PulseOutputTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.ready()) << "the test's sound server did not start";
    unsetenv("SDL_AUDIODRIVER");
    MIDASstartup();
    ASSERT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
    ASSERT_TRUE(MIDASstartBackgroundPlay(0));
    MIDASsetMasterVolume(100);
  }
  void TearDown() override {
    MIDASclose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  TempDir dir;
  TSoundServer server{dir};
};

// Against a PulseAudio server the library plays straight to it: sound while a module plays; the
// volume and Stop heard at once though the stream buffers half a second; and with nothing to
// play the stream corks, so that the server suspends its sink.
TEST_F(PulseOutputTest, PlaysToTheServerAndRestsWithIt) {
  auto monitor = std::make_unique<TRecorder>();
  ASSERT_TRUE(monitor->open());
  testmod::Module m = testmod::simpleSong("Loud", 4, 4, 64, {"Square"});
  MIDASmodule module = MIDASloadModule(dir.write("loud.mod", testmod::writeMod(m)).c_str());
  MIDASmodulePlayHandle h = MIDASplayModule(module, true);
  ASSERT_NE(h, 0u);
  monitor->peak(200ms);
  const int full = monitor->peak(300ms);
  EXPECT_GT(full, 4000);
  EXPECT_EQ(server.sinkState(), "RUNNING");

  MIDASsetMasterVolume(0);
  monitor->peak(100ms);
  EXPECT_EQ(monitor->peak(300ms), 0) << "muted";
  MIDASsetMasterVolume(100);
  monitor->peak(100ms);
  EXPECT_GT(monitor->peak(300ms), full / 2) << "unmuted";

  ASSERT_TRUE(MIDASstopModule(h));
  monitor->peak(100ms);
  EXPECT_EQ(monitor->peak(300ms), 0) << "stopped";
  // The recording itself keeps the sink awake.
  monitor.reset();
  std::string state;
  for (int i = 0; i < 40 && (state = server.sinkState()) != "SUSPENDED"; ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(state, "SUSPENDED");
}

// The server holds over half a second mixed ahead, yet the time and the end reported are those
// of the sound heard: the time goes with the sound from its first note, and the pass counts as
// played only once its last note has been heard, so a player moving on at the end cuts nothing.
TEST_F(PulseOutputTest, TimeAndEndAreThoseHeard) {
  TRecorder monitor;
  ASSERT_TRUE(monitor.open());
  // 64 rows of 50 ms, every one of them sounding: 3.2 s.
  testmod::Module m = testmod::simpleSong("Heard", 4, 4, 16, {"Square"}, 3, 150);
  MIDASmodule module = MIDASloadModule(dir.write("heard.mod", testmod::writeMod(m)).c_str());
  double duration = 0;
  ASSERT_TRUE(MIDASgetModuleDuration(module, &duration));
  MIDASmodulePlayHandle h = MIDASplayModule(module, false);
  ASSERT_NE(h, 0u);

  constexpr auto kBlock = 10ms;
  std::vector<double> ahead; // time reported less time heard
  int blocks = 0, onset = -1;
  double heardAtEnd = -1;
  for (int i = 0; i < 600 && heardAtEnd < 0; ++i) {
    const bool loud = monitor.peak(kBlock) > 1000;
    if (onset < 0 && loud) onset = i;
    blocks = i + 1;
    if (onset < 0) continue;
    const double heard = (blocks - onset) * 0.01;
    double reported = 0;
    PlayStatus status{};
    ASSERT_TRUE(MIDASgetPlayTime(h, &reported));
    ASSERT_TRUE(MIDASgetPlayStatus(h, &status));
    if (status.LoopCount > 0) heardAtEnd = heard;
    if (heard > 0.5 && heard < duration - 0.5) ahead.push_back(reported - heard);
  }
  ASSERT_GE(onset, 0) << "nothing was heard";
  ASSERT_GT(heardAtEnd, 0) << "the end was never reported";
  // Reported at the mixed end, the end came 0.25 s or more early; a reader that falls behind
  // the recording only makes it look earlier than it was.
  EXPECT_GT(heardAtEnd, duration - 0.15);
  ASSERT_FALSE(ahead.empty());
  std::sort(ahead.begin(), ahead.end());
  EXPECT_NEAR(ahead[ahead.size() / 2], 0.0, 0.1);
}

} // namespace

#include "app/ExportCommand.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

class ExportCommandTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }

  // Runs the command as `vorka --export` does; its status, and what it said in `said`.
  int exportTo(const std::string& output, bool force = false, bool channels = false) {
    std::ostringstream err;
    const int status = TExportCommand::run(module, 0, output, channels, force, err, false);
    said = err.str();
    return status;
  }

  // The names in the folder that begin with ".": the partial files of exports.
  std::vector<std::string> hidden() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path().filename().string().front() == '.') names.push_back(entry.path().filename());
    return names;
  }

  // Starts an export of the long module into `name` in a child process, which `prepare` sets up
  // first, and waits until its partial file is there (when `waitForPartial`).
  pid_t exportInChild(const std::string& name, const std::function<void()>& prepare = {}, bool waitForPartial = true) {
    pid_t child = fork();
    if (child == 0) {
      if (prepare) prepare();
      std::ostringstream err;
      _exit(TExportCommand::run(longModule, 0, dir.file(name), false, false, err, false));
    }
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (waitForPartial && hidden().empty() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(2ms);
    return child;
  }

  static int statusOf(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  TempDir config, dir;
  const std::string module = dir.write("tune.wav", testmod::writeXm(testmod::simpleSong("Tune", 4, 1, 16, {"Lead"})));
  // About five minutes of music, which takes a while to save even faster than real time.
  const std::string longModule = dir.write("long.it", testmod::writeIt(testmod::simpleSong("Long", 8, 40, 64, {"Lead"})));
  std::string said;
};

// What the export may not replace it refuses with status 2 and one line: the module itself
// (here a module named .wav, also through a link), a pipe, and an existing file unless forced.
// Any name the file system allows works, up to 255 bytes.
TEST_F(ExportCommandTest, RefusesWhatItMayNotReplace) {
  std::filesystem::create_symlink(module, dir.file("link.wav"));
  ASSERT_EQ(mkfifo(dir.file("pipe.wav").c_str(), 0600), 0);
  const std::string kept = dir.write("kept.wav", "precious");
  EXPECT_EQ(exportTo(module), TExportCommand::Refused);
  EXPECT_EQ(said, "vorka: " + module + " is the module itself; give another name for the audio file.\n");
  EXPECT_EQ(exportTo(dir.file("link.wav"), true), TExportCommand::Refused);
  EXPECT_EQ(exportTo(dir.file("pipe.wav"), true), TExportCommand::Refused);
  EXPECT_EQ(said, "vorka: " + dir.file("pipe.wav") + " is not a regular file; the export writes only to a file.\n");
  EXPECT_EQ(exportTo(kept), TExportCommand::Refused);
  EXPECT_EQ(said, "vorka: " + kept + " exists; give --force to replace it.\n");
  std::ifstream stillKept(kept);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stillKept), {}), "precious");
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("pipe.wav")));
  EXPECT_EQ(std::filesystem::file_size(module), testmod::writeXm(testmod::simpleSong("Tune", 4, 1, 16, {"Lead"})).size());

  EXPECT_EQ(exportTo(kept, true), 0) << said;
  EXPECT_GT(std::filesystem::file_size(kept), 1000u);
  const std::string longest = dir.file(std::string(251, 'n') + ".wav");
  EXPECT_EQ(exportTo(longest), 0) << said;
  EXPECT_TRUE(std::filesystem::exists(longest));

  // With --channels the first channel's file is the one asked about.
  EXPECT_EQ(exportTo(dir.file("Part.flac"), false, true), 0) << said;
  for (const char* part : {"Part - 01.flac", "Part - 02.flac", "Part - 03.flac", "Part - 04.flac"})
    EXPECT_TRUE(std::filesystem::exists(dir.file(part))) << part;
  EXPECT_EQ(exportTo(dir.file("Part.flac"), false, true), TExportCommand::Refused);
  EXPECT_EQ(said, "vorka: " + dir.file("Part - 01.flac") + " exists; give --force to replace it.\n");
}

// A hang-up cancels an export, and a file grown past the size limit fails it: neither leaves a
// file. An export killed outright leaves its partial file, which the next export into the
// folder removes.
TEST_F(ExportCommandTest, LeavesNothingBehind) {
  pid_t child = exportInChild("hung.flac");
  kill(child, SIGHUP);
  EXPECT_EQ(statusOf(child), TExportCommand::Failed);
  EXPECT_TRUE(hidden().empty());

  child = exportInChild("large.flac", [] {
    const rlimit small{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &small);
  }, false);
  EXPECT_EQ(statusOf(child), TExportCommand::Failed);
  EXPECT_TRUE(hidden().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.file("large.flac")));

  child = exportInChild("killed.flac");
  kill(child, SIGKILL);
  EXPECT_EQ(statusOf(child), 128 + SIGKILL);
  ASSERT_EQ(hidden().size(), 1u);
  EXPECT_EQ(exportTo(dir.file("next.wav")), 0) << said;
  EXPECT_TRUE(hidden().empty());
}

} // namespace

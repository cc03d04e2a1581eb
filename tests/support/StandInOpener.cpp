#include "tests/support/StandInOpener.h"

#include <QCoreApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::vector<std::string> linesOf(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

} // namespace

StandInOpener::StandInOpener(int exitCode) : m_path(std::getenv("PATH") ? std::getenv("PATH") : "") {
  const std::string opener = m_dir.write(
      "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >>'" + m_dir.file("log") + "'\necho 'a browser says hello'\nexit " +
                      std::to_string(exitCode) + "\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  setenv("PATH", (m_dir.path().string() + ":" + m_path).c_str(), 1);
}

StandInOpener::~StandInOpener() { setenv("PATH", m_path.c_str(), 1); }

std::vector<std::string> StandInOpener::opened(std::size_t count) {
  static_cast<void>(QTest::qWaitFor([&] { return linesOf(m_dir.file("log")).size() >= count; }, 5000));
  // The opener has written its last line; its end reaches the program a moment later.
  QTest::qWait(200);
  return linesOf(m_dir.file("log"));
}

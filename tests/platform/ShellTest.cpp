#include "platform/shell.h"

#include "tests/support/StandInOpener.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

class ShellTest : public ::testing::Test {
protected:
  int m_argc = 1;
  char m_name[16] = "tests_platform";
  char* m_argv[2] = {m_name, nullptr};
  QGuiApplication m_app{m_argc, m_argv};
};

} // namespace

// A text with a scheme is an address, taken as it is.
TEST(ShellUrlTest, SchemeTextIsAnAddress) {
  EXPECT_EQ(ShellUrl("https://example.org/tunes?sort=name"), QUrl("https://example.org/tunes?sort=name"));
  EXPECT_EQ(ShellUrl("file:///music/tune.mod"), QUrl("file:///music/tune.mod"));
}

// Anything else is a file; a relative path is resolved against the current directory.
TEST(ShellUrlTest, OtherTextIsALocalFile) {
  EXPECT_EQ(ShellUrl("/music/my tune.mod"), QUrl::fromLocalFile("/music/my tune.mod"));
  EXPECT_EQ(ShellUrl("docs/readme.txt"), QUrl::fromLocalFile(QDir::currentPath() + "/docs/readme.txt"));
  EXPECT_EQ(ShellUrl("notes:1.txt"), QUrl::fromLocalFile(QDir::currentPath() + "/notes:1.txt"));
}

// ShellExecute hands the trimmed address to the opener; its output never reaches ours; a
// failure is told with its reason when the opener ends in failure or is not there at all,
// success never.
TEST_F(ShellTest, ExecuteOpensTheAddress) {
  int failures = 0;
  std::string reason;
  {
    StandInOpener opener;
    testing::internal::CaptureStdout();
    ShellExecute(" \tvorka-test://open/help\r\n", [&](const std::string&) { ++failures; });
    ShellExecute("tune.mod");
    std::vector<std::string> opened = opener.opened(2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::sort(opened.begin(), opened.end()); // the two openers run side by side
    EXPECT_EQ(opened, (std::vector<std::string>{(QDir::currentPath() + "/tune.mod").toStdString(),
                                                "vorka-test://open/help"}));
    EXPECT_EQ(failures, 0);
  }
  {
    StandInOpener opener(3);
    ShellExecute("/no/such/page.htm", [&](const std::string& why) {
      ++failures;
      reason = why;
    });
    EXPECT_EQ(opener.opened(1).size(), 1u);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(reason, "no program to open it was found");
  }
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  setenv("PATH", "/nonexistent", 1);
  ShellExecute("/no/such/page.htm", [&](const std::string& why) {
    ++failures;
    reason = why;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return failures == 2; }, 5000));
  setenv("PATH", saved.c_str(), 1);
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(reason, "the desktop's opener, xdg-open, is not installed");
}

// An empty or blank text opens nothing.
TEST_F(ShellTest, BlankTextOpensNothing) {
  StandInOpener opener;
  ShellExecute("");
  ShellExecute(" \t\r\n\x01");
  EXPECT_TRUE(opener.opened(1).empty());
}

#include "platform/shell.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QTextDocument>
#include <QUrl>

#include <vector>

namespace {

// A GUI application whose desktop handlers for "vorka-test" and "file" addresses record what
// they are asked to open. The receiver is a QTextDocument: its baseUrlChanged signal takes a
// QUrl, and the handler invokes it by name.
class ShellTest : public ::testing::Test {
protected:
  int m_argc = 1;
  char m_name[16] = "tests_platform";
  char* m_argv[2] = {m_name, nullptr};
  QGuiApplication m_app{m_argc, m_argv};
  QTextDocument m_handler;
  std::vector<QUrl> m_opened;

  void SetUp() override {
    QObject::connect(&m_handler, &QTextDocument::baseUrlChanged,
                     [this](const QUrl& url) { m_opened.push_back(url); });
    QDesktopServices::setUrlHandler("vorka-test", &m_handler, "baseUrlChanged");
    QDesktopServices::setUrlHandler("file", &m_handler, "baseUrlChanged");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler("vorka-test");
    QDesktopServices::unsetUrlHandler("file");
  }
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

// ShellExecute hands the trimmed address to the desktop's handler for its scheme.
TEST_F(ShellTest, ExecuteOpensTheAddress) {
  ShellExecute(" \tvorka-test://open/help\r\n");
  ShellExecute("tune.mod");
  ASSERT_EQ(m_opened.size(), 2u);
  EXPECT_EQ(m_opened[0], QUrl("vorka-test://open/help"));
  EXPECT_EQ(m_opened[1], QUrl::fromLocalFile(QDir::currentPath() + "/tune.mod"));
}

// An empty or blank text opens nothing.
TEST_F(ShellTest, BlankTextOpensNothing) {
  ShellExecute("");
  ShellExecute(" \t\r\n\x01");
  EXPECT_TRUE(m_opened.empty());
}

#include "app/about.h"

#include "app/main.h"
#include "tests/support/QtApp.h"
#include "tests/support/StandInOpener.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// The memo carries the key guide line by line, between the maker's lines and the notes.
TEST(AboutTest, MemoText) {
  testApp();
  QWidget main;
  TfrmAbout about(&main);
  QStringList lines = about.Memo1->toPlainText().split('\n');
  ASSERT_GE(lines.size(), 18);
  EXPECT_EQ(lines[0], "VORKA - Vorka Music Player");
  int guide = lines.indexOf("Game Keys Quick guide:");
  ASSERT_GT(guide, 1);
  EXPECT_EQ(lines[guide - 1], "");
  QStringList expected{"",
                       "[Left] : Move brick left",
                       "[Right] : Move brick right",
                       "[Down] : Move brick down",
                       "[Up] : Rotate brick",
                       "[Space] : Drop bomb",
                       "",
                       "Watch the Bomb%. You can only drop",
                       "the bomb if there's enough bomb%.",
                       "",
                       QString(38, '-')};
  EXPECT_EQ(lines.mid(guide + 1, expected.size()), expected);
  EXPECT_TRUE(about.Memo1->isReadOnly());
  EXPECT_EQ(about.Memo1->palette().color(QPalette::Text), QColor(Qt::yellow));
}

// Each showing says "Version: beta 3" and centres the box on the main window; the link opens
// the maker's home page.
TEST(AboutTest, ShowingAndLink) {
  testApp();
  QWidget main;
  main.setGeometry(40, 30, 354, 314);
  TfrmAbout about(&main);
  EXPECT_EQ(about.lVersion->text(), "version beta 3");
  about.show();
  EXPECT_EQ(about.lVersion->text(), "Version: beta 3");
  QRect m = main.frameGeometry(), a = about.frameGeometry();
  EXPECT_EQ(a.left(), m.left() + m.width() / 2 - a.width() / 2);
  EXPECT_EQ(about.Label2->toolTip(), "Tarnwell homepage");

  StandInOpener opener;
  QTest::mouseClick(about.Label2, Qt::RightButton, {}, {5, 5});
  QTest::mouseClick(about.Label2, Qt::MiddleButton, {}, {5, 5});
  QTest::mouseClick(about.Label2, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(opener.opened(2), std::vector<std::string>{TfrmMain::HomePage});
}

} // namespace


#include "controls/GfxBtn.h"

#include "tests/support/QtApp.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

QPixmap filled(QColor colour, QSize size = {75, 25}) {
  QPixmap p(size);
  p.fill(colour);
  return p;
}

// A visible button with a red up and a green down bitmap that logs its events in order.
class GfxBtnTest : public ::testing::Test {
protected:
  void SetUp() override {
    button.setBitmapUp(filled(Qt::red));
    button.setBitmapDown(filled(Qt::green));
    button.show();
    QObject::connect(&button, &TGfxBtn::OnClick, [this] { log.push_back("click"); });
    QObject::connect(&button, &TGfxBtn::OnMouseUp,
                     [this](Qt::MouseButton, QPoint) { log.push_back("up"); });
    QObject::connect(&button, &TGfxBtn::OnMouseDown,
                     [this](Qt::MouseButton, QPoint) { log.push_back("down"); });
  }

  QColor shown() { return button.grab().toImage().pixelColor(10, 10); }

  QApplication& app = testApp();
  TGfxBtn button;
  std::vector<std::string> log;
};

// A left press shows the down bitmap; the release inside shows the up bitmap again and
// clicks once, after the mouse-up event.
TEST_F(GfxBtnTest, LeftClickInside) {
  EXPECT_EQ(shown(), QColor(Qt::red));
  QTest::mousePress(&button, Qt::LeftButton, {}, {30, 12});
  EXPECT_TRUE(button.isPressed());
  EXPECT_EQ(shown(), QColor(Qt::green));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, {31, 13});
  EXPECT_FALSE(button.isPressed());
  EXPECT_EQ(shown(), QColor(Qt::red));
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "click"}));
}

// Dragged out while held, the button stays down until the release, which does not click.
TEST_F(GfxBtnTest, ReleaseOutsideDoesNotClick) {
  QTest::mousePress(&button, Qt::LeftButton, {}, {30, 12});
  QTest::mouseMove(&button, {120, 60});
  EXPECT_TRUE(button.isPressed());
  QTest::mouseRelease(&button, Qt::LeftButton, {}, {120, 60});
  EXPECT_FALSE(button.isPressed());
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up"}));
}

// The edges do not count as inside: x = 0, y = 0, x = width and y = height never click.
TEST_F(GfxBtnTest, EdgesAreOutside) {
  int clicks = 0;
  QObject::connect(&button, &TGfxBtn::OnClick, [&] { ++clicks; });
  for (QPoint at : {QPoint(0, 12), QPoint(30, 0), QPoint(75, 12), QPoint(30, 25)}) {
    QTest::mousePress(&button, Qt::LeftButton, {}, {30, 12});
    QTest::mouseRelease(&button, Qt::LeftButton, {}, at);
  }
  EXPECT_EQ(clicks, 0);
  QTest::mousePress(&button, Qt::LeftButton, {}, {1, 1});
  QTest::mouseRelease(&button, Qt::LeftButton, {}, {74, 24});
  EXPECT_EQ(clicks, 1);
}

// A right press never shows the down bitmap, but its release inside still clicks.
TEST_F(GfxBtnTest, RightButtonClicksWithoutGoingDown) {
  QTest::mousePress(&button, Qt::RightButton, {}, {30, 12});
  EXPECT_FALSE(button.isPressed());
  EXPECT_EQ(shown(), QColor(Qt::red));
  QTest::mouseRelease(&button, Qt::RightButton, {}, {30, 12});
  EXPECT_EQ(log.back(), "click");
}

// Switching AutoSize off and on again sizes the button to its up bitmap; a new bitmap alone
// neither resizes it nor changes what it shows until it is painted again.
TEST_F(GfxBtnTest, AutoSizeFollowsTheUpBitmap) {
  button.setBitmapUp(filled(Qt::blue, {60, 20}));
  EXPECT_EQ(button.size(), QSize(75, 25));
  EXPECT_TRUE(button.AutoSize());
  button.setAutoSize(false);
  EXPECT_EQ(button.size(), QSize(75, 25));
  button.setAutoSize(true);
  EXPECT_EQ(button.size(), QSize(60, 20));
  EXPECT_EQ(shown(), QColor(Qt::blue));
  button.setBitmapGray(filled(Qt::yellow));
  button.setEnabled(false);
  EXPECT_EQ(shown(), QColor(Qt::blue));
}

// From the keyboard: the button takes the focus and shows it, Space holds it down and clicks at
// its release, Return clicks at once; to a screen reader it is a push button whose press action
// clicks it.
TEST_F(GfxBtnTest, KeyboardAndScreenReader) {
  EXPECT_TRUE(button.focusPolicy() & Qt::TabFocus);
  button.setFocus();
  QApplication::setActiveWindow(&button);
  ASSERT_TRUE(QTest::qWaitFor([&] { return button.hasFocus(); }));
  EXPECT_NE(button.grab().toImage().pixelColor(3, 3), QColor(Qt::red)) << "no focus mark";
  QTest::keyPress(&button, Qt::Key_Space);
  EXPECT_TRUE(button.isPressed());
  EXPECT_EQ(shown(), QColor(Qt::green));
  EXPECT_TRUE(log.empty());
  QTest::keyRelease(&button, Qt::Key_Space);
  QTest::keyClick(&button, Qt::Key_Return);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "click"}));

  button.setAccessibleName("OK");
  QAccessibleInterface* screenReader = QAccessible::queryAccessibleInterface(&button);
  ASSERT_TRUE(screenReader);
  EXPECT_EQ(screenReader->role(), QAccessible::Button);
  EXPECT_EQ(screenReader->text(QAccessible::Name), "OK");
  screenReader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(log.size(), 3u);
}

} // namespace

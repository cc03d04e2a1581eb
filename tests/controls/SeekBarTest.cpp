#include "controls/SeekBar.h"

#include "tests/support/QtApp.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A click asks for the place under the mouse; while the button is held the bar follows the
// mouse and ignores the player's values; Left, Right and Home ask for a step back, a step on
// and the start, within the range; a bar without a range asks for nothing.
TEST(SeekBarTest, ClickAndDragAskForAPlace) {
  testApp();
  TSeekBar bar;
  bar.setRange(0, 10000);
  bar.resize(101, 12);
  QSignalSpy asked(&bar, &TSeekBar::seekRequested);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(25, 6));
  ASSERT_EQ(asked.count(), 1);
  EXPECT_EQ(asked.takeFirst().at(0).toInt(), 2500);

  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(10, 6));
  QMouseEvent drag(QEvent::MouseMove, QPointF(80, 6), bar.mapToGlobal(QPointF(80, 6)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &drag);
  bar.showPlayed(100);
  EXPECT_EQ(bar.value(), 8000);
  EXPECT_TRUE(asked.isEmpty());
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(150, 6));
  ASSERT_EQ(asked.count(), 1);
  EXPECT_EQ(asked.takeFirst().at(0).toInt(), 10000);
  bar.showPlayed(100);
  EXPECT_EQ(bar.value(), 100);

  bar.setKeyStep(5000);
  EXPECT_EQ(bar.focusPolicy(), Qt::StrongFocus);
  for (auto [key, asks] : {std::pair{Qt::Key_Right, 5100}, {Qt::Key_Left, 0}, {Qt::Key_Home, 0}}) {
    QTest::keyClick(&bar, key);
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked.takeFirst().at(0).toInt(), asks);
  }
  bar.showPlayed(8000);
  QTest::keyClick(&bar, Qt::Key_Right);
  EXPECT_EQ(asked.takeFirst().at(0).toInt(), 10000);

  bar.setRange(0, 0);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(25, 6));
  QTest::keyClick(&bar, Qt::Key_Right);
  EXPECT_TRUE(asked.isEmpty());
}

} // namespace

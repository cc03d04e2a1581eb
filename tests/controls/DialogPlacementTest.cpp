#include "controls/DialogPlacement.h"

#include "tests/support/QtApp.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A dialog is centred on the main window with halves that drop their remainder.
TEST(DialogPlacementTest, CentresWithTruncatedHalves) {
  testApp();
  QWidget main;
  main.setGeometry(101, 51, 355, 297);
  QWidget dialog;
  dialog.resize(101, 41);
  CenterOnWindow(&dialog, &main);
  QRect m = main.frameGeometry(), d = dialog.frameGeometry();
  EXPECT_EQ(d.left(), m.left() + m.width() / 2 - d.width() / 2);
  EXPECT_EQ(d.top(), m.top() + m.height() / 2 - d.height() / 2);
  EXPECT_EQ(d.left(), 101 + 177 - 50);
  EXPECT_EQ(d.top(), 51 + 148 - 20);
}

} // namespace

#include "controls/DialogPlacement.h"
#include "controls/WindowPlace.h"

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

// A stored place is "left,top" or "left,top,width,height"; anything else is none, as is one too
// far off for any screen. A place comes back only where its title bar can be grabbed on a
// screen: a window left on a screen that is gone, or moved above or beside every screen, does
// not; one larger than its screen comes back the screen's size.
TEST(DialogPlacementTest, StoredPlacesComeBackOnlyOnAScreen) {
  EXPECT_EQ(ParsePlace("40,-5"), QRect(40, -5, 0, 0));
  EXPECT_EQ(ParsePlace("10,20,400,500"), QRect(10, 20, 400, 500));
  for (const char* bad : {"", "10", "10,20,30", "a,b", "10,20,0,5", "10;20", "10,20,", " 10,20",
                          "2147483647,0", "0,-2147483648", "0,0,2147483647,10", "1000001,0,10,10"})
    EXPECT_EQ(ParsePlace(bad), std::nullopt) << bad;
  const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 200, 1280, 1024)};
  EXPECT_TRUE(TitleBarVisible(QRect(100, 100, 354, 296), screens));
  EXPECT_TRUE(TitleBarVisible(QRect(3000, 300, 354, 296), screens));
  EXPECT_TRUE(TitleBarVisible(QRect(-280, 0, 354, 296), screens));
  EXPECT_FALSE(TitleBarVisible(QRect(-340, 0, 354, 296), screens));
  EXPECT_FALSE(TitleBarVisible(QRect(2000, 100, 354, 296), screens));
  EXPECT_FALSE(TitleBarVisible(QRect(100, -30, 354, 296), screens));
  EXPECT_FALSE(TitleBarVisible(QRect(4000, 300, 354, 296), screens));
  EXPECT_EQ(PlaceOnScreens(*ParsePlace("0,0,99999,99999"), {99999, 99999}, screens), QRect(0, 0, 1920, 1080));
  EXPECT_EQ(PlaceOnScreens(QRect(2000, 300, 0, 0), {400, 300}, screens), QRect(2000, 300, 400, 300));
  EXPECT_EQ(PlaceOnScreens(QRect(-5000, 0, 0, 0), {400, 300}, screens), std::nullopt);
}

} // namespace

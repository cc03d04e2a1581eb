#include "platform/keyboard.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <thread>

namespace {

constexpr int16_t kHeld = static_cast<int16_t>(0x8000);
constexpr int16_t kHeldAndPressed = static_cast<int16_t>(0x8001);

// Counts the events that reach it, to show the filter passes them on.
class TCountingObject : public QObject {
public:
  int received = 0;
  bool event(QEvent* event) override {
    ++received;
    return QObject::event(event);
  }
};

// A GUI application with the keyboard filter, and a key table cleared of earlier tests.
class KeyboardFilterTest : public ::testing::Test {
protected:
  int m_argc = 1;
  char m_name[16] = "tests_platform";
  char* m_argv[2] = {m_name, nullptr};
  QGuiApplication m_app{m_argc, m_argv};
  TCountingObject m_target;

  void SetUp() override {
    InstallKeyboardFilter(&m_app);
    KeyboardState().releaseAll();
    for (int vk = 1; vk <= 255; ++vk) GetAsyncKeyState(vk);
  }
  void key(QEvent::Type type, int qtKey, bool autoRepeat = false) {
    QKeyEvent event(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(&m_target, &event);
  }
  void mouse(QEvent::Type type, Qt::MouseButton button) {
    QMouseEvent event(type, QPointF(1, 1), QPointF(1, 1), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_target, &event);
  }
};

} // namespace

// A press sets the held bit and the pressed bit; a query clears only the pressed bit.
TEST(KeyboardTest, PressIsHeldAndReportedOnce) {
  TKeyboardState keys;
  keys.press('A');
  EXPECT_EQ(keys.query('A'), kHeldAndPressed);
  EXPECT_EQ(keys.query('A'), kHeld);
  keys.release('A');
  EXPECT_EQ(keys.query('A'), 0);
}

// A press released before any query is still reported once.
TEST(KeyboardTest, ReleaseKeepsUnqueriedPress) {
  TKeyboardState keys;
  keys.press(VK_SPACE);
  keys.release(VK_SPACE);
  EXPECT_EQ(keys.query(VK_SPACE), 1);
  EXPECT_EQ(keys.query(VK_SPACE), 0);
}

// Codes outside 1 to 255 are ignored and read as 0.
TEST(KeyboardTest, OutOfRangeCodesReadZero) {
  TKeyboardState keys;
  for (int vk : {-1, 0, 256, 100000}) {
    keys.press(vk);
    EXPECT_EQ(keys.query(vk), 0);
  }
  keys.press(255);
  EXPECT_EQ(keys.query(255), kHeldAndPressed);
}

// Presses made on one thread reach queries on another, each reported exactly once.
TEST(KeyboardTest, PressesFromAnotherThreadAreReportedOnce) {
  TKeyboardState keys;
  std::array<int, 256> seen{};
  std::atomic<bool> done{false};
  std::thread presser([&] {
    for (int vk = 1; vk <= 255; ++vk) keys.press(vk);
    done = true;
  });
  auto scan = [&] {
    for (int vk = 1; vk <= 255; ++vk) seen[vk] += keys.query(vk) & 1;
  };
  while (!done) scan();
  presser.join();
  scan();
  for (int vk = 1; vk <= 255; ++vk) EXPECT_EQ(seen[vk], 1) << vk;
}

// Qt keys map to their virtual-key codes; keys without one give 0.
TEST(KeyboardTest, QtKeysMapToVirtualKeys) {
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_A, false), 65);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Z, false), 90);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_7, false), 55);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_7, true), VK_NUMPAD0 + 7);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter, true), VK_RETURN);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Left, false), VK_LEFT);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Down, false), VK_DOWN);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F1, false), VK_F1);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F12, false), VK_F12);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Backtab, false), VK_TAB);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_AltGr, false), VK_MENU);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_PageDown, false), VK_NEXT);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Delete, false), VK_DELETE);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F13, false), 0);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Eacute, false), 0);
}

// Key events anywhere in the application update the table; auto-repeats change nothing.
TEST_F(KeyboardFilterTest, KeyEventsUpdateTheTable) {
  key(QEvent::KeyPress, Qt::Key_A);
  key(QEvent::KeyPress, Qt::Key_Up);
  EXPECT_EQ(GetAsyncKeyState('A'), kHeldAndPressed);
  key(QEvent::KeyRelease, Qt::Key_A, true);
  key(QEvent::KeyPress, Qt::Key_A, true);
  EXPECT_EQ(GetAsyncKeyState('A'), kHeld);
  key(QEvent::KeyRelease, Qt::Key_A);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_UP), kHeldAndPressed);
}

// Mouse buttons are keys 1 (left), 2 (right) and 4 (middle).
TEST_F(KeyboardFilterTest, MouseButtonsAreKeys) {
  mouse(QEvent::MouseButtonPress, Qt::LeftButton);
  mouse(QEvent::MouseButtonPress, Qt::RightButton);
  mouse(QEvent::MouseButtonPress, Qt::MiddleButton);
  mouse(QEvent::MouseButtonRelease, Qt::RightButton);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), kHeldAndPressed);
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_MBUTTON), kHeldAndPressed);
}

// Losing the focus, by application state or window deactivation, releases every key.
TEST_F(KeyboardFilterTest, FocusLossReleasesAllKeys) {
  key(QEvent::KeyPress, Qt::Key_Left);
  QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
  QCoreApplication::sendEvent(&m_app, &inactive);
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 1);
  key(QEvent::KeyPress, Qt::Key_Right);
  QEvent deactivate(QEvent::WindowDeactivate);
  QCoreApplication::sendEvent(&m_target, &deactivate);
  EXPECT_EQ(GetAsyncKeyState(VK_RIGHT), 1);
}

// The filter only watches: every event still reaches its receiver.
TEST_F(KeyboardFilterTest, EventsStillReachTheirReceiver) {
  key(QEvent::KeyPress, Qt::Key_A);
  key(QEvent::KeyRelease, Qt::Key_A);
  mouse(QEvent::MouseButtonPress, Qt::LeftButton);
  EXPECT_EQ(m_target.received, 3);
}

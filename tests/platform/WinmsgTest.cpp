#include "platform/winmsg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <thread>
#include <vector>

namespace {

struct TReceived {
  uint32_t msg;
  uintptr_t wParam;
  intptr_t lParam;
  std::thread::id thread;
};

// Records the window messages it receives and on which thread.
class TReceiver : public QObject {
public:
  std::vector<TReceived> received;
  bool event(QEvent* event) override {
    if (event->type() != TWindowMessage::type()) return QObject::event(event);
    auto* message = static_cast<TWindowMessage*>(event);
    received.push_back({message->Msg, message->WParam, message->LParam, std::this_thread::get_id()});
    return true;
  }
};

class WinmsgTest : public ::testing::Test {
protected:
  int m_argc = 1;
  char m_name[16] = "tests_platform";
  char* m_argv[2] = {m_name, nullptr};
  QCoreApplication m_app{m_argc, m_argv};
  TReceiver m_receiver;
};

} // namespace

// A posted message is queued, then delivered by the event loop with its number and parameters.
TEST_F(WinmsgTest, PostedMessageArrivesWithItsParameters) {
  EXPECT_GE(TWindowMessage::type(), QEvent::User);
  ASSERT_TRUE(PostMessage(&m_receiver, WM_USER + 1, 0xABCD, -42));
  EXPECT_TRUE(m_receiver.received.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(m_receiver.received.size(), 1u);
  EXPECT_EQ(m_receiver.received[0].msg, WM_USER + 1);
  EXPECT_EQ(m_receiver.received[0].wParam, 0xABCDu);
  EXPECT_EQ(m_receiver.received[0].lParam, -42);
}

// A message posted on another thread is delivered on the receiver's thread, in order.
TEST_F(WinmsgTest, PostFromAnotherThreadArrivesOnReceiverThread) {
  std::thread poster([this] {
    PostMessage(&m_receiver, WM_USER + 2, 1, 2);
    PostMessage(&m_receiver, WM_USER + 3, 3, 4);
  });
  poster.join();
  QCoreApplication::processEvents();
  ASSERT_EQ(m_receiver.received.size(), 2u);
  EXPECT_EQ(m_receiver.received[0].msg, WM_USER + 2);
  EXPECT_EQ(m_receiver.received[1].msg, WM_USER + 3);
  EXPECT_EQ(m_receiver.received[1].thread, std::this_thread::get_id());
}

// Posting to no receiver is refused.
TEST_F(WinmsgTest, NullReceiverIsRefused) {
  EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
}

#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read by the notifier.
int g_pair[2] = {-1, -1};

extern "C" void onTerminationSignal(int number) {
  int saved = errno;
  unsigned char byte = static_cast<unsigned char>(number);
  [[maybe_unused]] ssize_t ignored = write(g_pair[0], &byte, 1);
  errno = saved;
}

void install(void (*handler)(int)) {
  struct sigaction action{};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kSignals) sigaction(number, &action, nullptr);
}

} // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0) return;
  m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &TTerminationSignals::readSignal);
  install(onTerminationSignal);
}

TTerminationSignals::~TTerminationSignals() {
  if (!m_notifier) return;
  install(SIG_DFL);
  delete m_notifier;
  close(g_pair[0]);
  close(g_pair[1]);
  g_pair[0] = g_pair[1] = -1;
}

void TTerminationSignals::readSignal() {
  unsigned char byte = 0;
  while (read(g_pair[1], &byte, 1) == 1) emit received(byte);
}

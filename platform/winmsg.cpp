#include "platform/winmsg.h"

#include <QCoreApplication>
#include <QObject>

TWindowMessage::TWindowMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam)
    : QEvent(type()), Msg(msg), WParam(wParam), LParam(lParam) {}

QEvent::Type TWindowMessage::type() {
  static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
  return registered;
}

bool PostMessage(QObject* receiver, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  if (!receiver) return false;
  QCoreApplication::postEvent(receiver, new TWindowMessage(msg, wParam, lParam));
  return true;
}

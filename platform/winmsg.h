#pragma once

#include <QEvent>
#include <cstdint>

class QObject;

// Numbered window messages posted to QObjects as custom events. A receiver overrides
// QObject::event (or customEvent), checks the type against TWindowMessage::type() and
// dispatches on Msg.

constexpr uint32_t WM_USER = 0x400;

class TWindowMessage : public QEvent {
public:
  TWindowMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
  static QEvent::Type type(); // the event type all window messages share

  const uint32_t Msg;
  const uintptr_t WParam;
  const intptr_t LParam;
};

// Queues message `msg` with both parameters for `receiver`, to be delivered by the event loop
// of the receiver's thread. Safe from any thread. Returns false when `receiver` is null.
bool PostMessage(QObject* receiver, uint32_t msg, uintptr_t wParam, intptr_t lParam);

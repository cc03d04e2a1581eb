#include "platform/keyboard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>

namespace {

bool isValidKey(int vk) { return vk >= 1 && vk <= 255; }

int virtualKeyOfButton(Qt::MouseButton button) {
  switch (button) {
  case Qt::LeftButton: return VK_LBUTTON;
  case Qt::RightButton: return VK_RBUTTON;
  case Qt::MiddleButton: return VK_MBUTTON;
  default: return 0;
  }
}

int virtualKeyOfNamedKey(int qtKey) {
  switch (qtKey) {
  case Qt::Key_Return:
  case Qt::Key_Enter: return VK_RETURN;
  case Qt::Key_Escape: return VK_ESCAPE;
  case Qt::Key_Space: return VK_SPACE;
  case Qt::Key_Left: return VK_LEFT;
  case Qt::Key_Up: return VK_UP;
  case Qt::Key_Right: return VK_RIGHT;
  case Qt::Key_Down: return VK_DOWN;
  case Qt::Key_Shift: return VK_SHIFT;
  case Qt::Key_Control: return VK_CONTROL;
  case Qt::Key_Alt:
  case Qt::Key_AltGr: return VK_MENU;
  case Qt::Key_Backspace: return VK_BACK;
  case Qt::Key_Tab:
  case Qt::Key_Backtab: return VK_TAB;
  case Qt::Key_Pause: return VK_PAUSE;
  case Qt::Key_PageUp: return VK_PRIOR;
  case Qt::Key_PageDown: return VK_NEXT;
  case Qt::Key_End: return VK_END;
  case Qt::Key_Home: return VK_HOME;
  case Qt::Key_Insert: return VK_INSERT;
  case Qt::Key_Delete: return VK_DELETE;
  default: return 0;
  }
}

bool isDeactivation(QEvent* event) {
  switch (event->type()) {
  case QEvent::ApplicationDeactivate:
  case QEvent::WindowDeactivate: return true;
  case QEvent::ApplicationStateChange:
    return static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
           Qt::ApplicationActive;
  default: return false;
  }
}

// Watches every event of the application and mirrors keys and mouse buttons into
// KeyboardState(). It only looks: every event goes on to its receiver.
class TKeyboardFilter : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: trackKey(static_cast<QKeyEvent*>(event)); break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: trackButton(static_cast<QMouseEvent*>(event)); break;
    default:
      if (isDeactivation(event)) KeyboardState().releaseAll();
    }
    return QObject::eventFilter(watched, event);
  }

private:
  static void trackKey(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    setKey(VirtualKeyFromQtKey(event->key(), keypad), event->type() == QEvent::KeyPress);
  }

  // A double click's second press arrives as MouseButtonDblClick, so it counts as a press.
  static void trackButton(QMouseEvent* event) {
    setKey(virtualKeyOfButton(event->button()), event->type() != QEvent::MouseButtonRelease);
  }

  static void setKey(int vk, bool down) {
    if (vk == 0) return;
    if (down) KeyboardState().press(vk);
    else KeyboardState().release(vk);
  }
};

} // namespace

void TKeyboardState::press(int vk) {
  if (isValidKey(vk)) m_keys[vk].fetch_or(kHeld | kPressed);
}

void TKeyboardState::release(int vk) {
  if (isValidKey(vk)) m_keys[vk].fetch_and(static_cast<uint8_t>(~kHeld));
}

void TKeyboardState::releaseAll() {
  for (std::atomic<uint8_t>& key : m_keys) key.fetch_and(static_cast<uint8_t>(~kHeld));
}

int16_t TKeyboardState::query(int vk) {
  if (!isValidKey(vk)) return 0;
  uint8_t was = m_keys[vk].fetch_and(static_cast<uint8_t>(~kPressed));
  uint16_t bits = ((was & kHeld) ? 0x8000 : 0) | ((was & kPressed) ? 0x0001 : 0);
  return static_cast<int16_t>(bits);
}

bool TKeyboardState::held(int vk) const { return isValidKey(vk) && (m_keys[vk].load() & kHeld) != 0; }

TKeyboardState& KeyboardState() {
  static TKeyboardState state;
  return state;
}

int16_t GetAsyncKeyState(int vk) { return KeyboardState().query(vk); }

int VirtualKeyFromQtKey(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return keypad ? VK_NUMPAD0 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return VK_F1 + (qtKey - Qt::Key_F1);
  return virtualKeyOfNamedKey(qtKey);
}

void InstallKeyboardFilter(QCoreApplication* app) {
  app->installEventFilter(new TKeyboardFilter(app));
}

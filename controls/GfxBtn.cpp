#include "controls/GfxBtn.h"

#include "controls/Bitmaps.h"
#include "controls/GfxBtnAccessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

TGfxBtn::TGfxBtn(QWidget* parent) : QWidget(parent) {
  TGfxBtnAccessible::install();
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(0, 0, 75, 25);
}

TGfxBtn* TGfxBtn::okButton(QWidget* dialog, QPoint where) {
  TGfxBtn* button = fromBitmaps(dialog, "ok", where);
  button->setAccessibleName("OK");
  button->setAccessKey(QKeySequence(Qt::ALT | Qt::Key_O));
  button->setDefault();
  return button;
}

TGfxBtn* TGfxBtn::cancelButton(QWidget* dialog, QPoint where) {
  TGfxBtn* button = fromBitmaps(dialog, "cancel", where);
  button->setAccessibleName("Cancel");
  button->setAccessKey(QKeySequence(Qt::ALT | Qt::Key_C));
  return button;
}

void TGfxBtn::setDefault() { window()->installEventFilter(this); }

bool TGfxBtn::eventFilter(QObject* watched, QEvent* event) {
  // A key reaches the window itself only when the control that had it let it go.
  if (watched == window() && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool confirm = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (confirm && !(key->modifiers() & ~Qt::KeypadModifier) && isEnabled()) {
      if (!key->isAutoRepeat()) click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TGfxBtn::setAccessKey(const QKeySequence& key) {
  auto* shortcut = new QShortcut(key, this);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, &TGfxBtn::click);
}

void TGfxBtn::click() {
  if (isEnabled()) emit OnClick();
}

TGfxBtn* TGfxBtn::fromBitmaps(QWidget* parent, const std::string& name, QPoint where) {
  auto* button = new TGfxBtn(parent);
  button->setBitmapUp(LoadBitmap(name + "up.bmp"));
  button->setBitmapDown(LoadBitmap(name + "down.bmp"));
  button->move(where);
  return button;
}

void TGfxBtn::setAutoSize(bool on) {
  if (on && !m_autoSize) resize(m_up.size());
  m_autoSize = on;
}

void TGfxBtn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().button());
  painter.drawPixmap(0, 0, m_pressed ? m_down : m_up, 0, 0, width(), height());
  if (hasFocus()) {
    painter.setPen(QPen(palette().windowText(), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}

void TGfxBtn::mousePressEvent(QMouseEvent* event) {
  emit OnMouseDown(event->button(), event->position().toPoint());
  m_pressed = event->button() == Qt::LeftButton && isEnabled();
  repaint();
}

void TGfxBtn::mouseReleaseEvent(QMouseEvent* event) {
  QPoint at = event->position().toPoint();
  emit OnMouseUp(event->button(), at);
  if (m_pressed) {
    m_pressed = false;
    repaint();
  }
  if (at.x() > 0 && at.x() < width() && at.y() > 0 && at.y() < height()) emit OnClick();
}

void TGfxBtn::mouseMoveEvent(QMouseEvent* event) { emit OnMouseMove(event->position().toPoint()); }

void TGfxBtn::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (event->modifiers() & ~Qt::KeypadModifier) return QWidget::keyPressEvent(event);
  if (key == Qt::Key_Space) {
    if (!event->isAutoRepeat() && isEnabled()) {
      m_pressed = true;
      repaint();
    }
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (!event->isAutoRepeat()) click();
  } else {
    return QWidget::keyPressEvent(event);
  }
}

void TGfxBtn::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space || event->isAutoRepeat() || !m_pressed)
    return QWidget::keyReleaseEvent(event);
  m_pressed = false;
  repaint();
  click();
}

void TGfxBtn::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void TGfxBtn::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  // Space let go elsewhere does not click.
  m_pressed = false;
  update();
}

#include "controls/GfxBtn.h"

#include "controls/Bitmaps.h"

#include <QMouseEvent>
#include <QPainter>

TGfxBtn::TGfxBtn(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(0, 0, 75, 25);
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

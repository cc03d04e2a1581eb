#include "controls/SeekBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>
#include <cstdlib>

TSeekBar::TSeekBar(QWidget* parent) : QProgressBar(parent) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void TSeekBar::showPlayed(int value) {
  // A change smaller than a pixel would only repaint the same picture.
  const double perPixel = static_cast<double>(maximum() - minimum()) / std::max(1, width());
  if (!m_dragging && std::abs(value - this->value()) >= perPixel) setValue(value);
}

int TSeekBar::valueAt(int x) const {
  const double fraction = std::clamp(static_cast<double>(x) / std::max(1, width() - 1), 0.0, 1.0);
  return minimum() + static_cast<int>(fraction * (maximum() - minimum()) + 0.5);
}

void TSeekBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || maximum() <= minimum())
    return QProgressBar::mousePressEvent(event);
  m_dragging = true;
  setValue(valueAt(event->position().toPoint().x()));
}

void TSeekBar::mouseMoveEvent(QMouseEvent* event) {
  if (m_dragging) setValue(valueAt(event->position().toPoint().x()));
}

void TSeekBar::mouseReleaseEvent(QMouseEvent* event) {
  if (!m_dragging || event->button() != Qt::LeftButton)
    return QProgressBar::mouseReleaseEvent(event);
  m_dragging = false;
  const int value = valueAt(event->position().toPoint().x());
  setValue(value);
  emit seekRequested(value);
}

void TSeekBar::keyPressEvent(QKeyEvent* event) {
  if (m_dragging || maximum() <= minimum() || event->modifiers() != Qt::NoModifier)
    return QProgressBar::keyPressEvent(event);
  switch (event->key()) {
  case Qt::Key_Left: emit seekRequested(std::max(minimum(), value() - m_keyStep)); break;
  case Qt::Key_Right: emit seekRequested(std::min(maximum(), value() + m_keyStep)); break;
  case Qt::Key_Home: emit seekRequested(minimum()); break;
  default: QProgressBar::keyPressEvent(event);
  }
}

void TSeekBar::paintEvent(QPaintEvent* event) {
  QProgressBar::paintEvent(event);
  if (!hasFocus()) return;
  // The bar's style draws no focus of its own.
  QStylePainter painter(this);
  QStyleOptionFocusRect focus;
  focus.initFrom(this);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

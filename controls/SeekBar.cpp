#include "controls/SeekBar.h"

#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>

TSeekBar::TSeekBar(QWidget* parent) : QProgressBar(parent) { setCursor(Qt::PointingHandCursor); }

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

#include "controls/ElidedLabel.h"

#include <QResizeEvent>

TElidedLabel::TElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), m_mode(mode) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TElidedLabel::setFullText(const QString& text) {
  m_text = text;
  setToolTip(text);
  // A screen reader reads the whole text, not the cut one shown.
  setAccessibleName(text);
  showElided();
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  showElided();
}

void TElidedLabel::showElided() {
  const int room = contentsRect().width() - 2 * margin();
  setText(fontMetrics().elidedText(m_text, m_mode, std::max(0, room)));
}

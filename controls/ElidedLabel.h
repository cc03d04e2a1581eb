#pragma once

#include <QLabel>

// A label that shows its text cut with "…" where the text is wider than the label (in the
// middle by default, so that a path keeps its start and its file name), and the whole text as
// its tool tip and its name for a screen reader. Its width comes from its layout, not from its
// text.
class TElidedLabel : public QLabel {
  Q_OBJECT

public:
  explicit TElidedLabel(Qt::TextElideMode mode = Qt::ElideMiddle, QWidget* parent = nullptr);

  void setFullText(const QString& text);
  const QString& fullText() const { return m_text; }

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void showElided();

  QString m_text;
  Qt::TextElideMode m_mode;
};

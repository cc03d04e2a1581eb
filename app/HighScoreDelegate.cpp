#include "app/HighScoreDelegate.h"

#include "platform/utf8.h"
#include "scores/Score.h"

#include <QHeaderView>
#include <QLocale>
#include <QPainter>

THighScoreDelegate::THighScoreDelegate(const QHeaderView* header,
                                       const std::unique_ptr<THighScoreList>& list, QObject* parent)
    : QStyledItemDelegate(parent), m_header(header), m_list(list) {}

std::array<int, 4> THighScoreDelegate::columnStarts(const QHeaderView* header, int left) {
  std::array<int, 4> starts{left, 0, 0, 0};
  for (int i = 1; i < 4; ++i) starts[i] = starts[i - 1] + header->sectionSize(i - 1);
  return starts;
}

std::array<QString, 4> THighScoreDelegate::rowTexts(int index, const THighScoreRec& entry) {
  return {QString::number(index + 1), QString::fromStdString(AsUtf8(entry.name())),
          QString::number(entry.Score), QString::number(entry.Level)};
}

QString THighScoreDelegate::spokenRow(int index, const THighScoreRec& entry) {
  const std::array<QString, 4> texts = rowTexts(index, entry);
  return QString("%1. %2, %3 points, level %4").arg(texts[0], texts[1], QLocale().toString(entry.Score), texts[3]);
}

void THighScoreDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const QRect& r = option.rect;
  bool selected = option.state & QStyle::State_Selected;
  painter->save();
  painter->fillRect(r, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
  if (m_list) {
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    int baseline = r.top() + (r.height() + option.fontMetrics.ascent() - option.fontMetrics.descent()) / 2;
    std::array<int, 4> starts = columnStarts(m_header, r.left());
    std::array<QString, 4> texts = rowTexts(index.row(), m_list->GetEntry(index.row()));
    for (int i = 0; i < 4; ++i) {
      int end = i < 3 ? starts[i + 1] : r.right() + 1;
      painter->setClipRect(QRect(starts[i], r.top(), end - starts[i], r.height()));
      painter->drawText(starts[i], baseline, texts[i]);
    }
  }
  painter->restore();
}

QSize THighScoreDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), RowHeight};
}

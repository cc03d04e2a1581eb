#pragma once

#include <QStyledItemDelegate>

#include <array>
#include <memory>

class QHeaderView;
class THighScoreList;
struct THighScoreRec;

// Draws one row of the high-score box from the list itself: rank, name, score and level, each
// left-aligned at the start of its header section and clipped to it (the last to the row's
// end), so the columns follow the header while the user drags a border and a long name or a
// huge score never runs into the next column.
class THighScoreDelegate : public QStyledItemDelegate {
public:
  THighScoreDelegate(const QHeaderView* header, const std::unique_ptr<THighScoreList>& list,
                     QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  static constexpr int RowHeight = 13;

  // Where each of the four texts of a row starts, for a row beginning at `left`.
  static std::array<int, 4> columnStarts(const QHeaderView* header, int left);
  // The four texts of row `index` showing `entry`.
  static std::array<QString, 4> rowTexts(int index, const THighScoreRec& entry);
  // The row as one sentence for a screen reader: "3. Anna, 12,345 points, level 7" (the number
  // in the user's locale).
  static QString spokenRow(int index, const THighScoreRec& entry);

private:
  const QHeaderView* m_header;
  const std::unique_ptr<THighScoreList>& m_list;
};

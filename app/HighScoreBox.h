#pragma once

#include <QRect>

#include <memory>

class QHeaderView;
class QListWidget;
class QWidget;
class THighScoreList;

// The main window's box of the best results: a head with the four columns (rank, name, score,
// level; the user may drag their borders) over a list with one row per entry of the high-score
// list, which it shows and never changes. GUI thread.
class THighScoreBox {
public:
  // Puts the head (17 px high) and the list below it on `parent`, filling `where`. `scores` may
  // be emptied later: the rows drawn then are blank.
  THighScoreBox(QWidget* parent, QRect where, const std::unique_ptr<THighScoreList>& scores);

  // One row per entry of the list, as it stands now.
  void fill();

  QHeaderView* head() const { return m_head; }
  QListWidget* rows() const { return m_rows; }

private:
  const std::unique_ptr<THighScoreList>& m_scores;
  QHeaderView* m_head;
  QListWidget* m_rows;
};

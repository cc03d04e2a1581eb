#include "app/HighScoreBox.h"

#include "app/HighScoreDelegate.h"
#include "platform/utf8.h"
#include "scores/Score.h"

#include <QHeaderView>
#include <QListWidget>
#include <QStandardItemModel>

namespace {
constexpr int kHeadHeight = 17;
} // namespace

THighScoreBox::THighScoreBox(QWidget* parent, QRect where, const std::unique_ptr<THighScoreList>& scores)
    : m_scores(scores) {
  m_head = new QHeaderView(Qt::Horizontal, parent);
  auto* columns = new QStandardItemModel(0, 4, m_head);
  columns->setHorizontalHeaderLabels({"", "Highscore", "Score", "Level"});
  m_head->setModel(columns);
  m_head->setSectionResizeMode(QHeaderView::Interactive);
  // The head is as wide as the list below it.
  m_head->setStretchLastSection(true);
  m_head->setMinimumSectionSize(8);
  const int widths[] = {19, 102, 51, 34};
  for (int i = 0; i < 4; ++i) m_head->resizeSection(i, widths[i]);
  m_head->setGeometry(where.left(), where.top(), where.width(), kHeadHeight);

  m_rows = new QListWidget(parent);
  // The list's frame overlaps the head's last pixel line.
  m_rows->setGeometry(where.left(), where.top() + kHeadHeight - 1, where.width(), where.height() - kHeadHeight + 1);
  m_rows->setAccessibleName("High scores");
  QPalette buttonFace = m_rows->palette();
  buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
  m_rows->setPalette(buttonFace);
  m_rows->setUniformItemSizes(true);
  m_rows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_rows->setItemDelegate(new THighScoreDelegate(m_head, m_scores, m_rows));
  QObject::connect(m_head, &QHeaderView::sectionResized, m_rows->viewport(), qOverload<>(&QWidget::update));
}

void THighScoreBox::fill() {
  m_rows->clear();
  for (int32_t i = 0; i < m_scores->Count(); ++i) {
    const THighScoreRec& entry = m_scores->GetEntry(i);
    auto* row = new QListWidgetItem(QString::fromStdString(AsUtf8(entry.name())));
    row->setData(Qt::AccessibleTextRole, THighScoreDelegate::spokenRow(i, entry));
    row->setSizeHint({0, THighScoreDelegate::RowHeight});
    m_rows->addItem(row);
  }
}

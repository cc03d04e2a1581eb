#include "playlist/PlaylistWindow.h"

#include "library/Library.h"
#include "library/ScanJob.h"
#include "playlist/PlaylistTableModel.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

#include <set>

namespace {

QString songs(std::size_t count) { return count == 1 ? "1 song" : QString("%1 songs").arg(count); }

} // namespace

TPlaylistWindow::TPlaylistWindow(TLibrary& library, QWidget* parent)
    : QWidget(parent, Qt::Window), m_library(library) {
  setWindowTitle("Playlist");
  setAccessibleName("Playlist window");
  resize(640, 420);

  Find = new QLineEdit;
  Find->setPlaceholderText("Find a song (Ctrl+F)");
  Find->setClearButtonEnabled(true);
  Find->setAccessibleName("Find");
  Find->installEventFilter(this);
  AddFolder = new QPushButton("Add &folder...");
  AddFolder->setAutoDefault(false);
  auto* top = new QHBoxLayout;
  top->addWidget(Find, 1);
  top->addWidget(AddFolder);

  Model = new TPlaylistTableModel(library.rows(), this);
  Table = new QTableView;
  Table->setModel(Model);
  Table->setAccessibleName("Songs");
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Table->setDragDropMode(QAbstractItemView::DragDrop);
  Table->setDefaultDropAction(Qt::MoveAction);
  Table->setDragDropOverwriteMode(false);
  Table->setDropIndicatorShown(true);
  Table->setShowGrid(false);
  Table->setAlternatingRowColors(true);
  Table->setWordWrap(false);
  Table->setTextElideMode(Qt::ElideMiddle);
  Table->verticalHeader()->hide();
  Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 4);
  QHeaderView* head = Table->horizontalHeader();
  head->setSectionsClickable(true);
  head->setSortIndicatorShown(false);
  head->setHighlightSections(false);
  head->setStretchLastSection(true);
  head->resizeSection(TPlaylistRows::Title, 210);
  head->resizeSection(TPlaylistRows::Artist, 110);
  head->resizeSection(TPlaylistRows::Length, 60);
  head->resizeSection(TPlaylistRows::Format, 55);
  Table->installEventFilter(this);

  Status = new QLabel;
  Status->setAccessibleName("Playlist status");
  Progress = new QProgressBar;
  Progress->setRange(0, 0);
  Progress->setFormat("%v files looked at");
  Progress->setTextVisible(true);
  Progress->setAccessibleName("Reading folders");
  Progress->hide();
  CancelScan = new QPushButton("Cancel");
  CancelScan->setAutoDefault(false);
  CancelScan->hide();
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Status, 1);
  bottom->addWidget(Progress);
  bottom->addWidget(CancelScan);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(Table, 1);
  layout->addLayout(bottom);

  connect(AddFolder, &QPushButton::clicked, this, &TPlaylistWindow::chooseFolder);
  connect(CancelScan, &QPushButton::clicked, this, [this] {
    if (m_job) m_job->cancel();
    m_pending.clear();
  });
  connect(Find, &QLineEdit::textChanged, this, &TPlaylistWindow::findChanged);
  connect(Table, &QAbstractItemView::activated, this, [this](const QModelIndex& index) { playRow(index.row()); });
  connect(head, &QHeaderView::sectionClicked, this, &TPlaylistWindow::sortBy);
  connect(&library, &TLibrary::rowsChanged, this, &TPlaylistWindow::rowsChanged);
  connect(Model, &TPlaylistTableModel::entriesDragged, this, &TPlaylistWindow::moveEntries);
  connect(Model, &TPlaylistTableModel::pathsDropped, this,
          [this](std::vector<std::string> paths, std::size_t before) { addPaths(std::move(paths), before); });
  auto* copyKey = new QShortcut(QKeySequence::Copy, Table, nullptr, nullptr, Qt::WidgetShortcut);
  connect(copyKey, &QShortcut::activated, this, &TPlaylistWindow::copySelected);
  auto* findKey = new QShortcut(QKeySequence::Find, this);
  connect(findKey, &QShortcut::activated, this, [this] {
    Find->setFocus();
    Find->selectAll();
  });
  showStatus();
}

TPlaylistWindow::~TPlaylistWindow() = default;

void TPlaylistWindow::rowsChanged(bool entriesChanged) {
  // Facts arriving must not lose what the user selected: the selection is taken by entry.
  std::set<std::pair<std::size_t, int32_t>> selected;
  if (!entriesChanged)
    for (const QModelIndex& index : Table->selectionModel()->selectedRows())
      selected.insert({Model->entryAt(index.row()), Model->subsongAt(index.row())});
  // Nor move the view: facts arrive while the user looks further down.
  const int scrolled = Table->verticalScrollBar()->value();
  Model->rowsChanged();
  Table->verticalScrollBar()->setValue(scrolled);
  if (!selected.empty()) {
    QItemSelection keep;
    for (int row = 0; row < Model->rowCount(); ++row)
      if (selected.contains({Model->entryAt(row), Model->subsongAt(row)}))
        keep.select(Model->index(row, 0), Model->index(row, TPlaylistRows::ColumnCount - 1));
    Table->selectionModel()->select(keep, QItemSelectionModel::Select);
  }
  showStatus();
}

void TPlaylistWindow::setPlaying(int64_t entry, int32_t subsong) {
  Model->setPlaying(entry, subsong);
  if (int row = Model->playingRow(); row >= 0) Table->scrollTo(Model->index(row, 0));
}

QString TPlaylistWindow::statusText() const { return Status->text(); }

void TPlaylistWindow::showStatus() {
  const TPlaylistRows& rows = m_library.rows();
  QString text = songs(rows.size());
  if (rows.visible().size() != rows.size()) text = QString("%1 of %2 found").arg(rows.visible().size()).arg(songs(rows.size()));
  text += ", " + (rows.totalSeconds() > 0 || rows.size() == 0 ? TPlaylistTableModel::lengthText(rows.totalSeconds())
                                                                 : QString("0:00"));
  if (rows.rowsWithoutLength() > 0 && m_library.waiting() > 0)
    text += QString(" (%1 still to read)").arg(m_library.waiting());
  if (!m_scanNote.isEmpty()) text += ". " + m_scanNote;
  Status->setText(text);
}

void TPlaylistWindow::findChanged(const QString& text) {
  m_library.rows().setFilter(text.toStdString());
  rowsChanged(false);
  // The first row found is the one Return plays; with nothing typed, the song playing shows.
  if (int row = Model->playingRow(); text.isEmpty() && row >= 0)
    Table->scrollTo(Model->index(row, 0));
  else
    Table->scrollToTop();
}

void TPlaylistWindow::sortBy(int column) {
  m_sortDescending = column == m_sortColumn && !m_sortDescending;
  m_sortColumn = column;
  Table->horizontalHeader()->setSortIndicatorShown(true);
  Table->horizontalHeader()->setSortIndicator(column, m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
  m_library.playlist().reorder(
      m_library.rows().sortedOrder(static_cast<TPlaylistRows::EColumn>(column), m_sortDescending));
}

void TPlaylistWindow::playRow(int row) {
  if (row < 0 || row >= Model->rowCount()) return;
  emit playRequested(Model->entryAt(row), Model->subsongAt(row));
}

void TPlaylistWindow::removeSelected() {
  std::vector<std::size_t> entries;
  for (const QModelIndex& index : Table->selectionModel()->selectedRows()) entries.push_back(Model->entryAt(index.row()));
  if (entries.empty()) return;
  const int first = Table->selectionModel()->selectedRows().first().row();
  m_library.playlist().remove(entries);
  // The row that took the first removed one's place is the one to go on from.
  if (Model->rowCount() > 0) Table->setCurrentIndex(Model->index(std::min(first, Model->rowCount() - 1), 0));
}

void TPlaylistWindow::moveEntries(const std::vector<std::size_t>& entries, std::size_t before) {
  const std::size_t first = m_library.playlist().move(entries, before);
  // The rows dragged stay selected at their new place, to be dragged on.
  QItemSelection moved;
  for (int row = 0; row < Model->rowCount(); ++row)
    if (Model->entryAt(row) >= first && Model->entryAt(row) < first + entries.size())
      moved.select(Model->index(row, 0), Model->index(row, TPlaylistRows::ColumnCount - 1));
  Table->selectionModel()->select(moved, QItemSelectionModel::ClearAndSelect);
}

void TPlaylistWindow::copySelected() {
  QModelIndexList selected = Table->selectionModel()->selectedRows();
  std::sort(selected.begin(), selected.end());
  QStringList lines;
  for (const QModelIndex& row : selected) {
    QStringList cells;
    for (int column = 0; column < TPlaylistRows::ColumnCount; ++column)
      cells << Model->index(row.row(), column).data().toString();
    lines << cells.join('\t');
  }
  if (!lines.isEmpty()) QGuiApplication::clipboard()->setText(lines.join('\n') + '\n');
}

void TPlaylistWindow::chooseFolder() {
  QString start = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  QString folder = QFileDialog::getExistingDirectory(this, "Add folder", start);
  if (!folder.isEmpty()) addPaths({QFile::encodeName(folder).toStdString()}, m_library.playlist().size());
}

void TPlaylistWindow::addPaths(std::vector<std::string> paths, std::size_t before) {
  m_pending.push_back({std::move(paths), before});
  if (!m_job) startScan();
}

void TPlaylistWindow::startScan() {
  if (m_pending.empty()) return;
  TPendingScan next = std::move(m_pending.front());
  m_pending.erase(m_pending.begin());
  m_jobBefore = next.Before;
  m_job = std::make_unique<TScanJob>(std::move(next.Paths));
  connect(m_job.get(), &TScanJob::progress, Progress, [this](qulonglong looked) {
    Progress->setRange(0, 0);
    Progress->setFormat(QString("%1 files looked at").arg(looked));
  });
  connect(m_job.get(), &TScanJob::finished, this, &TPlaylistWindow::scanFinished);
  Progress->setFormat("Reading folders...");
  Progress->show();
  CancelScan->show();
}

void TPlaylistWindow::scanFinished(const TFolderScanResult& result) {
  m_job.reset();
  m_library.playlist().insert(m_jobBefore, result.Modules);
  m_scanNote = QString::fromStdString(result.summary());
  if (result.Cancelled) m_scanNote = "Reading was cancelled; " + songs(result.Modules.size()) + " added." +
                                     (m_scanNote.isEmpty() ? "" : " " + m_scanNote);
  Progress->hide();
  CancelScan->hide();
  showStatus();
  startScan();
}

void TPlaylistWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TPlaylistWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
  if (watched == Table && plain) {
    switch (key->key()) {
    case Qt::Key_Delete: removeSelected(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: playRow(Table->currentIndex().row()); return true;
    case Qt::Key_J:
      Find->setFocus();
      Find->selectAll();
      return true;
    default: break;
    }
  }
  if (watched == Find && plain) {
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: playRow(0); return true;
    case Qt::Key_Escape:
      if (Find->text().isEmpty()) return false;
      Find->clear();
      return true;
    case Qt::Key_Down:
      Table->setFocus();
      if (Model->rowCount() > 0) Table->setCurrentIndex(Model->index(0, 0));
      return true;
    default: break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

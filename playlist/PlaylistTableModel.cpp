#include "playlist/PlaylistTableModel.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIODevice>
#include <QMimeData>
#include <QStyle>
#include <QUrl>

#include <algorithm>

namespace {

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

const char* const kHeads[] = {"Title", "Artist", "Length", "Format", "File"};

} // namespace

TPlaylistTableModel::TPlaylistTableModel(TPlaylistRows& rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows) {}

QString TPlaylistTableModel::lengthText(double seconds) {
  if (seconds < 0) return {};
  // Whole seconds begun are not counted, as the time played is shown.
  const auto whole = static_cast<int64_t>(seconds);
  const int64_t hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
  if (hours > 0)
    return QString("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QChar('0')).arg(rest, 2, 10, QChar('0'));
  return QString("%1:%2").arg(minutes).arg(rest, 2, 10, QChar('0'));
}

void TPlaylistTableModel::rowsChanged() {
  beginResetModel();
  endResetModel();
}

void TPlaylistTableModel::setPlaying(int64_t entry, int32_t subsong) {
  if (entry == m_playingEntry && subsong == m_playingSubsong) return;
  const int before = playingRow();
  m_playingEntry = entry;
  m_playingSubsong = subsong;
  for (int row : {before, playingRow()})
    if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int TPlaylistTableModel::playingRow() const {
  if (m_playingEntry < 0) return -1;
  const int64_t row = m_rows.rowOf(static_cast<std::size_t>(m_playingEntry), m_playingSubsong);
  if (row < 0) return -1;
  const auto& visible = m_rows.visible();
  auto it = std::lower_bound(visible.begin(), visible.end(), static_cast<std::size_t>(row));
  return it != visible.end() && *it == static_cast<std::size_t>(row) ? static_cast<int>(it - visible.begin()) : -1;
}

std::size_t TPlaylistTableModel::entryAt(int row) const { return m_rows.row(m_rows.visible()[row]).Entry; }

int32_t TPlaylistTableModel::subsongAt(int row) const { return m_rows.row(m_rows.visible()[row]).Subsong; }

int TPlaylistTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.visible().size());
}

int TPlaylistTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : TPlaylistRows::ColumnCount;
}

QVariant TPlaylistTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const std::size_t row = m_rows.visible()[index.row()];
  const auto column = static_cast<TPlaylistRows::EColumn>(index.column());
  const bool playing = index.row() == playingRow();
  switch (role) {
  case Qt::DisplayRole:
    if (column == TPlaylistRows::Length) return lengthText(m_rows.seconds(row));
    if (column == TPlaylistRows::File) return fromBytes(m_rows.text(row, column));
    return QString::fromStdString(m_rows.text(row, column));
  case Qt::ToolTipRole: {
    QString tip = fromBytes(m_rows.path(row));
    if (const TModuleFacts* facts = m_rows.factsOf(m_rows.path(row)); facts && !facts->Readable)
      tip += "\nThe player cannot read it: " + QString::fromStdString(facts->Error);
    return tip;
  }
  case Qt::FontRole:
    if (playing) {
      QFont font = QApplication::font();
      font.setBold(true);
      return font;
    }
    return {};
  case Qt::DecorationRole:
    if (playing && column == TPlaylistRows::Title)
      return QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
    return {};
  case Qt::TextAlignmentRole:
    if (column == TPlaylistRows::Length) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  case Qt::AccessibleDescriptionRole:
    return playing ? QString("Playing") : QString();
  default: return {};
  }
}

QVariant TPlaylistTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < TPlaylistRows::ColumnCount)
    return QString(kHeads[section]);
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TPlaylistTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

Qt::DropActions TPlaylistTableModel::supportedDropActions() const { return Qt::MoveAction | Qt::CopyAction; }

QStringList TPlaylistTableModel::mimeTypes() const { return {RowsMimeType, "text/uri-list"}; }

QMimeData* TPlaylistTableModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<std::size_t> entries;
  for (const QModelIndex& index : indexes) entries.push_back(entryAt(index.row()));
  std::sort(entries.begin(), entries.end());
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  QByteArray bytes;
  for (std::size_t entry : entries) bytes += QByteArray::number(static_cast<qulonglong>(entry)) + '\n';
  auto* data = new QMimeData;
  data->setData(RowsMimeType, bytes);
  return data;
}

bool TPlaylistTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                          const QModelIndex&) const {
  return data->hasFormat(RowsMimeType) || data->hasUrls();
}

std::size_t TPlaylistTableModel::entryBefore(int row) const {
  if (row < 0 || row >= rowCount()) return static_cast<std::size_t>(-1);
  return entryAt(row);
}

bool TPlaylistTableModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                       const QModelIndex& parent) {
  // Dropped on a row: before it; between rows: before the one below; elsewhere: at the end.
  const std::size_t before = entryBefore(parent.isValid() ? parent.row() : row);
  if (data->hasFormat(RowsMimeType)) {
    std::vector<std::size_t> entries;
    for (const QByteArray& line : data->data(RowsMimeType).split('\n'))
      if (!line.isEmpty()) entries.push_back(line.toULongLong());
    emit entriesDragged(entries, before);
    // The playlist moves the entries itself: the view must not remove the dragged rows.
    return false;
  }
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  if (paths.empty()) return false;
  emit pathsDropped(paths, before);
  return true;
}

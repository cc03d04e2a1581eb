#pragma once

#include "library/PlaylistRows.h"

#include <QAbstractTableModel>

#include <cstdint>

// The playlist's rows as a table for the playlist window: the rows the find filter keeps, with
// the song playing in bold and marked. Rows can be dragged within the table (their entries are
// moved) and files dropped on it; both are answered by signals, as the playlist changes
// elsewhere. GUI thread only.
class TPlaylistTableModel : public QAbstractTableModel {
  Q_OBJECT

public:
  static constexpr const char* RowsMimeType = "application/x-vorka-playlist-rows";

  explicit TPlaylistTableModel(TPlaylistRows& rows, QObject* parent = nullptr);

  // The rows changed (entries, facts or filter): shows them again, keeping what it can.
  void rowsChanged();
  // Marks the song playing: subsong `subsong` of entry `entry` (-1: none).
  void setPlaying(int64_t entry, int32_t subsong);
  // The table row of the song playing among those shown; -1 when it is not shown.
  int playingRow() const;
  // The playlist entry shown in table row `row`.
  std::size_t entryAt(int row) const;
  int32_t subsongAt(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // "m:ss", or "h:mm:ss" from an hour on, in whole seconds; empty for a negative length.
  static QString lengthText(double seconds);

signals:
  // Rows dragged onto table row `before` (rowCount: past the last): their entries move there.
  void entriesDragged(std::vector<std::size_t> entries, std::size_t before);
  // Local files or folders dropped before entry `before` (the playlist's size: at its end).
  void pathsDropped(std::vector<std::string> paths, std::size_t before);

private:
  std::size_t entryBefore(int row) const;

  TPlaylistRows& m_rows;
  int64_t m_playingEntry = -1;
  int32_t m_playingSubsong = 0;
};

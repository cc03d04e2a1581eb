#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class TLibrary;
class TPlaylistTableModel;
class TScanJob;
struct TFolderScanResult;

// The playlist window: every song of the playlist with its title, artist, length, format and
// file, the song playing marked and kept in view, the list's total length below. Rows are
// found by typing (Ctrl+F or J), sorted by a click on a column's head, dragged to a new place,
// removed with Delete and played with a double-click or Return; files and folders dropped on
// it or chosen with Add folder are added with every sub-folder while a progress bar shows the
// reading; Ctrl+C copies the selected rows as text. Every change goes to the playlist at once. Not modal; the user may resize it. GUI
// thread only.
class TPlaylistWindow : public QWidget {
  Q_OBJECT

public:
  TPlaylistWindow(TLibrary& library, QWidget* parent = nullptr);
  ~TPlaylistWindow() override;

  // Marks the song playing (entry -1: none) and brings its row into view.
  void setPlaying(int64_t entry, int32_t subsong);
  // Reads `paths` (files and folders, with sub-folders) for modules and inserts them before
  // entry `before` (at the end when past it); a scan under way finishes first.
  void addPaths(std::vector<std::string> paths, std::size_t before);
  // True while folders are being read.
  bool scanning() const { return m_job != nullptr; }

  // Plays table row `row`, through playRequested.
  void playRow(int row);
  // Removes the entries of the selected rows.
  void removeSelected();
  // Moves `entries` (the playlist's indices) before entry `before`, keeping them selected.
  void moveEntries(const std::vector<std::size_t>& entries, std::size_t before);
  // Puts the selected rows on the clipboard as text: a line a row, its columns between tabs.
  void copySelected();
  // The texts of the status line and of table cell (row, column), as shown.
  QString statusText() const;

  QLineEdit* Find;
  QPushButton* AddFolder;
  QTableView* Table;
  QLabel* Status;
  QProgressBar* Progress;
  QPushButton* CancelScan;
  TPlaylistTableModel* Model;

signals:
  // Subsong `subsong` of entry `entry` is to play.
  void playRequested(std::size_t entry, int32_t subsong);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // Shows the rows again; the selection stays on the same entries unless they moved.
  void rowsChanged(bool entriesChanged);
  void showStatus();
  void chooseFolder();
  void startScan();
  void scanFinished(const TFolderScanResult& result);
  void findChanged(const QString& text);
  void sortBy(int column);

  TLibrary& m_library;
  int64_t m_playingEntry = -1;
  int32_t m_playingSubsong = 0;
  struct TPendingScan {
    std::vector<std::string> Paths;
    std::size_t Before;
  };
  std::vector<TPendingScan> m_pending;
  std::unique_ptr<TScanJob> m_job;
  std::size_t m_jobBefore = 0;
  QString m_scanNote; // what the last scan left out
  int m_sortColumn = -1;
  bool m_sortDescending = false;
};

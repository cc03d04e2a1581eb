#pragma once

#include "library/PlaylistFile.h"

#include <QObject>

#include <cstddef>
#include <string>
#include <vector>

// The program's one playlist: module paths in play order, duplicates allowed, each one the
// playlist file can hold. Every change is stored in "playlist.dat" at once and announced with
// changed(); a change that changes nothing is neither. A store that fails is shown in an error
// box ("Could not write playlist: <path>: <reason>."); a file that could not be read is left as
// it is and said so once. GUI thread only.
class TPlaylist : public QObject {
  Q_OBJECT

public:
  // `filesDir` holds "playlist.dat" and ends in "/".
  explicit TPlaylist(const std::string& filesDir, QObject* parent = nullptr);

  // Reads the stored playlist; an unreadable file shows "Could not read playlist: ..." and
  // the lines read before the failure are the playlist.
  void load();
  const std::vector<std::string>& entries() const { return m_entries; }
  std::size_t size() const { return m_entries.size(); }
  const TPlaylistFile& file() const { return m_file; }

  void setEntries(std::vector<std::string> entries);
  // Inserts `paths` before entry `at` (at the end for `at` >= size()).
  void insert(std::size_t at, const std::vector<std::string>& paths);
  void append(const std::vector<std::string>& paths) { insert(m_entries.size(), paths); }
  // Removes the entries at `indices` (any order, repeats and indices past the end ignored).
  void remove(const std::vector<std::size_t>& indices);
  // Moves the entries at `indices`, keeping their order, to stand before the entry that was at
  // `before` (to the end for `before` >= size()); `before` among them leaves them where the
  // first of them was. Returns where the first of them stands now.
  std::size_t move(const std::vector<std::size_t>& indices, std::size_t before);
  // Puts the entries in the order `order` gives: order[i] is the index of the entry that comes
  // i-th. Anything but a permutation of the indices is ignored.
  void reorder(const std::vector<std::size_t>& order);

  // Stores the playlist now; false (after the error box) when it could not be written.
  bool store();
  // The end of the program: stores once more, quietly keeping a file that could not be read
  // unless the playlist was changed.
  void storeAtEnd();

signals:
  void changed();

private:
  void commit(std::vector<std::string> entries);

  TPlaylistFile m_file;
  std::vector<std::string> m_entries;
  bool m_changedSinceLoad = false;
  bool m_keptFileReported = false;
};

#pragma once

#include "library/LibraryIndexer.h"
#include "library/Playlist.h"
#include "library/PlaylistRows.h"
#include "library/SongLevels.h"
#include "music/midasdll.h"

#include <QObject>

#include <memory>
#include <string>

// The collection the windows share: the playlist, the rows shown of it, and the indexer that
// finds what every entry holds. Every entry is asked for when the playlist changes; the facts
// that arrive go into the rows. GUI thread only.
class TLibrary : public QObject {
  Q_OBJECT

public:
  // `filesDir` holds "playlist.dat" and ends in "/"; `databasePath` is the index's file.
  TLibrary(const std::string& filesDir, const std::string& databasePath, QObject* parent = nullptr);

  TPlaylist& playlist() { return m_playlist; }
  const TPlaylistRows& rows() const { return m_rows; }
  TPlaylistRows& rows() { return m_rows; }
  // Files still to be read by the indexer.
  std::size_t waiting() const { return m_indexer.waiting(); }
  // The indexer measures songs as the player renders them (see TLibraryIndexer::measureWith).
  void measureWith(const TRenderOptions& options, int32_t rate) { m_indexer.measureWith(options, rate); }
  // The levels of the index for the sound library to give the modules it loads (any thread).
  MIDASlevelSource levelSource() const {
    return [levels = m_levels](const std::string& path, const std::string& format) {
      return levels->levelsOf(path, format);
    };
  }

  // Where the index lives: "library.sqlite" in `filesDir`.
  static std::string IndexPathIn(const std::string& filesDir);

signals:
  // The rows changed: by the playlist (`entriesChanged`: entries may stand at other indices
  // now) or by facts that arrived (every entry where it was).
  void rowsChanged(bool entriesChanged);

private:
  void playlistChanged();
  void factsArrived();

  TPlaylist m_playlist;
  TPlaylistRows m_rows;
  TLibraryIndexer m_indexer;
  std::shared_ptr<TSongLevels> m_levels;
};

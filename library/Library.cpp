#include "library/Library.h"

TLibrary::TLibrary(const std::string& filesDir, const std::string& databasePath, QObject* parent)
    : QObject(parent), m_playlist(filesDir), m_indexer(databasePath),
      m_levels(std::make_shared<TSongLevels>(databasePath)) {
  connect(&m_playlist, &TPlaylist::changed, this, &TLibrary::playlistChanged);
  connect(&m_indexer, &TLibraryIndexer::factsArrived, this, &TLibrary::factsArrived);
}

std::string TLibrary::IndexPathIn(const std::string& filesDir) { return filesDir + "library.sqlite"; }

void TLibrary::playlistChanged() {
  m_rows.setEntries(m_playlist.entries());
  m_indexer.request(m_rows.unknownPaths());
  emit rowsChanged(true);
}

void TLibrary::factsArrived() {
  if (m_rows.addFacts(m_indexer.take())) emit rowsChanged(false);
}

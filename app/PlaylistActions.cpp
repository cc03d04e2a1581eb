#include "app/PlaylistActions.h"

#include "controls/WindowPlace.h"
#include "desktop/ModuleFiles.h"
#include "library/Library.h"
#include "library/PlaylistFormats.h"
#include "platform/ArchiveFile.h"
#include "platform/msgbox.h"
#include "playlist/PlaylistWindow.h"

#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QStandardPaths>
#include <QThread>

#include <memory>

namespace {

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::string toBytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

const char* const kPlaylistFilter = "Playlists (*.m3u *.m3u8 *.pls);;All files (*)";

} // namespace

TPlaylistActions::TPlaylistActions(TLibrary& library, QWidget* mainWindow, std::string& place)
    : QObject(mainWindow), m_library(library), m_mainWindow(mainWindow), m_place(place),
      m_lastFolder(QStandardPaths::writableLocation(QStandardPaths::MusicLocation)) {}

TPlaylistActions::~TPlaylistActions() {
  // Readers still at work are waited for: they hand their result to this object.
  for (QThread* reader : findChildren<QThread*>()) reader->wait();
}

void TPlaylistActions::showWindow() {
  if (!m_window) {
    m_window = new TPlaylistWindow(m_library, m_mainWindow);
    RestorePlace(m_window, m_place);
    connect(m_window, &TPlaylistWindow::playRequested, this, &TPlaylistActions::playRequested);
  }
  m_window->show();
  m_window->raise();
  m_window->activateWindow();
}

void TPlaylistActions::setPlaying(int64_t entry, int32_t subsong) {
  if (m_window) m_window->setPlaying(entry, subsong);
}

void TPlaylistActions::keepPlace() {
  if (m_window) m_place = PlaceOf(m_window, true);
}

void TPlaylistActions::addFileItems(QMenu* file) {
  file->addAction("&Open playlist...", this, &TPlaylistActions::openPlaylistFile)->setShortcut(QKeySequence::Open);
  file->addAction("&Save playlist as...", this, &TPlaylistActions::savePlaylistAs)
      ->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
}

void TPlaylistActions::readDropped(const std::vector<std::string>& paths) {
  // A dropped folder may hold a whole collection: it is read off the GUI thread.
  auto files = std::make_shared<TModuleFiles>();
  QThread* reader = QThread::create([files, paths] { *files = TModuleFiles::of(paths); });
  reader->setParent(this);
  connect(reader, &QThread::finished, this, [this, reader, files] {
    reader->deleteLater();
    emit message(files->Problems.empty() ? QString() : fromBytes(files->Problems.front()));
    emit dropRead(files->Modules);
  });
  emit message("Reading what was dropped...");
  reader->start();
}

void TPlaylistActions::openPlaylistFile() {
  const QString chosen = QFileDialog::getOpenFileName(m_mainWindow, "Open playlist", m_lastFolder, kPlaylistFilter);
  if (chosen.isEmpty()) return;
  m_lastFolder = chosen.section('/', 0, -2);
  addPlaylistFile(toBytes(chosen));
}

void TPlaylistActions::addPlaylistFile(const std::string& path) {
  auto read = std::make_shared<TPlaylistRead>();
  QThread* reader = QThread::create([read, path] { *read = ReadPlaylistFile(path, FileOrEntryExists); });
  reader->setParent(this);
  connect(reader, &QThread::finished, this, [this, reader, read, path] {
    reader->deleteLater();
    if (!read->Error.empty()) {
      ShowMessageBox(read->Error, "", TMessageKind::Error);
      return;
    }
    std::vector<std::string> paths;
    for (const TPlaylistItem& item : read->Items) paths.push_back(item.Path);
    m_library.playlist().append(paths);
    QString text = QString("%1 from %2 added").arg(paths.size() == 1 ? QString("1 song") : QString("%1 songs").arg(paths.size()),
                                                  fromBytes(path).section('/', -1));
    if (read->Skipped > 0)
      text += read->Skipped == 1 ? QString("; 1 line was left out: it names no file that can be played")
                                 : QString("; %1 lines were left out: they name no file that can be played").arg(read->Skipped);
    emit message(text + ".");
  });
  reader->start();
}

void TPlaylistActions::savePlaylistAs() {
  QString chosen = QFileDialog::getSaveFileName(m_mainWindow, "Save playlist as", m_lastFolder + "/playlist.m3u8",
                                                kPlaylistFilter);
  if (chosen.isEmpty()) return;
  // A name without a playlist's ending is written as M3U8, the format that keeps any name.
  if (!PlaylistFormatOf(toBytes(chosen))) chosen += ".m3u8";
  m_lastFolder = chosen.section('/', 0, -2);
  std::vector<TPlaylistItem> items;
  for (const std::string& entry : m_library.playlist().entries()) {
    TPlaylistItem item{entry, -1, {}};
    if (const TModuleFacts* facts = m_library.rows().factsOf(entry); facts && facts->Readable) {
      // A file plays all its subsongs in turn: its length is theirs together.
      item.Seconds = 0;
      for (const TSubsong& subsong : facts->Subsongs) item.Seconds += subsong.Seconds;
      item.Title = facts->Artist.empty() ? facts->Title : facts->Artist + " - " + facts->Title;
    }
    items.push_back(item);
  }
  if (TFileWrite saved = SavePlaylistFile(toBytes(chosen), items); !saved)
    ShowMessageBox("Could not save the playlist: " + toBytes(chosen) + ": " + saved.Error + ".", "", TMessageKind::Error);
  else
    emit message("Playlist saved as " + chosen.section('/', -1) + ".");
}

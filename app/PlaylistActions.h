#pragma once

#include "playlist/PlaylistWindow.h"

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QMenu;
class QWidget;
class TLibrary;


// What the main window's menus do with the playlist beyond the dialog: the playlist window,
// and playlist files of other players (M3U, M3U8, PLS) opened and saved. GUI thread only.
class TPlaylistActions : public QObject {
  Q_OBJECT

public:
  // `place` is the playlist window's stored place, read when the window is made and kept
  // current as it closes.
  TPlaylistActions(TLibrary& library, QWidget* mainWindow, std::string& place);
  ~TPlaylistActions() override;

  // Shows the playlist window in front; it is made at the first call.
  void showWindow();
  // The window, once made.
  TPlaylistWindow* window() const { return m_window; }
  // Marks the song playing in the window (entry -1: none).
  void setPlaying(int64_t entry, int32_t subsong);
  // Keeps the window's place in the place text.
  void keepPlace();

  // Adds Open playlist (Ctrl+O) and Save playlist as (Ctrl+Shift+S) to `file`.
  void addFileItems(QMenu* file);
  // Reads what was dropped (files, folders, archives, playlist files) on a thread of its own;
  // dropRead gives the modules, and the first problem goes to message.
  void readDropped(const std::vector<std::string>& paths);

  // Asks for a playlist file and adds its songs to the end of the playlist.
  void openPlaylistFile();
  // Asks for a name and writes the playlist there, as .m3u, .m3u8 or .pls by its name (a name
  // with another ending gets ".m3u8").
  void savePlaylistAs();
  // Reads playlist file `path` on a thread of its own and adds its songs to the end of the
  // playlist; what could not be taken is said in one line (message).
  void addPlaylistFile(const std::string& path);

signals:
  void playRequested(std::size_t entry, int32_t subsong);
  // A line for the status bar.
  void message(const QString& text);
  void dropRead(const std::vector<std::string>& modules);

private:
  TLibrary& m_library;
  QWidget* m_mainWindow;
  std::string& m_place;
  QPointer<TPlaylistWindow> m_window;
  QString m_lastFolder;
};

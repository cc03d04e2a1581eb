#pragma once

#include "game/GameOptions.h"
#include "music/PlayOrder.h"
#include "music/RenderOptions.h"
#include "music/SettingsFile.h"

#include <QObject>

#include <cstdint>
#include <string>

// The settings of the run: read from "vorka.ini" when made (after removing the temporary files
// an ended writer left), changed by the setup dialog and the windows as the user goes, and
// written back by save(). The game, the playlist dialog and the main window read them here.
// GUI thread only.
class TSettings : public QObject {
  Q_OBJECT

public:
  explicit TSettings(QObject* parent = nullptr);

  // True until the settings have been saved once: a first start.
  bool FirstStart() const { return m_firstStart; }
  // Reads again the choices the setup dialog offers (and the playlist dialog's last folder),
  // as the file holds them; the window places, volume and play order stay as the run has them.
  void reloadChoices();
  // Writes every setting in one replacement of the file, and marks the first start as past.
  // Throws std::runtime_error "Unable to write to <path>" and leaves the file as it was when it
  // cannot be written.
  void save();

  // The Mixing choices; the playing song follows each change at once.
  TRenderOptions renderOptions() const { return m_render; }
  void setRenderOptions(const TRenderOptions& options);

  // The player name as stored, in whatever encoding the file has.
  std::string PlayerName;
  bool FullScreen = true;
  TGameOptions Game;        // the handling and what the game shows
  int32_t MixRate = 44100;  // Hz
  int32_t OutputMode = 10;  // as stored; the setup dialog offers 5, 6, 9 and 10
  int32_t MixingMode = 1;   // 1 high quality, 0 normal; another stored number until changed
  std::string LastDir;      // the playlist dialog's last folder, at most 80 bytes
  int32_t Volume = 100;     // percent
  TRepeatMode Repeat = TRepeatMode::All;
  bool Shuffle = false;
  std::string MainWindowPlace; // "left,top", or empty
  std::string PlaylistPlace;   // "left,top,width,height", or empty
  std::string PatternPlace;    // "left,top,width,height", or empty
  std::string SongsPlace;      // of the playlist window: "left,top,width,height", or empty
  std::string InfoPlace;       // "left,top,width,height", or empty
  std::string ExportDir;       // the last export's folder, ending in "/"; or empty

signals:
  void renderOptionsChanged(const TRenderOptions& options);

private:
  TSettingsFile m_file;
  bool m_firstStart = true;
  TRenderOptions m_render;
};

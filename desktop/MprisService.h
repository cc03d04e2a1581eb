#pragma once

#include "desktop/MprisState.h"

#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <string>
#include <vector>

class QDBusObjectPath;

// What the MPRIS service drives and reads of the program. Each is called on the GUI thread and
// must go the way the main window's own buttons go.
struct TMprisLinks {
  std::function<TPlayerView()> View;
  std::function<double()> PlaySeconds; // into the playing song's pass
  // Play starts or resumes: a paused song goes on, a stopped one starts over, and with none
  // loaded the next one plays.
  std::function<void()> Play, PlayNext, PlayPrevious, Stop, PauseOrResume, Raise, Quit;
  std::function<void(double)> SeekTo;    // seconds into the song
  std::function<void(double)> SetVolume; // 0 to 1
  std::function<void(TRepeatMode)> SetRepeat;
  std::function<void(bool)> SetShuffle;
  std::function<void(const std::vector<std::string>&)> Open; // add modules and play the first
};

// The desktop's player controls: org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player on
// the session bus as org.mpris.MediaPlayer2.vorka, at /org/mpris/MediaPlayer2. The D-Bus
// methods arrive on the GUI thread and map onto the player's own operations; playerChanged()
// tells the bus what changed. OpenUri takes local files only, checked as the command line's
// are; when nothing can be added its reply is an error that says why. GUI thread only.
class TMprisService : public QObject, protected QDBusContext {
  Q_OBJECT

public:
  static constexpr const char* ServiceName = "org.mpris.MediaPlayer2.vorka";
  static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";

  explicit TMprisService(TMprisLinks links, QObject* parent = nullptr);

  // Puts the service on the session bus; false when there is none or the name is taken.
  bool registerOnBus();
  // Emits PropertiesChanged with the player properties that differ from those last told.
  void playerChanged();

  TPlayerView view() const { return m_links.View(); }
  // Microseconds into the playing song.
  qlonglong position() const;
  // The song's place changed other than by playing on (a seek, a restart): tells the bus.
  void positionJumped();

  // The Player interface's methods.
  void play();
  void pause();
  void playPause();
  void stop();
  void next();
  void previous();
  void seek(qlonglong offset);
  void setPosition(const QDBusObjectPath& trackId, qlonglong position);
  void openUri(const QString& uri);
  // The Player interface's writable properties.
  void setVolume(double volume);
  void setLoopStatus(const QString& loopStatus);
  void setShuffle(bool shuffle);
  // The root interface's methods.
  void raise();
  void quit();

signals:
  // After a jump of the song's place, with the new place in microseconds.
  void seeked(qlonglong position);

private:
  TMprisLinks m_links;
  QVariantMap m_told;
};

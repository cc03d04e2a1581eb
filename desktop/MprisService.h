#pragma once

#include "desktop/MprisState.h"

#include <QDBusError>
#include <QDBusVirtualObject>
#include <QVariantMap>

#include <functional>
#include <optional>
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
// the session bus as org.mpris.MediaPlayer2.vorka, at /org/mpris/MediaPlayer2. It answers the
// bus's messages itself, so that a property is written only with the type MPRIS gives it and a
// value it allows (anything else gets an error reply), and the methods map onto the player's
// own operations; playerChanged() tells the bus what changed. OpenUri takes local files only,
// checked as the command line's are; when nothing can be added its reply is an error that says
// why. GUI thread only.
class TMprisService : public QDBusVirtualObject {
  Q_OBJECT

public:
  static constexpr const char* ServiceName = "org.mpris.MediaPlayer2.vorka";
  static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";
  static constexpr const char* RootInterface = "org.mpris.MediaPlayer2";
  static constexpr const char* PlayerInterface = "org.mpris.MediaPlayer2.Player";

  explicit TMprisService(TMprisLinks links, QObject* parent = nullptr);

  // Puts the service on the session bus; false when there is none or the name is taken.
  bool registerOnBus();
  // Emits PropertiesChanged with the player properties that differ from those last told.
  void playerChanged();

  TPlayerView view() const { return m_links.View(); }
  // Microseconds into the playing song.
  qlonglong position() const;
  // The song's place changed other than by playing on (a seek, a restart): emits Seeked.
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
  // Why nothing of `uri` could be added; nothing when it was.
  std::optional<QString> openUri(const QString& uri);
  // The root interface's methods.
  void raise();
  void quit();

  // Every property of `interface` (the root or the player interface) as the bus reads it; empty
  // for another interface.
  QVariantMap properties(const QString& interface) const;
  // Writes property `name` of `interface`: LoopStatus ("Playlist", "Track" or "None"), Shuffle
  // (a boolean), Volume (a finite double; below 0 is 0, above 1 is 1) and Rate (a finite double;
  // the player has one speed and keeps it, and 0 pauses as MPRIS asks). The error for anything
  // else, the value untouched.
  std::optional<QDBusError> setProperty(const QString& interface, const QString& name, const QVariant& value);

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
  QString introspect(const QString& path) const override;

private:
  // The reply to a call of the MPRIS or properties interfaces; nothing for another call.
  std::optional<QDBusMessage> answer(const QDBusMessage& call);
  std::optional<QDBusMessage> answerProperties(const QDBusMessage& call);
  std::optional<QDBusMessage> answerPlayer(const QDBusMessage& call);
  void announce(const QVariantMap& changed);

  TMprisLinks m_links;
  QVariantMap m_told;
};

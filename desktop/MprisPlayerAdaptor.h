#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

class TMprisService;

// org.mpris.MediaPlayer2.Player: the transport and what plays. Its methods go to the service,
// which maps them onto the player's own operations. Made by TMprisService.
class TMprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(double Rate READ one WRITE ignoreRate)
  Q_PROPERTY(double MinimumRate READ one)
  Q_PROPERTY(double MaximumRate READ one)
  Q_PROPERTY(double Volume READ volume WRITE setVolume)
  Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
  Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
  Q_PROPERTY(bool CanGoNext READ canGoNext)
  Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
  Q_PROPERTY(bool CanPlay READ canPlay)
  Q_PROPERTY(bool CanPause READ canPause)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ canControl)

public:
  explicit TMprisPlayerAdaptor(TMprisService* service);

  QString playbackStatus() const { return playerValue("PlaybackStatus").toString(); }
  QVariantMap metadata() const { return playerValue("Metadata").toMap(); }
  qlonglong position() const;
  // The player has one speed: the rates read 1 and writes are ignored.
  double one() const { return 1.0; }
  void ignoreRate(double) {}
  double volume() const { return playerValue("Volume").toDouble(); }
  void setVolume(double volume);
  QString loopStatus() const { return playerValue("LoopStatus").toString(); }
  void setLoopStatus(const QString& loopStatus);
  bool shuffle() const { return playerValue("Shuffle").toBool(); }
  void setShuffle(bool shuffle);
  bool canGoNext() const { return playerValue("CanGoNext").toBool(); }
  bool canGoPrevious() const { return playerValue("CanGoPrevious").toBool(); }
  bool canPlay() const { return playerValue("CanPlay").toBool(); }
  bool canPause() const { return playerValue("CanPause").toBool(); }
  bool canSeek() const { return playerValue("CanSeek").toBool(); }
  bool canControl() const { return true; }

public slots:
  void Next();
  void Previous();
  void Pause();
  void PlayPause();
  void Stop();
  void Play();
  void Seek(qlonglong Offset);
  void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
  void OpenUri(const QString& Uri);

signals:
  void Seeked(qlonglong Position);

private:
  QVariant playerValue(const QString& name) const;

  TMprisService* m_service;
};

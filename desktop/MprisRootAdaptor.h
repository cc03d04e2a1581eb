#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

class TMprisService;

// org.mpris.MediaPlayer2: who the player is, and Raise and Quit. Made by TMprisService.
class TMprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ canQuit)
  Q_PROPERTY(bool CanRaise READ canRaise)
  Q_PROPERTY(bool HasTrackList READ hasTrackList)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
  explicit TMprisRootAdaptor(TMprisService* service);

  bool canQuit() const { return true; }
  bool canRaise() const { return true; }
  bool hasTrackList() const { return false; }
  QString identity() const { return "VORKA"; }
  QString desktopEntry() const;
  QStringList supportedUriSchemes() const { return {"file"}; }
  QStringList supportedMimeTypes() const;

public slots:
  void Raise();
  void Quit();

private:
  TMprisService* m_service;
};

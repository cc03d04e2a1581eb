#include "desktop/MprisService.h"

#include "desktop/LocalPath.h"
#include "desktop/ModuleFiles.h"
#include "desktop/MprisPlayerAdaptor.h"
#include "desktop/MprisRootAdaptor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMetaClassInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <optional>

TMprisService::TMprisService(TMprisLinks links, QObject* parent)
    : QObject(parent), m_links(std::move(links)) {
  new TMprisRootAdaptor(this);
  new TMprisPlayerAdaptor(this);
  m_told = TMprisState::playerProperties(view());
}

bool TMprisService::registerOnBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.registerObject(ObjectPath, this) && bus.registerService(ServiceName);
}

void TMprisService::playerChanged() {
  const QVariantMap now = TMprisState::playerProperties(view());
  QVariantMap changed;
  for (auto it = now.begin(); it != now.end(); ++it)
    if (m_told.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  m_told = now;
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, "org.freedesktop.DBus.Properties",
                                                   "PropertiesChanged");
  signal << QString(TMprisPlayerAdaptor::staticMetaObject.classInfo(0).value()) << changed
         << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

qlonglong TMprisService::position() const { return TMprisState::microseconds(m_links.PlaySeconds()); }

void TMprisService::play() {
  if (view().State != psPlaying) m_links.Play();
}

void TMprisService::pause() {
  if (view().State == psPlaying) m_links.PauseOrResume();
}

void TMprisService::playPause() {
  TPlayerState state = view().State;
  if (state == psPlaying || state == psPaused)
    m_links.PauseOrResume();
  else
    m_links.Play();
}

void TMprisService::stop() { m_links.Stop(); }

void TMprisService::next() { m_links.PlayNext(); }

void TMprisService::previous() { m_links.PlayPrevious(); }

void TMprisService::positionJumped() { emit seeked(position()); }

void TMprisService::seek(qlonglong offset) {
  const TPlayerView now = view();
  if (now.State != psPlaying && now.State != psPaused) return;
  if (std::optional<double> target = TMprisState::seekTarget(offset, m_links.PlaySeconds(), now))
    m_links.SeekTo(*target);
  else
    m_links.PlayNext();
}

void TMprisService::setPosition(const QDBusObjectPath& trackId, qlonglong position) {
  const TPlayerView now = view();
  if ((now.State != psPlaying && now.State != psPaused) || trackId.path() != TMprisState::trackId(now))
    return;
  if (std::optional<double> target = TMprisState::positionTarget(position, now)) m_links.SeekTo(*target);
}

void TMprisService::setVolume(double volume) { m_links.SetVolume(std::clamp(volume, 0.0, 1.0)); }

void TMprisService::setLoopStatus(const QString& loopStatus) {
  if (std::optional<TRepeatMode> repeat = TMprisState::repeatMode(loopStatus))
    m_links.SetRepeat(*repeat);
  else if (calledFromDBus())
    sendErrorReply(QDBusError::InvalidArgs, loopStatus + " is not a loop status.");
}

void TMprisService::setShuffle(bool shuffle) { m_links.SetShuffle(shuffle); }

void TMprisService::openUri(const QString& uri) {
  const std::optional<std::string> path = LocalPathOf(QUrl(uri));
  TModuleFiles files = path ? TModuleFiles::ofAbsolute({*path}) : TModuleFiles();
  if (!path) files.Problems.push_back(uri.toStdString() + " is not a local file.");
  if (!files.Modules.empty())
    m_links.Open(files.Modules);
  else if (calledFromDBus())
    sendErrorReply(QDBusError::InvalidArgs, QString::fromStdString(files.Problems.front()));
}

void TMprisService::raise() { m_links.Raise(); }

void TMprisService::quit() { m_links.Quit(); }

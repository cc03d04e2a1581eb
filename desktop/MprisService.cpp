#include "desktop/MprisService.h"

#include "desktop/ModuleFiles.h"
#include "desktop/MprisPlayerAdaptor.h"
#include "desktop/MprisRootAdaptor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QMetaClassInfo>
#include <QUrl>

#include <cmath>

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

qlonglong TMprisService::position() const { return std::llround(m_links.PlaySeconds() * 1e6); }

void TMprisService::play() {
  TPlayerState state = view().State;
  if (state == psPaused)
    m_links.PauseOrResume();
  else if (state != psPlaying)
    m_links.PlayNext();
}

void TMprisService::pause() {
  if (view().State == psPlaying) m_links.PauseOrResume();
}

void TMprisService::playPause() {
  TPlayerState state = view().State;
  if (state == psPlaying || state == psPaused)
    m_links.PauseOrResume();
  else
    m_links.PlayNext();
}

void TMprisService::stop() { m_links.Stop(); }

void TMprisService::next() { m_links.PlayNext(); }

void TMprisService::previous() {
  if (view().State != psPlaying) return;
  m_links.RestartSong();
  emit seeked(position());
}

void TMprisService::seek(qlonglong offset) {
  const TPlayerView now = view();
  if (now.State != psPlaying) return;
  if (int32_t positions = TMprisState::positionsForOffset(offset, now)) m_links.Seek(positions);
  emit seeked(position());
}

void TMprisService::setPosition(const QDBusObjectPath& trackId, qlonglong position) {
  const TPlayerView now = view();
  if (now.State != psPlaying || trackId.path() != TMprisState::trackId(now) || position < 0 ||
      position > std::llround(now.Duration * 1e6) || now.SongLength == 0)
    return;
  const double perPosition = now.Duration / now.SongLength * 1e6;
  const auto target = static_cast<int32_t>(std::min<double>(position / perPosition, now.SongLength - 1));
  m_links.Seek(target - static_cast<int32_t>(now.Position));
  emit seeked(this->position());
}

void TMprisService::openUri(const QString& uri) {
  const QUrl url(uri);
  if (!url.isLocalFile()) return;
  TModuleFiles files = TModuleFiles::of({QFile::encodeName(url.toLocalFile()).toStdString()});
  if (!files.Modules.empty()) m_links.Open(files.Modules);
}

void TMprisService::raise() { m_links.Raise(); }

void TMprisService::quit() { m_links.Quit(); }

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
  if (now.State != psPlaying || trackId.path() != TMprisState::trackId(now)) return;
  const std::optional<int32_t> target = TMprisState::positionAt(position, now);
  if (!target) return;
  m_links.Seek(*target - static_cast<int32_t>(now.Position));
  emit seeked(this->position());
}

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

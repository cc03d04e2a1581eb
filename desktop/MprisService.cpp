#include "desktop/MprisService.h"

#include "desktop/LocalPath.h"
#include "desktop/ModuleFiles.h"
#include "desktop/SingleInstance.h"
#include "music/ModuleFormats.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMetaClassInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

// What the object offers, as introspection gives it; the types are those the properties are
// read and written with.
constexpr const char* kIntrospection = R"(<interface name="org.mpris.MediaPlayer2">
  <method name="Raise"/>
  <method name="Quit"/>
  <property name="CanQuit" type="b" access="read"/>
  <property name="CanRaise" type="b" access="read"/>
  <property name="HasTrackList" type="b" access="read"/>
  <property name="Identity" type="s" access="read"/>
  <property name="DesktopEntry" type="s" access="read"/>
  <property name="SupportedUriSchemes" type="as" access="read"/>
  <property name="SupportedMimeTypes" type="as" access="read"/>
</interface>
<interface name="org.mpris.MediaPlayer2.Player">
  <method name="Next"/>
  <method name="Previous"/>
  <method name="Pause"/>
  <method name="PlayPause"/>
  <method name="Stop"/>
  <method name="Play"/>
  <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
  <method name="SetPosition">
    <arg name="TrackId" type="o" direction="in"/>
    <arg name="Position" type="x" direction="in"/>
  </method>
  <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
  <signal name="Seeked"><arg name="Position" type="x"/></signal>
  <property name="PlaybackStatus" type="s" access="read"/>
  <property name="LoopStatus" type="s" access="readwrite"/>
  <property name="Rate" type="d" access="readwrite"/>
  <property name="Shuffle" type="b" access="readwrite"/>
  <property name="Metadata" type="a{sv}" access="read"/>
  <property name="Volume" type="d" access="readwrite"/>
  <property name="Position" type="x" access="read"/>
  <property name="MinimumRate" type="d" access="read"/>
  <property name="MaximumRate" type="d" access="read"/>
  <property name="CanGoNext" type="b" access="read"/>
  <property name="CanGoPrevious" type="b" access="read"/>
  <property name="CanPlay" type="b" access="read"/>
  <property name="CanPause" type="b" access="read"/>
  <property name="CanSeek" type="b" access="read"/>
  <property name="CanControl" type="b" access="read"/>
</interface>
)";

bool holds(const QVariant& value, QMetaType type) { return value.metaType() == type; }

} // namespace

TMprisService::TMprisService(TMprisLinks links, QObject* parent)
    : QDBusVirtualObject(parent), m_links(std::move(links)) {
  m_told = TMprisState::playerProperties(view());
}

bool TMprisService::registerOnBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.registerVirtualObject(ObjectPath, this) && bus.registerService(ServiceName);
}

QString TMprisService::introspect(const QString&) const { return kIntrospection; }

void TMprisService::playerChanged() {
  const QVariantMap now = TMprisState::playerProperties(view());
  QVariantMap changed;
  for (auto it = now.begin(); it != now.end(); ++it)
    if (m_told.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  m_told = now;
  if (!changed.isEmpty()) announce(changed);
}

void TMprisService::announce(const QVariantMap& changed) {
  QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, kPropertiesInterface, "PropertiesChanged");
  signal << QString(PlayerInterface) << changed << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

qlonglong TMprisService::position() const { return TMprisState::microseconds(m_links.PlaySeconds()); }

QVariantMap TMprisService::properties(const QString& interface) const {
  if (interface == RootInterface) {
    QStringList types;
    for (const std::string& type : TModuleFiles::MimeTypes()) types << QString::fromStdString(type);
    return {{"CanQuit", true},
            {"CanRaise", true},
            {"HasTrackList", false},
            {"Identity", "VORKA"},
            // The desktop entry is named after the program's id.
            {"DesktopEntry", TSingleInstance::staticMetaObject.classInfo(0).value()},
            {"SupportedUriSchemes", QStringList{"file"}},
            {"SupportedMimeTypes", types}};
  }
  if (interface != PlayerInterface) return {};
  QVariantMap player = TMprisState::playerProperties(view());
  player.insert("Position", position());
  for (const char* rate : {"Rate", "MinimumRate", "MaximumRate"}) player.insert(rate, 1.0);
  player.insert("CanControl", true);
  return player;
}

std::optional<QDBusError> TMprisService::setProperty(const QString& interface, const QString& name,
                                                     const QVariant& value) {
  const QVariantMap all = properties(interface);
  if (all.isEmpty()) return QDBusError(QDBusError::UnknownInterface, interface + " is not an interface of this object.");
  if (!all.contains(name)) return QDBusError(QDBusError::UnknownProperty, interface + " has no property " + name + ".");
  const QMetaType isDouble = QMetaType::fromType<double>();
  if (name == "LoopStatus") {
    const std::optional<TRepeatMode> repeat =
        holds(value, QMetaType::fromType<QString>()) ? TMprisState::repeatMode(value.toString()) : std::nullopt;
    if (!repeat) return QDBusError(QDBusError::InvalidArgs, "LoopStatus is one of the texts Playlist, Track and None.");
    m_links.SetRepeat(*repeat);
  } else if (name == "Shuffle") {
    if (!holds(value, QMetaType::fromType<bool>())) return QDBusError(QDBusError::InvalidArgs, "Shuffle is a boolean.");
    m_links.SetShuffle(value.toBool());
  } else if (name == "Volume") {
    if (!holds(value, isDouble) || !std::isfinite(value.toDouble()))
      return QDBusError(QDBusError::InvalidArgs, "Volume is a number, 0 for silence to 1 for full volume.");
    m_links.SetVolume(std::clamp(value.toDouble(), 0.0, 1.0));
  } else if (name == "Rate") {
    if (!holds(value, isDouble) || !std::isfinite(value.toDouble()))
      return QDBusError(QDBusError::InvalidArgs, "Rate is a number; this player has the rate 1 only.");
    if (value.toDouble() == 0.0) pause();
  } else {
    return QDBusError(QDBusError::PropertyReadOnly, name + " can only be read.");
  }
  return {};
}

bool TMprisService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  std::optional<QDBusMessage> reply = answer(message);
  if (!reply) return false;
  if (message.isReplyRequired()) connection.send(*reply);
  return true;
}

std::optional<QDBusMessage> TMprisService::answer(const QDBusMessage& call) {
  const QString interface = call.interface();
  if (interface == kPropertiesInterface) return answerProperties(call);
  const bool root = interface == RootInterface || interface.isEmpty();
  if (root && call.member() == "Raise" && call.signature().isEmpty()) {
    raise();
    return call.createReply();
  }
  if (root && call.member() == "Quit" && call.signature().isEmpty()) {
    quit();
    return call.createReply();
  }
  if (interface == PlayerInterface || interface.isEmpty()) return answerPlayer(call);
  return {};
}

std::optional<QDBusMessage> TMprisService::answerProperties(const QDBusMessage& call) {
  const QVariantList args = call.arguments();
  const QString member = call.member(), signature = call.signature();
  if (member == "GetAll" && signature == "s") {
    const QVariantMap all = properties(args[0].toString());
    if (all.isEmpty())
      return call.createErrorReply(QDBusError::UnknownInterface, args[0].toString() + " is not an interface of this object.");
    return call.createReply(all);
  }
  if (member == "Get" && signature == "ss") {
    const QVariantMap all = properties(args[0].toString());
    if (!all.contains(args[1].toString()))
      return call.createErrorReply(QDBusError::UnknownProperty,
                                   args[0].toString() + " has no property " + args[1].toString() + ".");
    return call.createReply(QVariant::fromValue(QDBusVariant(all.value(args[1].toString()))));
  }
  if (member == "Set" && signature == "ssv") {
    const QVariant value = args[2].value<QDBusVariant>().variant();
    if (std::optional<QDBusError> error = setProperty(args[0].toString(), args[1].toString(), value))
      return call.createErrorReply(*error);
    return call.createReply();
  }
  return call.createErrorReply(QDBusError::UnknownMethod, member + " with the arguments " + signature +
                                                              " is not a method of " + kPropertiesInterface + ".");
}

std::optional<QDBusMessage> TMprisService::answerPlayer(const QDBusMessage& call) {
  const QString member = call.member(), signature = call.signature();
  const QVariantList args = call.arguments();
  const std::pair<const char*, void (TMprisService::*)()> plain[] = {
      {"Next", &TMprisService::next},   {"Previous", &TMprisService::previous},
      {"Pause", &TMprisService::pause}, {"PlayPause", &TMprisService::playPause},
      {"Stop", &TMprisService::stop},   {"Play", &TMprisService::play}};
  for (const auto& [name, method] : plain)
    if (member == name && signature.isEmpty()) {
      (this->*method)();
      return call.createReply();
    }
  if (member == "Seek" && signature == "x") {
    seek(args[0].toLongLong());
    return call.createReply();
  }
  if (member == "SetPosition" && signature == "ox") {
    setPosition(args[0].value<QDBusObjectPath>(), args[1].toLongLong());
    return call.createReply();
  }
  if (member == "OpenUri" && signature == "s") {
    if (std::optional<QString> error = openUri(args[0].toString()))
      return call.createErrorReply(QDBusError::InvalidArgs, *error);
    return call.createReply();
  }
  // Another method, or one of these with other arguments: the bus's own error says so.
  return {};
}

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

void TMprisService::positionJumped() {
  QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, PlayerInterface, "Seeked");
  signal << position();
  QDBusConnection::sessionBus().send(signal);
}

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

std::optional<QString> TMprisService::openUri(const QString& uri) {
  const std::optional<std::string> path = LocalPathOf(QUrl(uri));
  TModuleFiles files = path ? TModuleFiles::ofAbsolute({*path}) : TModuleFiles();
  if (!path) files.Problems.push_back(uri.toStdString() + " is not a local file.");
  if (files.Modules.empty()) return QString::fromStdString(files.Problems.front());
  m_links.Open(files.Modules);
  return {};
}

void TMprisService::raise() { m_links.Raise(); }

void TMprisService::quit() { m_links.Quit(); }

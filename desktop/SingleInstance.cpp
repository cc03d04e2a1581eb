#include "desktop/SingleInstance.h"

#include "desktop/ModuleFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QMetaClassInfo>

namespace {

// The hand-over's own connection, closed when no answer came, so that the running start can
// tell that nobody waits for a late Open any more.
constexpr const char* kHandOverConnection = "vorka-hand-over";

const char* interfaceName() { return TSingleInstance::staticMetaObject.classInfo(0).value(); }

// The paths go as arrays of bytes ("aay"): a file name need not be valid UTF-8.
void registerPathListType() { qDBusRegisterMetaType<QByteArrayList>(); }

std::string joined(const std::vector<std::string>& sentences) {
  std::string text;
  for (const std::string& sentence : sentences) text += (text.empty() ? "" : " ") + sentence;
  return text;
}

} // namespace

TSingleInstance::TSingleInstance(QObject* parent) : QObject(parent) { registerPathListType(); }

TSingleInstance::TClaim TSingleInstance::claim() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return TClaim::NoBus;
  bus.registerObject(ObjectPath, this, QDBusConnection::ExportScriptableSlots);
  if (bus.registerService(interfaceName())) return TClaim::Owner;
  bus.unregisterObject(ObjectPath);
  return TClaim::Running;
}

TSingleInstance::THandOver TSingleInstance::handOver(const std::vector<std::string>& modules,
                                                     std::string& why) {
  registerPathListType();
  QByteArrayList paths;
  for (const std::string& module : modules) paths.push_back(QByteArray::fromStdString(module));
  // A plain call with a timeout: an interface object would first ask the running start to
  // describe itself, which a frozen start never answers.
  QDBusMessage open =
      QDBusMessage::createMethodCall(interfaceName(), ObjectPath, interfaceName(), "Open");
  open << QVariant::fromValue(paths);
  QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kHandOverConnection);
  QDBusMessage reply = bus.call(open, QDBus::Block, HandOverMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return THandOver::Done;
  why = reply.errorMessage().toStdString();
  if (reply.errorName() == QDBusError::errorString(QDBusError::InvalidArgs))
    return THandOver::Refused;
  QDBusConnection::disconnectFromBus(kHandOverConnection);
  return THandOver::NoAnswer;
}

void TSingleInstance::Open(const QByteArrayList& paths) {
  // A start that gave up waiting runs on its own by now; its files must not open here as well.
  if (calledFromDBus()) {
    const QDBusReply<bool> waiting =
        connection().interface()->isServiceRegistered(message().service());
    if (waiting.isValid() && !waiting.value()) return;
  }
  std::vector<std::string> given;
  for (QByteArray path : paths) {
    if (path.endsWith('\0')) path.chop(1); // GLib's byte strings end in a zero byte
    given.push_back(path.toStdString());
  }
  TModuleFiles files = TModuleFiles::ofAbsolute(given);
  if (files.Modules.empty() && !files.Problems.empty()) {
    if (calledFromDBus())
      sendErrorReply(QDBusError::InvalidArgs, QString::fromStdString(joined(files.Problems)));
    return;
  }
  emit openRequested(files.Modules);
}

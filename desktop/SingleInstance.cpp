#include "desktop/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QMetaClassInfo>

namespace {

constexpr int kHandOverMs = 5000;

const char* interfaceName() { return TSingleInstance::staticMetaObject.classInfo(0).value(); }

// The paths go as arrays of bytes ("aay"): a file name need not be valid UTF-8.
void registerPathListType() { qDBusRegisterMetaType<QByteArrayList>(); }

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

bool TSingleInstance::handOver(const std::vector<std::string>& modules) {
  registerPathListType();
  QDBusInterface running(interfaceName(), ObjectPath, interfaceName(), QDBusConnection::sessionBus());
  running.setTimeout(kHandOverMs);
  QByteArrayList paths;
  for (const std::string& module : modules) paths.push_back(QByteArray::fromStdString(module));
  QDBusReply<void> reply = running.call("Open", QVariant::fromValue(paths));
  return reply.isValid();
}

void TSingleInstance::Open(const QByteArrayList& paths) {
  std::vector<std::string> modules;
  for (const QByteArray& path : paths) modules.push_back(path.toStdString());
  emit openRequested(modules);
}

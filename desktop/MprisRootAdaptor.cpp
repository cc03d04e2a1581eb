#include "desktop/MprisRootAdaptor.h"

#include "desktop/MprisService.h"
#include "desktop/SingleInstance.h"
#include "music/ModuleFormats.h"

#include <QMetaClassInfo>

TMprisRootAdaptor::TMprisRootAdaptor(TMprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

// The desktop entry is named after the program's id.
QString TMprisRootAdaptor::desktopEntry() const {
  return TSingleInstance::staticMetaObject.classInfo(0).value();
}

QStringList TMprisRootAdaptor::supportedMimeTypes() const {
  QStringList types;
  for (const std::string& type : TModuleFormats::MimeTypes()) types << QString::fromStdString(type);
  return types;
}

void TMprisRootAdaptor::Raise() { m_service->raise(); }

void TMprisRootAdaptor::Quit() { m_service->quit(); }

#include "desktop/MprisRootAdaptor.h"

#include "desktop/MprisService.h"
#include "desktop/SingleInstance.h"

#include <QMetaClassInfo>

TMprisRootAdaptor::TMprisRootAdaptor(TMprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

// The desktop entry is named after the program's id.
QString TMprisRootAdaptor::desktopEntry() const {
  return TSingleInstance::staticMetaObject.classInfo(0).value();
}

QStringList TMprisRootAdaptor::supportedMimeTypes() const {
  return {"audio/x-mod", "audio/x-s3m", "audio/x-xm", "audio/x-it"};
}

void TMprisRootAdaptor::Raise() { m_service->raise(); }

void TMprisRootAdaptor::Quit() { m_service->quit(); }

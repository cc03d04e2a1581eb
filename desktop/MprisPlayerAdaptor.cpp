#include "desktop/MprisPlayerAdaptor.h"

#include "desktop/MprisService.h"

TMprisPlayerAdaptor::TMprisPlayerAdaptor(TMprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {
  connect(service, &TMprisService::seeked, this, &TMprisPlayerAdaptor::Seeked);
}

QVariant TMprisPlayerAdaptor::playerValue(const QString& name) const {
  return TMprisState::playerProperties(m_service->view()).value(name);
}

qlonglong TMprisPlayerAdaptor::position() const { return m_service->position(); }

void TMprisPlayerAdaptor::Next() { m_service->next(); }
void TMprisPlayerAdaptor::Previous() { m_service->previous(); }
void TMprisPlayerAdaptor::Pause() { m_service->pause(); }
void TMprisPlayerAdaptor::PlayPause() { m_service->playPause(); }
void TMprisPlayerAdaptor::Stop() { m_service->stop(); }
void TMprisPlayerAdaptor::Play() { m_service->play(); }
void TMprisPlayerAdaptor::Seek(qlonglong Offset) { m_service->seek(Offset); }

void TMprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  m_service->setPosition(TrackId, Position);
}

void TMprisPlayerAdaptor::OpenUri(const QString& Uri) { m_service->openUri(Uri); }

void TMprisPlayerAdaptor::setVolume(double volume) { m_service->setVolume(volume); }

void TMprisPlayerAdaptor::setLoopStatus(const QString& loopStatus) {
  m_service->setLoopStatus(loopStatus);
}

void TMprisPlayerAdaptor::setShuffle(bool shuffle) { m_service->setShuffle(shuffle); }

#pragma once

#include <QObject>
#include <QUrl>

#include <vector>

// Records the addresses the desktop is asked to open: register it as the handler of a scheme
// with QDesktopServices::setUrlHandler(scheme, &recorder, "open").
class UrlRecorder : public QObject {
  Q_OBJECT

public:
  std::vector<QUrl> opened;

public slots:
  void open(const QUrl& url) { opened.push_back(url); }
};

#include "desktop/LocalPath.h"

#include <QByteArray>
#include <QUrl>

std::optional<std::string> LocalPathOf(const QUrl& url) {
  if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == "localhost")) return {};
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

QString AddressOfPath(const std::string& path) {
  return "file://" + QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/"));
}

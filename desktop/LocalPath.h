#pragma once

#include <QString>

#include <optional>
#include <string>

class QUrl;

// Local file addresses and the file system's bytes. A file name need not be valid UTF-8, so
// paths cross as bytes: the percent-escapes of an address stand for the name's own bytes.

// The path of a local file's address ("file:///..." or "file://localhost/..."), its escapes
// decoded byte for byte; nothing for any other address.
std::optional<std::string> LocalPathOf(const QUrl& url);

// The "file://" address of `path`, every byte but the unreserved characters and "/" escaped.
QString AddressOfPath(const std::string& path);

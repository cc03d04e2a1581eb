#include "platform/shell.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QUrl>

namespace {

// "scheme://...", the scheme spelt as URLs allow (a letter, then letters, digits, + - .).
bool hasScheme(const QString& text) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  return scheme.match(text).hasMatch();
}

// Why xdg-open ended with `status`, as its manual gives the statuses.
std::string openerFailure(int status) {
  switch (status) {
  case 2: return "the file does not exist";
  case 3: return "no program to open it was found";
  case 4: return "the program that opens it failed";
  default: return "the desktop's opener ended with status " + std::to_string(status);
  }
}

bool isBlankOrControl(QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7F; }

// `text` without blanks and control characters at either end.
QString trimmedDocument(const std::string& text) {
  QString document = QString::fromStdString(text);
  qsizetype begin = 0, end = document.size();
  while (begin < end && isBlankOrControl(document[begin])) ++begin;
  while (end > begin && isBlankOrControl(document[end - 1])) --end;
  return document.mid(begin, end - begin);
}

} // namespace

QUrl ShellUrl(const std::string& document) {
  QString text = QString::fromStdString(document);
  if (hasScheme(text)) return QUrl(text);
  return QUrl::fromLocalFile(QDir::current().absoluteFilePath(text));
}

void ShellExecute(const std::string& document, std::function<void(const std::string& reason)> failed) {
  QString text = trimmedDocument(document);
  if (text.isEmpty()) return;
  const QUrl url = ShellUrl(text.toStdString());
  // No parent: a QProcess that is destroyed kills its program, which may be the browser itself.
  auto* opener = new QProcess;
  opener->setProgram(QStringLiteral("xdg-open"));
  opener->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
  opener->setStandardInputFile(QProcess::nullDevice());
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  auto end = [opener, failed](const std::string& reason) {
    if (!reason.empty() && failed) failed(reason);
    opener->deleteLater();
  };
  QObject::connect(opener, &QProcess::finished, opener, [end](int code, QProcess::ExitStatus status) {
    if (status != QProcess::NormalExit)
      end("the desktop's opener stopped");
    else
      end(code == 0 ? std::string() : openerFailure(code));
  });
  QObject::connect(opener, &QProcess::errorOccurred, opener, [end](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) end("the desktop's opener, xdg-open, is not installed");
  });
  opener->start();
}

#include "platform/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QString>
#include <QThread>

#include <iostream>
#include <mutex>
#include <utility>

namespace {

constexpr const char* kTitleProperty = "Title";

std::mutex& handlerMutex() {
  static std::mutex mutex;
  return mutex;
}

TMessageBoxHandler& handler() {
  static TMessageBoxHandler h;
  return h;
}

QMessageBox::Icon iconOf(TMessageKind kind) {
  switch (kind) {
  case TMessageKind::Information: return QMessageBox::Information;
  case TMessageKind::Warning: return QMessageBox::Warning;
  default: return QMessageBox::Critical;
  }
}

void showOnScreen(const QString& text, const QString& caption, TMessageKind kind) {
  QMessageBox box(iconOf(kind), caption, text, QMessageBox::Ok);
  // A path or a reason in the text can be copied.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box.exec();
}

} // namespace

void ShowMessageBox(const std::string& text, const std::string& caption, TMessageKind kind) {
  std::string title = caption.empty() ? ApplicationTitle() : caption;
  TMessageBoxHandler replacement;
  {
    std::lock_guard lock(handlerMutex());
    replacement = handler();
  }
  if (replacement) {
    replacement(text, title, kind);
    return;
  }
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) return PrintMessageBox(text, title, kind);
  if (QThread::currentThread() == app->thread())
    showOnScreen(QString::fromStdString(text), QString::fromStdString(title), kind);
  else
    QMetaObject::invokeMethod(app, [=] { ShowMessageBox(text, title, kind); }, Qt::QueuedConnection);
}

void PrintMessageBox(const std::string& text, const std::string& caption, TMessageKind) {
  std::cerr << caption << ": " << text << '\n';
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler replacement) {
  std::lock_guard lock(handlerMutex());
  return std::exchange(handler(), std::move(replacement));
}

std::string ApplicationTitle() {
  QCoreApplication* app = QCoreApplication::instance();
  return app ? app->property(kTitleProperty).toString().toStdString() : std::string();
}

void SetApplicationTitle(const std::string& title) {
  if (QCoreApplication* app = QCoreApplication::instance())
    app->setProperty(kTitleProperty, QString::fromStdString(title));
}

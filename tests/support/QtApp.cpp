#include "tests/support/QtApp.h"

#include <QApplication>

QApplication& testApp() {
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
  static int argc = 1;
  static char name[] = "vorka-tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down during static destruction crashes.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

#include "tests/support/QtApp.h"

#include <QApplication>

QApplication& testApp() {
  static int argc = 1;
  static char name[] = "vorka-tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

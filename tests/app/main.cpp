// The application tests run under the program's own application object, so that errors
// escaping a handler reach its standard error box as in the program.

#include "app/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  // Tests close main windows without ending the run.
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}

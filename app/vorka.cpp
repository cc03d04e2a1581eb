// VORKA: start-up and end of the program.

#include "app/Application.h"
#include "app/Startup.h"
#include "app/main.h"
#include "platform/filesys.h"
#include "platform/keyboard.h"
#include "platform/msgbox.h"

#include <QFont>

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  SetApplicationTitle("VORKA");
  QFont font = QApplication::font();
  font.setPointSize(8);
  QApplication::setFont(font);
  InstallKeyboardFilter(&app);

  int result = 1;
  if (CreateWindows(ProgramDir())) {
    frmMain->show();
    result = app.fatal() ? 1 : app.exec();
  }
  DestroyWindows();
  return result;
}

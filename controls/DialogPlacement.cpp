#include "controls/DialogPlacement.h"

#include <QWidget>

void CenterOnWindow(QWidget* dialog, const QWidget* mainWindow) {
  if (!mainWindow) return;
  QRect main = mainWindow->frameGeometry();
  QRect own = dialog->frameGeometry();
  dialog->move(main.left() + main.width() / 2 - own.width() / 2,
               main.top() + main.height() / 2 - own.height() / 2);
}

#include "playlist/DirListBox.h"

TDirListBox::TDirListBox(QWidget* parent) : QListWidget(parent) {
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
}

void TDirListBox::startDrag(Qt::DropActions) { QListWidget::startDrag(Qt::CopyAction); }

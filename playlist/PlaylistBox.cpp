#include "playlist/PlaylistBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>

TPlaylistBox::TPlaylistBox(QWidget* parent) : QListWidget(parent) {
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
}

bool TPlaylistBox::fromListBox(QDropEvent* event) const {
  return qobject_cast<QListWidget*>(event->source()) && event->source() != this;
}

// Entries only ever come in as copies: a move would let the source list remove its row.
void TPlaylistBox::dragEnterEvent(QDragEnterEvent* event) {
  if (!fromListBox(event)) return event->ignore();
  raise();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void TPlaylistBox::dragMoveEvent(QDragMoveEvent* event) {
  if (!fromListBox(event)) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void TPlaylistBox::dropEvent(QDropEvent* event) {
  if (!fromListBox(event)) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit droppedFromList();
}

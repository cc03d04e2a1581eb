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

void TPlaylistBox::dragEnterEvent(QDragEnterEvent* event) {
  if (!fromListBox(event)) return event->ignore();
  raise();
  event->acceptProposedAction();
}

void TPlaylistBox::dragMoveEvent(QDragMoveEvent* event) {
  if (!fromListBox(event)) return event->ignore();
  event->acceptProposedAction();
}

void TPlaylistBox::dropEvent(QDropEvent* event) {
  if (!fromListBox(event)) return event->ignore();
  event->acceptProposedAction();
  emit droppedFromList();
}

#pragma once

#include <QListWidget>

// The playlist box: a plain list of module paths that accepts entries dragged from another
// list box, always as a copy. A drop only reports itself; the dialog decides what it adds.
class TPlaylistBox : public QListWidget {
  Q_OBJECT

public:
  explicit TPlaylistBox(QWidget* parent = nullptr);

signals:
  void droppedFromList();

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  bool fromListBox(QDropEvent* event) const;
};

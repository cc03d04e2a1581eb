#pragma once

#include <QListWidget>

// The folder list: a list box whose entries are dragged to the playlist. A drag only ever
// copies, so no drop removes the dragged row, whatever modifier keys are held.
class TDirListBox : public QListWidget {
  Q_OBJECT

public:
  explicit TDirListBox(QWidget* parent = nullptr);

protected:
  void startDrag(Qt::DropActions supportedActions) override;
};

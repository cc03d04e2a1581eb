#pragma once

#include <QImage>
#include <QStyledItemDelegate>

#include <cstdint>

class QHeaderView;

// Draws one row of the folder list: the entry's icon at the row's top left (its pure red
// pixels in the row's background colour), the name as the file system spells it at 18 pixels,
// elided where it would reach the size column, and the size ("<DIR>" for folders) at the width
// of the header's first section, so the column follows the header while it is dragged.
class TDirListDelegate : public QStyledItemDelegate {
public:
  // Item data roles the folder list stores with each entry.
  enum Role { SizeRole = Qt::UserRole, AttrRole };
  // Indexes into the icons: parent folder, module file, folder.
  enum Icon { ParentIcon = 0, ModuleIcon = 1, FolderIcon = 2 };

  TDirListDelegate(const QHeaderView* header, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The size a row shows: "<DIR>" for folders; "999 B", "12 KB" (rounded up), "1.5 MB" or
  // "120 MB" for files (size: the low 32 bits of the file's).
  static QString sizeText(int32_t size, int32_t attr);

  static constexpr int RowHeight = 14;

private:
  QImage iconOn(Icon icon, QColor background) const;

  const QHeaderView* m_header;
  QImage m_icons[3];
};

#pragma once

#include <QImage>
#include <QStyledItemDelegate>

#include <cstdint>

class QHeaderView;

// Draws one row of the folder list: the entry's icon at the row's top left (its pure red
// pixels in the row's background colour), the name at 18 pixels (folders in upper case,
// modules in lower case), elided where it would reach the size column, and the size ("<DIR>"
// for folders) at the width of the header's first section, so the column follows the header
// while it is dragged.
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

  // The texts a row shows: folders in upper case with "<DIR>", modules in lower case with
  // their size in bytes.
  static QString nameText(const QString& name, int32_t attr);
  static QString sizeText(int32_t size, int32_t attr);

  static constexpr int RowHeight = 14;

private:
  QImage iconOn(Icon icon, QColor background) const;

  const QHeaderView* m_header;
  QImage m_icons[3];
};

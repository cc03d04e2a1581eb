#include "playlist/DirListDelegate.h"

#include "controls/Bitmaps.h"
#include "library/DirBrowser.h"

#include <QHeaderView>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kNameLeft = 18;  // the name starts right of the 16-pixel icon
constexpr int kColumnGap = 3;  // blank before the size column

} // namespace

TDirListDelegate::TDirListDelegate(const QHeaderView* header, QObject* parent)
    : QStyledItemDelegate(parent), m_header(header) {
  const char* files[] = {"iconparent.bmp", "iconmodule.bmp", "iconfolder.bmp"};
  for (int i = 0; i < 3; ++i)
    m_icons[i] = LoadBitmap(files[i]).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage TDirListDelegate::iconOn(Icon icon, QColor background) const {
  QImage image = m_icons[icon];
  const QRgb red = qRgb(255, 0, 0), fill = background.rgb();
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (red & 0xFFFFFF)) line[x] = fill;
  }
  return image;
}

void TDirListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const int32_t attr = index.data(AttrRole).toInt();
  QString name = index.data(Qt::DisplayRole).toString();
  bool folder = TDirBrowser::IsFolder({{}, 0, attr});
  bool selected = option.state & QStyle::State_Selected;
  QColor brush = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
  QColor ink = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);

  const QRect& r = option.rect;
  painter->save();
  painter->fillRect(r, brush);
  Icon icon = !folder ? ModuleIcon : (name == ".." ? ParentIcon : FolderIcon);
  painter->drawImage(r.topLeft(), iconOn(icon, brush));
  painter->setPen(ink);
  painter->setFont(option.font);
  int baseline = r.top() + (r.height() + option.fontMetrics.ascent() - option.fontMetrics.descent()) / 2;
  // A long name ends in "…" at the size column, so that the size stays readable.
  const int nameWidth = m_header->sectionSize(0) - kNameLeft - kColumnGap;
  painter->drawText(r.left() + kNameLeft, baseline,
                    option.fontMetrics.elidedText(name, Qt::ElideRight, nameWidth));
  painter->drawText(r.left() + m_header->sectionSize(0), baseline,
                    sizeText(index.data(SizeRole).toInt(), attr));
  painter->restore();
}

QSize TDirListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), RowHeight};
}

QString TDirListDelegate::sizeText(int32_t size, int32_t attr) {
  if (TDirBrowser::IsFolder({{}, 0, attr})) return QStringLiteral("<DIR>");
  const auto bytes = static_cast<uint32_t>(size);
  if (bytes < 1000) return QString("%1 B").arg(bytes);
  // Kilobytes rounded up, so that no file of a few bytes over a kilobyte looks smaller.
  if (bytes < 1000 * 1024) return QString("%1 KB").arg((bytes + 1023) / 1024);
  const double megabytes = bytes / (1024.0 * 1024.0);
  return megabytes < 99.95 ? QString("%1 MB").arg(megabytes, 0, 'f', 1) : QString("%1 MB").arg(std::lround(megabytes));
}

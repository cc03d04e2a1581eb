#include "tools/artgen/Canvas.h"

#include "tools/artgen/Palette.h"

TCanvas::TCanvas(int width, int height, QColor fill, bool antialias)
    : m_image(width, height, QImage::Format_ARGB32_Premultiplied), m_antialias(antialias) {
  m_image.fill(fill);
  beginPainting();
}

void TCanvas::settle(TDither dither) {
  m_painter.end();
  QImage indexed = TQuantiser::toIndexed(m_image, std::nullopt, dither);
  // Entry 0 comes back transparent, not black.
  QList<QRgb> table = indexed.colorTable();
  table[TPalette::kTransparent] = qRgba(0, 0, 0, 0);
  indexed.setColorTable(table);
  m_image = indexed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  beginPainting();
}

QImage TCanvas::finish() {
  m_painter.end();
  return m_image;
}

void TCanvas::beginPainting() {
  m_painter.begin(&m_image);
  m_painter.setRenderHint(QPainter::Antialiasing, m_antialias);
  m_painter.setRenderHint(QPainter::TextAntialiasing, m_antialias);
  m_painter.setRenderHint(QPainter::SmoothPixmapTransform, m_antialias);
}

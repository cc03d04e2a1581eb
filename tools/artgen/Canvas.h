#pragma once

#include "tools/artgen/Quantiser.h"

#include <QColor>
#include <QImage>
#include <QPainter>

// A picture being drawn: an ARGB32 image and a painter open on it.
class TCanvas {
public:
  // A `width` x `height` picture filled with `fill` (transparent by default). Pixel art on a
  // key colour wants `antialias` off so that no edge pixel blends with the key.
  TCanvas(int width, int height, QColor fill = Qt::transparent, bool antialias = true);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  QPainter& painter() { return m_painter; }
  // Puts what is drawn so far onto the palette now, with `dither`: a wide gradient dithered
  // as a background stays smooth while what is drawn over it later stays free of dots.
  void settle(TDither dither);
  // Ends the drawing and hands over the picture.
  QImage finish();

private:
  void beginPainting();

  QImage m_image;
  QPainter m_painter;
  bool m_antialias;
};

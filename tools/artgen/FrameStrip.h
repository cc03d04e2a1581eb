#pragma once

#include <QImage>
#include <QPainter>
#include <QRgb>
#include <QSize>

#include <functional>

// Animations as the game loads them: `count` frames of one size side by side in one row.
class TFrameStrip {
public:
  // Pixel (x, y) of frame f is `pixel(f, x, y)`, an ARGB value (alpha 0: transparent).
  static QImage fromPixels(QSize frame, int count,
                           const std::function<QRgb(int f, int x, int y)>& pixel);
  // Frame f is drawn by `draw(p, f)` on a transparent canvas of its own, so nothing spills
  // into the neighbouring frames.
  static QImage fromPainter(QSize frame, int count,
                            const std::function<void(QPainter& p, int f)>& draw);
};

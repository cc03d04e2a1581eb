#include "tools/artgen/FrameStrip.h"

#include "tools/artgen/Canvas.h"

QImage TFrameStrip::fromPixels(QSize frame, int count,
                               const std::function<QRgb(int f, int x, int y)>& pixel) {
  QImage strip(frame.width() * count, frame.height(), QImage::Format_ARGB32);
  for (int f = 0; f < count; ++f)
    for (int y = 0; y < frame.height(); ++y)
      for (int x = 0; x < frame.width(); ++x)
        strip.setPixel(f * frame.width() + x, y, pixel(f, x, y));
  return strip;
}

QImage TFrameStrip::fromPainter(QSize frame, int count,
                                const std::function<void(QPainter& p, int f)>& draw) {
  QImage strip(frame.width() * count, frame.height(), QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter out(&strip);
  out.setCompositionMode(QPainter::CompositionMode_Source);
  for (int f = 0; f < count; ++f) {
    TCanvas canvas(frame.width(), frame.height());
    draw(canvas.painter(), f);
    out.drawImage(f * frame.width(), 0, canvas.finish());
  }
  return strip;
}

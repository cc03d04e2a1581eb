#include "tools/artgen/Quantiser.h"

#include "tools/artgen/Palette.h"

#include <algorithm>
#include <unordered_map>

namespace {

// How far, in steps of 0..255 per channel, the ordered dither moves a pixel at most: a little
// more than the spacing of neighbouring levels in the palette's dark ramps.
constexpr int kDitherSpread = 20;

// The offset of pixel (x, y) in a 4 x 4 Bayer pattern, -spread/2 .. +spread/2.
int ditherOffset(int x, int y) {
  static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9},
                                       {15, 7, 13, 5}};
  return (kBayer[y & 3][x & 3] * 2 - 15) * kDitherSpread / 32;
}

QRgb shifted(QRgb rgb, int offset) {
  const auto channel = [offset](int v) { return std::clamp(v + offset, 0, 255); };
  return qRgb(channel(qRed(rgb)), channel(qGreen(rgb)), channel(qBlue(rgb)));
}

} // namespace

QImage TQuantiser::toIndexed(const QImage& image, std::optional<QRgb> key, TDither dither) {
  const TPalette& palette = TPalette::shared();
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb opaqueKey = key ? (*key | 0xff000000u) : 0;
  const int keyIndex = key ? palette.nearest(opaqueKey) : -1;
  std::unordered_map<QRgb, uchar> cache;

  QImage indexed(argb.size(), QImage::Format_Indexed8);
  indexed.setColorTable(palette.colorTable());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    uchar* out = indexed.scanLine(y);
    for (int x = 0; x < argb.width(); ++x) {
      if (qAlpha(in[x]) < 128) {
        out[x] = TPalette::kTransparent;
        continue;
      }
      QRgb rgb = in[x] | 0xff000000u;
      if (key && rgb == opaqueKey) {
        out[x] = static_cast<uchar>(keyIndex);
        continue;
      }
      if (dither == TDither::Ordered)
        rgb = shifted(rgb, ditherOffset(x, y));
      auto found = cache.find(rgb);
      if (found == cache.end())
        found = cache.emplace(rgb, static_cast<uchar>(palette.nearest(rgb, keyIndex))).first;
      out[x] = found->second;
    }
  }
  return indexed;
}

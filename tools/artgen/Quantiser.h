#pragma once

#include <QImage>
#include <QRgb>

#include <optional>

// Whether quantising spreads the error of each pixel over a fixed 4 x 4 pattern: smooth for
// wide gradients, but it sprinkles dots over flat areas, so it suits backgrounds only.
enum class TDither { None, Ordered };

// Maps drawn pictures onto the shared palette.
class TQuantiser {
public:
  // `image` as an Indexed8 image on the shared palette: alpha below 128 gives entry 0
  // (transparent), every other pixel the nearest entry among 1..255. With a `key`, pixels of
  // exactly `key` take its entry and no other pixel does, so the key marks the background.
  static QImage toIndexed(const QImage& image, std::optional<QRgb> key = std::nullopt,
                          TDither dither = TDither::None);
};

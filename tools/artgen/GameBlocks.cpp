#include "tools/artgen/GameBlocks.h"

#include "tools/artgen/FrameStrip.h"

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int kLast = TGameBlocks::kCell - 1;
constexpr double kTau = 2 * std::numbers::pi;

enum class TSide { Top, Left, Right, Bottom };

// The edge of the cell nearest to (x, y) and how far in the pixel lies (0 on the edge).
// Ties go to the lit sides, which mitres the corners.
TSide nearestSide(int x, int y, int& depth) {
  depth = std::min({x, y, kLast - x, kLast - y});
  if (y == depth)
    return TSide::Top;
  if (x == depth)
    return TSide::Left;
  if (kLast - x == depth)
    return TSide::Right;
  return TSide::Bottom;
}

// ---- Cubes ------------------------------------------------------------------------------

constexpr int kCubeBevel = 3;

double cubeBevelLevel(TSide side, int depth) {
  static constexpr double kLevels[4][kCubeBevel] = {
      {14, 13, 12}, // top, lit
      {12, 11, 11}, // left
      {7, 7, 8},    // right
      {5, 5, 6},    // bottom, in shadow
  };
  return kLevels[static_cast<int>(side)][depth - 1];
}

// The face, glossy as a lens: a light reflection over its upper part with a curved horizon,
// deeper below it, brightening again towards the bottom edge, and a sparkle in the corner.
double cubeFaceLevel(int x, int y) {
  const double u = (x - 3.5) / 12.0, v = (y - 3.5) / 12.0;
  const double horizon = 0.5 - 0.45 * (u - 0.5) * (u - 0.5);
  double level = v < horizon ? 12.6 - 1.4 * v / horizon
                             : 8.4 + 1.9 * std::pow((v - horizon) / (1 - horizon), 1.6);
  level -= 0.7 * u;
  if (x >= 5 && x <= 6 && y >= 5 && y <= 6)
    level = 15;
  else if ((x == 7 && y == 5) || (x == 5 && y == 7))
    level = 13.6;
  return level;
}

QRgb cubePixel(const TTone& tone, int x, int y) {
  int depth;
  const TSide side = nearestSide(x, y, depth);
  if (depth == 0)
    return tone.rgb(2);
  if (x == 1 && y == 1)
    return tone.rgb(15);
  if (depth <= kCubeBevel)
    return tone.rgb(cubeBevelLevel(side, depth));
  return tone.rgb(cubeFaceLevel(x, y));
}

// ---- Wall pieces ------------------------------------------------------------------------

// The conduit's centre line through the cell, and the distance along it that its first point
// lies from the head of the wall, so that pulses run on from piece to piece.
struct TConduit {
  std::vector<QPointF> path;
  double start = 0;
  bool emitter = false; // a glowing crystal at the first point feeds the conduit
};

TConduit conduit(TGameBlocks::TWallPiece piece) {
  using P = TGameBlocks::TWallPiece;
  switch (piece) {
  case P::Top:
    return {{{10, 6}, {10, 20}}, 6, true};
  case P::Middle:
    return {{{10, 0}, {10, 20}}, 0, false};
  case P::BottomLeft:
    return {{{10, 0}, {10, 10}, {20, 10}}, 0, false};
  case P::BottomRight:
    return {{{10, 0}, {10, 10}, {0, 10}}, 0, false};
  case P::Floor:
    break;
  }
  return {{{0, 10}, {20, 10}}, 0, false};
}

// The point of `c` nearest to `at`: its distance, the distance along the conduit and the
// unit vector from it to `at`.
struct TNearest {
  double distance;
  double along;
  QPointF normal;
};

TNearest nearest(const TConduit& c, QPointF at) {
  TNearest best{1e9, 0, {}};
  double along = c.start;
  for (size_t i = 0; i + 1 < c.path.size(); ++i) {
    const QPointF a = c.path[i], b = c.path[i + 1];
    const QPointF ab = b - a;
    const double length = std::hypot(ab.x(), ab.y());
    const double t = std::clamp(QPointF::dotProduct(at - a, ab) / (length * length), 0.0, 1.0);
    const QPointF q = a + t * ab;
    const QPointF off = at - q;
    const double d = std::hypot(off.x(), off.y());
    if (d < best.distance)
      best = {d, along + t * length, d > 0 ? off / d : QPointF()};
    along += length;
  }
  return best;
}

// A pulse of light, one per cell length, moving two pixels a frame: 0 (dark) .. 1.
double pulse(double along, int frame) {
  const double phase = kTau * (along - 2.0 * frame) / TGameBlocks::kCell;
  return std::pow(0.5 + 0.5 * std::cos(phase), 3);
}

constexpr double kGlassHalfWidth = 2.0;
constexpr double kGrooveHalfWidth = 3.0;
const TTone kMetal = TTone::grey();
const TTone kGlass = TTone::hue(TRamp::Cyan);

// Gunmetal block: dark rim, two-pixel bevel lit from the top left, a brushed body and four
// rivets.
QRgb metalPixel(int x, int y) {
  int depth;
  const TSide side = nearestSide(x, y, depth);
  if (depth == 0)
    return kMetal.rgb(1);
  if (depth <= 2) {
    static constexpr double kLevels[4][2] = {{9, 7.6}, {7.6, 6.6}, {3, 3.4}, {2.4, 3}};
    return kMetal.rgb(kLevels[static_cast<int>(side)][depth - 1]);
  }
  for (const int rx : {4, 14})
    for (const int ry : {4, 14}) {
      if (x == rx && y == ry)
        return kMetal.rgb(10);
      if (x == rx + 1 && y == ry + 1)
        return kMetal.rgb(2);
      if ((x == rx + 1 && y == ry) || (x == rx && y == ry + 1))
        return kMetal.rgb(6.5);
    }
  return kMetal.rgb(5.4 - 0.9 * (y - 3) / 13.0 + ((x + 2 * y) % 7 == 0 ? 0.4 : 0));
}

QRgb wallPixel(const TConduit& c, int frame, int x, int y) {
  const QPointF centre(x + 0.5, y + 0.5);
  if (c.emitter) {
    const QPointF off = centre - c.path.front();
    const double r = std::hypot(off.x(), off.y());
    const double glow = pulse(c.start, frame);
    if (r <= 3.6) {
      if (x == 8 && y == 4)
        return kGlass.rgb(15);
      return kGlass.rgb(5 + 5 * (1 - r / 3.6) + 4 * glow - (off.x() + off.y()) * 0.5);
    }
    if (r <= 4.6)
      return kMetal.rgb(off.x() + off.y() > 0 ? 9 : 1);
  }
  const TNearest n = nearest(c, centre);
  // The channel's far wall faces the light, its near wall lies in shadow.
  const bool litWall = n.normal.x() + n.normal.y() > 0;
  const double glow = pulse(n.along, frame);
  if (n.distance <= kGlassHalfWidth) {
    const double across = n.distance / kGlassHalfWidth;
    double level = 2.6 + 2.4 * (1 - across * across) + glow * (5.5 - 2 * across * across);
    if (!litWall && across > 0.35 && across < 0.85)
      level += 1.5; // the tube's reflection on its lit side
    return kGlass.rgb(std::min(level, 15.0));
  }
  if (n.distance <= kGrooveHalfWidth) {
    if (litWall)
      return glow > 0.45 ? kGlass.rgb(6 + 3 * glow) : kMetal.rgb(9);
    return kMetal.rgb(1);
  }
  return metalPixel(x, y);
}

} // namespace

QImage TGameBlocks::cube(const TTone& tone) {
  return TFrameStrip::fromPixels({kCell, kCell}, 1,
                                 [&](int, int x, int y) { return cubePixel(tone, x, y); });
}

namespace {

// The tones of the brick colours, in the order of the game's colour codes.
TTone brickTone(int colour) {
  static constexpr TRamp kHues[] = {TRamp::Sky, TRamp::Red, TRamp::Sky, TRamp::Green,
                                    TRamp::Blue, TRamp::Purple, TRamp::Yellow};
  return colour == 2 ? TTone::grey() : TTone::hue(kHues[colour]);
}

// A small cube: a dark rim, two-pixel bevels lit from the top left and a face that darkens
// downwards under a sparkle.
QRgb smallCubePixel(const TTone& tone, int x, int y) {
  const int last = TGameBlocks::kSmallCell - 1;
  const int depth = std::min({x, y, last - x, last - y});
  if (depth == 0) return tone.rgb(2);
  if (depth <= 2) {
    if (y == depth) return tone.rgb(15 - depth);
    if (x == depth) return tone.rgb(13 - depth);
    if (last - x == depth) return tone.rgb(7);
    return tone.rgb(5);
  }
  if ((x == 3 || x == 4) && (y == 3 || y == 4)) return tone.rgb(x == 3 && y == 3 ? 15 : 13.5);
  return tone.rgb(12 - 3.4 * (y - 3) / (last - 6) - 0.3 * (x - 3) / (last - 6));
}

// The outline: a bright outer rim, a deeper inner one and brighter corner ticks.
QRgb ghostPixel(const TTone& tone, int x, int y) {
  const int last = TGameBlocks::kCell - 1;
  const int depth = std::min({x, y, last - x, last - y});
  const bool corner = std::min(x, last - x) < 5 && std::min(y, last - y) < 5;
  if (depth == 0) return tone.rgb(corner ? 15 : 12);
  if (depth == 1) return tone.rgb(corner ? 11 : 7);
  if (depth == 2 && corner) return tone.rgb(5);
  return qRgba(0, 0, 0, 0);
}

} // namespace

QImage TGameBlocks::smallCubes() {
  return TFrameStrip::fromPixels({kSmallCell, kSmallCell}, kColours, [](int f, int x, int y) {
    return smallCubePixel(brickTone(f), x, y);
  });
}

QImage TGameBlocks::ghosts() {
  return TFrameStrip::fromPixels({kCell, kCell}, kColours, [](int f, int x, int y) {
    return ghostPixel(brickTone(f), x, y);
  });
}

QImage TGameBlocks::wall(TWallPiece piece) {
  const TConduit c = conduit(piece);
  return TFrameStrip::fromPixels({kCell, kCell}, kWallFrames,
                                 [&](int f, int x, int y) { return wallPixel(c, f, x, y); });
}

#include "tools/artgen/GameEffects.h"

#include "tools/artgen/FrameStrip.h"
#include "tools/artgen/Noise.h"
#include "tools/artgen/Tone.h"

#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTau = 2 * std::numbers::pi;
constexpr QRgb kClear = 0;

// ---- Explosion --------------------------------------------------------------------------

const QPointF kBlastCentre(18, 31);

// The colours of cooling fire, hottest first, down to the brown of dying embers.
QRgb fireColour(double heat) {
  static const std::array<QRgb, 9> kFire{
      TTone::grey().rgb(15),
      TTone::hue(TRamp::Yellow).rgb(14),
      TTone::hue(TRamp::Yellow).rgb(11),
      TTone::hue(TRamp::Orange).rgb(11),
      TTone::hue(TRamp::Orange).rgb(9),
      TTone::hue(TRamp::Red).rgb(9),
      TTone::hue(TRamp::Red).rgb(6),
      TTone::hue(TRamp::Brown).rgb(4),
      TTone::hue(TRamp::Brown).rgb(2),
  };
  const int i = std::clamp(static_cast<int>((1 - heat) * kFire.size()), 0,
                           static_cast<int>(kFire.size()) - 1);
  return kFire[i];
}

// Smoke: dark and thin at 0, a lighter grey where it is dense (1).
QRgb smokeColour(double density) {
  return TTone::grey().rgb(1.5 + 4.5 * std::clamp(density, 0.0, 1.0));
}

// A spark flying out from the blast, slowing and falling until it burns out.
struct TSpark {
  double angle;
  double speed;
  double life; // the time it burns out
};

// Where spark `s` is at time t (0..1) of the blast.
QPointF sparkAt(const TSpark& s, double t) {
  const double travel = s.speed * (1 - std::pow(1 - t, 2.2));
  return kBlastCentre + QPointF(std::cos(s.angle), std::sin(s.angle)) * travel +
         QPointF(0, 9 * t * t);
}

const std::array<TSpark, 14>& sparks() {
  static const std::array<TSpark, 14> all = [] {
    std::array<TSpark, 14> s{};
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = {kTau * (i + 0.6 * TNoise::hashed(static_cast<int>(i), 1, 3)) / s.size(),
              13 + 9 * TNoise::hashed(static_cast<int>(i), 2, 3),
              0.6 + 0.45 * TNoise::hashed(static_cast<int>(i), 4, 3)};
    return s;
  }();
  return all;
}

// One pixel of the blast, and whether it is flame (sparks fly behind flame, over smoke).
struct TBlastPixel {
  QRgb colour;
  bool flame;
};

// The fireball: a puffy ball of flame whose heat falls off outwards, growing quickly,
// cooling from the outside in, rising, and leaving smoke that breaks into wisps.
TBlastPixel blastPixel(int frame, int x, int y) {
  const double t = frame / double(TGameEffects::kExplosionFrames - 1);
  const QPointF at(x + 0.5, y + 0.5);
  const QPointF centre = kBlastCentre - QPointF(0, 14 * t * t);
  const double radius = frame == 0 ? 4.5 : 6 + 11 * std::sqrt(std::min(t * 1.8, 1.0));
  const QPointF off = at - centre;
  const double r = std::hypot(off.x(), off.y() * 0.92) / radius;
  const double churn = TNoise::smooth(at.x() * 0.28, (at.y() + 20 * t) * 0.28, frame / 3);
  const double shape = 1 - r + 0.55 * (churn - 0.5) * std::min(1.0, t * 3);
  // Rays of the first flash.
  if (frame <= 1) {
    const double angle = std::atan2(off.y(), off.x());
    const double ray = std::pow(std::abs(std::cos(angle * 4)), 12);
    const double reach = (frame == 0 ? 9 : 14) * ray;
    const double d = std::hypot(off.x(), off.y());
    if (d > radius * 0.9 && d < reach)
      return {TTone::hue(TRamp::Yellow).rgb(frame == 0 ? 14 : 12), true};
  }
  const double cool = std::max(0.0, t - 0.1) * 2.1;
  const double heat = shape * 1.6 - cool + (frame <= 1 ? 0.5 : 0);
  if (shape > 0 && heat > 0.08)
    return {fireColour(std::min(heat, 1.0)), true};
  if (t > 0.2) {
    const double wisp = TNoise::smooth(at.x() * 0.5, (at.y() + 30 * t) * 0.5, 40 + frame);
    const double density = shape + 1.1 * (wisp - 0.5) * t - 0.8 * (t - 0.2);
    if (density > 0)
      return {smokeColour(0.15 + density * 2 - 0.35 * off.y() / radius - 0.3 * t), false};
  }
  return {kClear, false};
}

// The blast, with sparks streaking out of it from frame 3 on: short trails, brightest at the
// head, dimming as they fly.
QRgb explosionPixel(int frame, int x, int y) {
  const TBlastPixel blast = blastPixel(frame, x, y);
  if (blast.flame || frame < 3)
    return blast.colour;
  const double t = frame / double(TGameEffects::kExplosionFrames - 1);
  const QPointF at(x + 0.5, y + 0.5);
  for (const TSpark& s : sparks()) {
    if (t > s.life)
      continue;
    const QPointF head = sparkAt(s, t);
    const QPointF tail = sparkAt(s, std::max(0.0, t - 0.08));
    const QPointF dir = head - tail;
    const double len2 = QPointF::dotProduct(dir, dir);
    const double u =
        len2 > 0 ? std::clamp(QPointF::dotProduct(at - tail, dir) / len2, 0.0, 1.0) : 1;
    const QPointF near = tail + u * dir - at;
    if (std::hypot(near.x(), near.y()) < 0.62) {
      const double fade = t * 8 + (1 - u) * 4;
      return u > 0.7 ? TTone::hue(TRamp::Yellow).rgb(15 - fade * 0.6)
                     : TTone::hue(TRamp::Orange).rgb(11 - fade * 0.5);
    }
  }
  return blast.colour;
}

// ---- Bubbles ----------------------------------------------------------------------------

constexpr std::array<int, TGameEffects::kBubbleFrames> kBubbleDiameters{4, 7, 11, 14, 18};

// A soap-film rim, brighter towards the light; inside it a faint band of tint, lighter as an
// arc in the upper left and again low on the right; a shine in the upper left. The middle
// stays clear.
QRgb bubblePixel(int frame, int x, int y) {
  const int diameter = kBubbleDiameters[frame];
  const double radius = diameter / 2.0;
  const double c = diameter % 2 ? 10.5 : 10.0;
  const double dx = x + 0.5 - c, dy = y + 0.5 - c;
  const double d = std::hypot(dx, dy);
  if (d > radius)
    return kClear;
  const TTone sky = TTone::hue(TRamp::Sky);
  const double toLight = -(dx + dy) / (d > 0 ? d * std::numbers::sqrt2 : 1);
  if (d > radius - 1.05)
    return sky.rgb(9.5 + 3.5 * toLight);
  const QPointF shine(c - radius * 0.42, c - radius * 0.42);
  const double s = std::hypot(x + 0.5 - shine.x(), y + 0.5 - shine.y());
  if (s < std::max(0.8, radius * 0.17))
    return TTone::grey().rgb(15);
  if (s < std::max(1.2, radius * 0.3))
    return sky.rgb(13);
  if (diameter >= 7 && d > radius - 2.2) {
    if (toLight > 0.8)
      return sky.rgb(9);
    if (toLight < -0.85 && diameter >= 11)
      return sky.rgb(7);
    return TTone::hue(TRamp::Navy).rgb(d > radius - 1.6 ? 8 : 7);
  }
  return kClear;
}

// ---- Menu bar ---------------------------------------------------------------------------

// A glass capsule: a sky-blue rim, a glossy upper half fading towards the middle, a deep
// middle and light welling up from the bottom; rim and body glow brighter and dimmer as the
// frames go round, the middle of the bar most.
QRgb menuBarPixel(int frame, int x, int y) {
  constexpr double radius = TGameEffects::kMenuBarHeight / 2.0;
  constexpr double middle = TGameEffects::kMenuBarWidth / 2.0;
  const double glow = 0.5 - 0.5 * std::cos(kTau * frame / TGameEffects::kMenuBarFrames);
  const double dx = std::max(0.0, std::abs(x + 0.5 - middle) - (middle - radius));
  const double dy = y + 0.5 - radius;
  const double d = std::hypot(dx, dy);
  if (d > radius)
    return kClear;
  if (d > radius - 1.1)
    return TTone::hue(TRamp::Sky).rgb(7.5 + 4 * glow + (dy < 0 ? 1.5 : 0));
  const double v = dy / radius;
  const double centre = 1 - std::abs(x + 0.5 - middle) / middle;
  double level = v < -0.2 ? 8 + 4.5 * (-v - 0.2) / 0.8 : 5 + 3.2 * std::pow((v + 0.2) / 1.2, 2);
  level += 2 * glow * (0.75 + 0.25 * centre);
  return TTone::hue(TRamp::Blue).rgb(level);
}

} // namespace

QImage TGameEffects::explosion() {
  return TFrameStrip::fromPixels({kExplosionWidth, kExplosionHeight}, kExplosionFrames,
                                 explosionPixel);
}

QImage TGameEffects::bubbles() {
  return TFrameStrip::fromPixels({kBubbleSize, kBubbleSize}, kBubbleFrames, bubblePixel);
}

QImage TGameEffects::menuBar() {
  return TFrameStrip::fromPixels({kMenuBarWidth, kMenuBarHeight}, kMenuBarFrames, menuBarPixel);
}

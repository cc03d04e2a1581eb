#include "tools/artgen/GameGlyphs.h"

#include "tools/artgen/FrameStrip.h"
#include "tools/artgen/PsfFont.h"
#include "tools/artgen/Tone.h"

#include <QPolygonF>
#include <QTransform>

#include <array>
#include <stdexcept>

namespace {

using TRows = std::array<QRgb, TGameGlyphs::kGlyph>;

// The colour of each glyph row, top to bottom; row 7 holds only descenders.
TRows rowColours(TGameGlyphs::TGlyphSet set) {
  const auto rows = [](const TTone& tone, std::array<double, TGameGlyphs::kGlyph> levels) {
    TRows colours{};
    for (int i = 0; i < TGameGlyphs::kGlyph; ++i)
      colours[i] = tone.rgb(levels[i]);
    return colours;
  };
  switch (set) {
  case TGameGlyphs::Silver:
    return rows(TTone::grey(), {15, 15, 14, 13, 12, 11, 10, 9});
  case TGameGlyphs::Gold: {
    TRows gold = rows(TTone::hue(TRamp::Yellow), {15, 13, 12, 11, 10, 9, 9, 9});
    gold[6] = gold[7] = TTone::hue(TRamp::Orange).rgb(11);
    return gold;
  }
  case TGameGlyphs::Green:
    return rows(TTone::hue(TRamp::Green), {15, 13, 12, 11, 10, 9, 8, 7});
  case TGameGlyphs::Cyan:
    return rows(TTone::hue(TRamp::Sky), {15, 14, 13, 12, 11, 10, 9, 8});
  default:
    return rows(TTone::hue(TRamp::Red), {14, 13, 12, 11, 10, 10, 9, 8});
  }
}

const QRgb kShadow = TTone::hue(TRamp::Navy).rgb(1);

// Draws glyph `code` of `psf` with its top-left at (left, top) of `image`, its shadow one
// pixel down and right where that stays inside the cell.
void drawGlyph(QImage& image, const TPsfFont& psf, int code, int left, int top,
               const TRows& colours) {
  for (int y = 0; y < TGameGlyphs::kGlyph; ++y)
    for (int x = 0; x < TGameGlyphs::kGlyph; ++x) {
      if (psf.pixel(code, x, y))
        image.setPixel(left + x, top + y, colours[y]);
      else if (x > 0 && y > 0 && psf.pixel(code, x - 1, y - 1))
        image.setPixel(left + x, top + y, kShadow);
    }
}

QImage transparentImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

// ---- LED digits -------------------------------------------------------------------------

// Seven segments: a top, b top right, c bottom right, d bottom, e bottom left, f top left,
// g middle; bit n of a digit's mask lights segment n.
constexpr std::array<int, 10> kDigitSegments{0x3f, 0x06, 0x5b, 0x4f, 0x66,
                                             0x6d, 0x7d, 0x07, 0x7f, 0x6f};

// A segment from `a` to `b`, 2.8 px thick with pointed ends, leaning like an italic about
// the digit's middle.
QPolygonF segment(QPointF a, QPointF b) {
  constexpr double half = 1.4, gap = 0.6;
  const QPointF dir = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
  const QPointF side(-dir.y(), dir.x());
  const QPointF s = a + dir * (half + gap), e = b - dir * (half + gap);
  const QPolygonF upright({s - dir * half, s + side * half, e + side * half, e + dir * half,
                           e - side * half, s - side * half});
  return QTransform(1, 0, -0.09, 1, 1.08 + 0.3, 0).map(upright);
}

std::array<QPolygonF, 7> segments() {
  const double l = 3.5, r = 11.5, top = 2.5, mid = 12, bottom = 21.5;
  return {segment({l, top}, {r, top}),    segment({r, top}, {r, mid}),
          segment({r, mid}, {r, bottom}), segment({l, bottom}, {r, bottom}),
          segment({l, mid}, {l, bottom}), segment({l, top}, {l, mid}),
          segment({l, mid}, {r, mid})};
}

// Unlit segments show as a faint dark red; lit ones glow red with a hot orange core.
void digitFrame(QPainter& p, int digit) {
  const TTone red = TTone::hue(TRamp::Red);
  const std::array<QPolygonF, 7> all = segments();
  const auto lit = [&](int s) { return (kDigitSegments[digit] >> s & 1) != 0; };
  // The dark segments and the glow round the lit ones first, the lit ones over them.
  for (int s = 0; s < 7; ++s) {
    p.setPen(lit(s) ? QPen(red.at(4), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                    : QPen(Qt::NoPen));
    p.setBrush(lit(s) ? QBrush(Qt::NoBrush) : QBrush(red.at(1)));
    p.drawPolygon(all[s]);
  }
  for (int s = 0; s < 7; ++s)
    if (lit(s)) {
      const QPolygonF& g = all[s];
      p.setPen(Qt::NoPen);
      p.setBrush(red.at(10));
      p.drawPolygon(g);
      // The core runs from the middle of one end of the segment to the other's.
      p.setPen(QPen(TTone::hue(TRamp::Orange).at(13), 1));
      p.drawLine((g[1] + g[5]) / 2, (g[2] + g[4]) / 2);
    }
}

} // namespace

QImage TGameGlyphs::font(const TPsfFont& psf) {
  if (psf.glyphCount() < kFirstCode + kCodes)
    throw std::runtime_error("the console font holds fewer than 128 glyphs");
  const int rowsPerSet = kCodes / kGlyphsPerRow;
  QImage image = transparentImage(kGlyphsPerRow * kGlyph, kSets * rowsPerSet * kGlyph);
  for (int set = 0; set < kSets; ++set) {
    const TRows colours = rowColours(static_cast<TGlyphSet>(set));
    for (int i = 0; i < kCodes; ++i) {
      const int n = set * kCodes + i;
      drawGlyph(image, psf, kFirstCode + i, n % kGlyphsPerRow * kGlyph, n / kGlyphsPerRow * kGlyph,
                colours);
    }
  }
  return image;
}

QImage TGameGlyphs::text(const TPsfFont& psf, const QString& text, TGlyphSet set) {
  QImage image = transparentImage(static_cast<int>(text.size()) * kGlyph, kGlyph);
  const TRows colours = rowColours(set);
  for (int i = 0; i < text.size(); ++i)
    drawGlyph(image, psf, text[i].toLatin1(), i * kGlyph, 0, colours);
  return image;
}

QImage TGameGlyphs::digits() {
  return TFrameStrip::fromPainter({kDigitWidth, kDigitHeight}, 10, digitFrame);
}

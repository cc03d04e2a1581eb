#include "tools/artgen/GamePanels.h"

#include "tools/artgen/Canvas.h"
#include "tools/artgen/FrameStrip.h"
#include "tools/artgen/GameGlyphs.h"
#include "tools/artgen/Noise.h"
#include "tools/artgen/Shapes.h"
#include "tools/artgen/Tone.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

const TTone kSteel = TTone::grey();
const TTone kGlass = TTone::hue(TRamp::Navy);
const TTone kConduit = TTone::hue(TRamp::Cyan);

// One-pixel lines round `r`: `topLeft` along the top and left, `bottomRight` along the rest.
void frameLines(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
  p.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
  p.fillRect(r.left() + 1, r.bottom(), r.width() - 1, 1, bottomRight);
  p.fillRect(r.right(), r.top() + 1, 1, r.height() - 1, bottomRight);
}

// Brushed gunmetal: fine horizontal streaks over a body darkening towards the bottom.
void brushed(QPainter& p, const QRect& r) {
  QImage metal(r.size(), QImage::Format_ARGB32);
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x) {
      const int gy = r.top() + y, gx = r.left() + x;
      const double streak = TNoise::smooth(gx * 0.06, gy * 1.3, 11) - 0.5;
      const double v = 92 - 20.0 * y / std::max(1, r.height() - 1) + 12 * streak;
      const int g = std::clamp(static_cast<int>(std::lround(v)), 20, 200);
      metal.setPixel(x, y, qRgb(g, g, g));
    }
  p.drawImage(r.topLeft(), metal);
}

// A raised plate: dark rim, a two-pixel bevel lit from the top left, a brushed body.
void plate(QPainter& p, const QRect& r) {
  brushed(p, r.adjusted(3, 3, -3, -3));
  frameLines(p, r, kSteel.at(1), kSteel.at(1));
  frameLines(p, r.adjusted(1, 1, -1, -1), kSteel.at(10), kSteel.at(2.5));
  frameLines(p, r.adjusted(2, 2, -2, -2), kSteel.at(7.5), kSteel.at(3.5));
}

// A window sunk into the plate: a shadowed top-left lip, a lit bottom-right lip and dark
// glass shading from `topLevel` to `bottomLevel` of the navy ramp.
void recess(QPainter& p, const QRect& r, double topLevel, double bottomLevel) {
  frameLines(p, r, kSteel.at(1.5), kSteel.at(9));
  frameLines(p, r.adjusted(1, 1, -1, -1), kSteel.at(0), kSteel.at(6));
  const QRect glass = r.adjusted(2, 2, -2, -2);
  QLinearGradient shade(glass.topLeft(), glass.bottomLeft());
  shade.setColorAt(0, kGlass.at(topLevel));
  shade.setColorAt(1, kGlass.at(bottomLevel));
  p.fillRect(glass, shade);
}

// A flat, calm window for text: one colour of glass under a one-pixel inner shadow.
void calmWindow(QPainter& p, const QRect& r) {
  recess(p, r, 3, 3);
  const QRect glass = r.adjusted(2, 2, -2, -2);
  p.fillRect(glass.left(), glass.top(), glass.width(), 1, kGlass.at(1));
  p.fillRect(glass.left(), glass.top(), 1, glass.height(), kGlass.at(1));
}

// A glass inlay of the wall's conduit, two pixels high, lit along its top.
void inlay(QPainter& p, int left, int right, int y) {
  p.fillRect(left, y, right - left + 1, 1, kConduit.at(10));
  p.fillRect(left, y + 1, right - left + 1, 1, kConduit.at(6));
}

// A vertical steel rail six pixels wide carrying a glass inlay: the console's right
// border: rims, a lit and a shaded edge, the inlay between them.
void rail(QPainter& p, int left, int top, int height) {
  p.fillRect(left, top, 1, height, kSteel.at(1));
  p.fillRect(left + 5, top, 1, height, kSteel.at(1));
  p.fillRect(left + 1, top, 1, height, kSteel.at(9));
  p.fillRect(left + 4, top, 1, height, kSteel.at(3));
  p.fillRect(left + 2, top, 1, height, kConduit.at(10));
  p.fillRect(left + 3, top, 1, height, kConduit.at(6));
}

// A round screw head, lit from the top left, with a slanted slot.
void screw(QPainter& p, QPointF centre) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(kSteel.at(1));
  p.drawEllipse(centre, 2.6, 2.6);
  QRadialGradient head(centre - QPointF(1, 1), 3);
  head.setColorAt(0, kSteel.at(13));
  head.setColorAt(1, kSteel.at(5));
  p.setBrush(head);
  p.drawEllipse(centre, 1.9, 1.9);
  p.setPen(QPen(kSteel.at(2), 1));
  p.drawLine(centre + QPointF(-1.2, 1.2), centre + QPointF(1.2, -1.2));
  p.restore();
}

void screwsInCorners(QPainter& p, const QRect& r, int inset) {
  for (const QPointF c :
       {QPointF(r.left() + inset, r.top() + inset), QPointF(r.right() + 1 - inset, r.top() + inset),
        QPointF(r.left() + inset, r.bottom() + 1 - inset),
        QPointF(r.right() + 1 - inset, r.bottom() + 1 - inset)})
    screw(p, c);
}

QFont titleFont(int pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(true);
  return font;
}

// Each letter of `text` as its own path, the whole line centred on `centre`, with `spacing`
// extra pixels between letters.
std::vector<QPainterPath> letterPaths(const QString& text, const QFont& font, QPointF centre,
                                      qreal spacing) {
  const QFontMetricsF metrics(font);
  std::vector<QPainterPath> letters;
  QRectF box;
  qreal x = 0;
  for (const QChar c : text) {
    QPainterPath letter;
    letter.addText(x, 0, font, c);
    box = box.united(letter.boundingRect());
    letters.push_back(letter);
    x += metrics.horizontalAdvance(c) + spacing;
  }
  for (QPainterPath& letter : letters)
    letter.translate(centre - box.center());
  return letters;
}

// Chrome letters in the cube colours: pale top, a sharp horizon, deep below it, dark outline
// and a soft halo.
void chromeLetters(QPainter& p, const std::vector<QPainterPath>& letters,
                   const std::vector<TRamp>& colours) {
  const QPen halo(TTone::hue(TRamp::Cyan).at(12, 50), 6, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin);
  const QPen outline(kGlass.at(0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  for (const QPainterPath& letter : letters)
    p.strokePath(letter, halo);
  for (size_t i = 0; i < letters.size(); ++i) {
    const TTone tone = TTone::hue(colours[i % colours.size()]);
    const QRectF box = letters[i].boundingRect();
    QLinearGradient chrome(box.topLeft(), box.bottomLeft());
    chrome.setColorAt(0, tone.at(15));
    chrome.setColorAt(0.46, tone.at(12));
    chrome.setColorAt(0.54, tone.at(8));
    chrome.setColorAt(1, tone.at(12));
    p.strokePath(letters[i], outline);
    p.fillPath(letters[i], chrome);
  }
}

// A small piece of the game, its cubes 7 px wide at the given cells from `at`.
void miniPiece(QPainter& p, QPointF at, std::initializer_list<QPoint> cells, TRamp colour) {
  for (const QPoint c : cells)
    TShapes::cube(p, QRectF(at + QPointF(c.x() * 7, c.y() * 7), QSizeF(7, 7)), colour);
}

constexpr int kLedWidth = 96, kLedHeight = 24, kLedBezel = 2;

} // namespace

QImage TGamePanels::header() {
  TCanvas canvas(kHeaderWidth, kHeaderHeight);
  QPainter& p = canvas.painter();
  const QRect all(0, 0, kHeaderWidth, kHeaderHeight);
  plate(p, all);
  const QRect name(7, 6, kHeaderWidth - 14, 31);
  recess(p, name, 1, 4);
  // The inlay runs out over the alcove and turns down into the border's rail.
  rail(p, kHeaderWidth - kBorderWidth, 40, kHeaderHeight - 40);
  inlay(p, 9, kHeaderWidth - 3, 40);
  p.fillRect(kHeaderWidth - 4, 40, 1, kHeaderHeight - 40, kConduit.at(10)); // its lit edge
  miniPiece(p, QPointF(16, 14), {{0, 0}, {1, 0}, {2, 0}, {1, 1}}, TRamp::Purple);
  miniPiece(p, QPointF(kHeaderWidth - 37, 14), {{2, 0}, {0, 1}, {1, 1}, {2, 1}}, TRamp::Sky);
  chromeLetters(p, letterPaths(QStringLiteral("VORKA"), titleFont(26), QPointF(120, 21.5), 3),
                {TRamp::Red, TRamp::Orange, TRamp::Yellow, TRamp::Green, TRamp::Sky});
  return canvas.finish();
}

QImage TGamePanels::score(const TPsfFont& psf) {
  TCanvas canvas(kScoreWidth, kScoreHeight);
  QPainter& p = canvas.painter();
  plate(p, QRect(0, 0, kScoreWidth, kScoreMenuTop));
  const QString labels[] = {QStringLiteral("SCORE"), QStringLiteral("LEVEL"),
                            QStringLiteral("BOMB%")};
  for (size_t i = 0; i < kLedWindows.size(); ++i) {
    const QPoint at = kLedWindows[i];
    recess(p,
           QRect(at - QPoint(kLedBezel, kLedBezel),
                 QSize(kLedWidth + 2 * kLedBezel, kLedHeight + 2 * kLedBezel)),
           1.6, 0.6);
    p.drawImage(5, at.y() + 8, TGameGlyphs::text(psf, labels[i], TGameGlyphs::Gold));
    if (i + 1 < kLedWindows.size())
      inlay(p, 5, kScoreWidth - 6, at.y() + kLedHeight + 5);
  }
  return canvas.finish();
}

QImage TGamePanels::border() {
  TCanvas canvas(kBorderWidth, kBorderHeight);
  QPainter& p = canvas.painter();
  const int bottom = kBorderHeight - 1;
  rail(p, 0, 0, kBorderHeight);
  // A bevelled cap with a glowing bead at the foot.
  p.fillRect(0, bottom - 5, 6, 6, kSteel.at(1));
  p.fillRect(1, bottom - 4, 4, 4, kSteel.at(5));
  p.fillRect(1, bottom - 4, 4, 1, kSteel.at(9));
  p.fillRect(2, bottom - 3, 2, 2, kConduit.at(12));
  p.fillRect(2, bottom - 3, 1, 1, kConduit.at(15));
  return canvas.finish();
}

QImage TGamePanels::bottom() {
  TCanvas canvas(kBottomWidth, kBottomHeight);
  QPainter& p = canvas.painter();
  const QRect panel(0, kBottomMenuEnd, kBottomWidth, kBottomHeight - kBottomMenuEnd);
  plate(p, panel);
  inlay(p, 9, kBottomWidth - 10, panel.top() + 4);
  calmWindow(p, QRect(7, panel.top() + 9, kBottomWidth - 14, panel.height() - 18));
  screwsInCorners(p, panel, 4);
  return canvas.finish();
}

QImage TGamePanels::next(const TPsfFont& psf) {
  TCanvas canvas(kNextWidth, kNextHeight);
  QPainter& p = canvas.painter();
  const QRect all(0, 0, kNextWidth, kNextHeight);
  plate(p, all);
  const QImage label = TGameGlyphs::text(psf, QStringLiteral("NEXT"), TGameGlyphs::Gold);
  p.drawImage((kNextWidth - label.width()) / 2, 7, label);
  inlay(p, 5, kNextWidth - 6, 18);
  recess(p, kNextGlass.adjusted(-2, -2, 2, 2), 1, 3);
  return canvas.finish();
}

QImage TGamePanels::gameOver() {
  TCanvas canvas(kGameOverWidth, kGameOverHeight);
  QPainter& p = canvas.painter();
  const QRect all(0, 0, kGameOverWidth, kGameOverHeight);
  plate(p, all);
  screwsInCorners(p, all, 4);
  recess(p, QRect(9, 6, kGameOverWidth - 18, 29), 1, 4);
  inlay(p, 9, kGameOverWidth - 10, 37);
  calmWindow(p, QRect(7, 40, kGameOverWidth - 14, kGameOverHeight - 47));
  chromeLetters(p, letterPaths(QStringLiteral("GAME OVER"), titleFont(19), QPointF(97.5, 20.5), 1),
                {TRamp::Red});
  return canvas.finish();
}

QImage TGamePanels::pause() {
  return TFrameStrip::fromPainter({kPauseWidth, kPauseHeight}, 2, [](QPainter& p, int f) {
    const bool lit = f == 0;
    plate(p, QRect(0, 0, kPauseWidth, kPauseHeight));
    recess(p, QRect(4, 3, kPauseWidth - 8, kPauseHeight - 6), lit ? 2 : 1, lit ? 4 : 2);
    const TTone orange = TTone::hue(TRamp::Orange);
    for (const QPainterPath& letter :
         letterPaths(QStringLiteral("PAUSE"), titleFont(14), QPointF(55.5, 11.5), 4)) {
      if (lit) {
        p.strokePath(letter,
                     QPen(orange.at(8, 150), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.strokePath(letter, QPen(orange.at(11), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(letter, TTone::hue(TRamp::Yellow).at(14));
      } else {
        p.strokePath(letter, QPen(orange.at(4), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(letter, orange.at(2));
      }
    }
  });
}

#include "tools/artgen/UiArt.h"

#include "tools/artgen/BitmapWriter.h"
#include "tools/artgen/Canvas.h"
#include "tools/artgen/Palette.h"
#include "tools/artgen/Shapes.h"

#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

QFont dejaVu(int pixelSize, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// `text` as a path whose bounding box is centred on `centre`.
QPainterPath centredText(const QString& text, const QFont& font, QPointF centre) {
  QPainterPath path;
  path.addText(0, 0, font, text);
  return path.translated(centre - path.boundingRect().center());
}

// A vertical gradient through levels of one ramp, evenly spaced from top to bottom of `rect`.
QLinearGradient rampGradient(const QRectF& rect, TRamp ramp, std::initializer_list<int> levels) {
  QLinearGradient g(rect.topLeft(), rect.bottomLeft());
  const qreal last = static_cast<qreal>(levels.size() - 1);
  int i = 0;
  for (int level : levels)
    g.setColorAt(i++ / last, TShapes::ramp(ramp, level));
  return g;
}

// ---- The main picture -------------------------------------------------------------------

constexpr int kMainWidth = 120;
constexpr int kMainHeight = 260;
constexpr int kCell = 12; // the game's ten columns fit the picture's width

// Deep navy at the top warming to violet at the bottom, lit behind the title.
void mainBackground(QPainter& p) {
  QLinearGradient sky(0, 0, 0, kMainHeight);
  sky.setColorAt(0, TShapes::ramp(TRamp::Navy, 2));
  sky.setColorAt(0.55, TShapes::ramp(TRamp::Navy, 6));
  sky.setColorAt(1, TShapes::ramp(TRamp::Violet, 3));
  p.fillRect(0, 0, kMainWidth, kMainHeight, sky);
  QRadialGradient glow(QPointF(60, 100), 80);
  glow.setColorAt(0, TShapes::ramp(TRamp::Purple, 6, 150));
  glow.setColorAt(1, TShapes::ramp(TRamp::Purple, 6, 0));
  p.fillRect(0, 0, kMainWidth, kMainHeight, glow);
}

// The columns of the game field, faint, growing clearer towards the bottom.
void mainGrid(QPainter& p) {
  QLinearGradient fade(0, 0, 0, kMainHeight);
  fade.setColorAt(0, TShapes::ramp(TRamp::Navy, 10, 0));
  fade.setColorAt(1, TShapes::ramp(TRamp::Navy, 12, 90));
  p.setPen(QPen(QBrush(fade), 1));
  for (int x = kCell; x < kMainWidth; x += kCell)
    p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, kMainHeight));
}

// A glowing sound wave just above the stack of cubes.
void mainWave(QPainter& p) {
  QPainterPath wave;
  for (int x = 0; x <= kMainWidth; ++x) {
    const double envelope = 0.55 + 0.45 * std::sin(x * 0.045 + 0.6);
    const double y = 206 + envelope * (6 * std::sin(x * 0.32) + 2.5 * std::sin(x * 0.83 + 1));
    x == 0 ? wave.moveTo(x, y) : wave.lineTo(x, y);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(TShapes::ramp(TRamp::Cyan, 9, 70), 5, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(wave);
  p.setPen(QPen(TShapes::ramp(TRamp::Cyan, 12), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(wave);
}

// The colour of each letter of a row of cubes; '.' leaves the cell empty.
TRamp cubeColor(char c) {
  static const std::map<char, TRamp> colors{
      {'r', TRamp::Red},   {'o', TRamp::Orange}, {'y', TRamp::Yellow}, {'g', TRamp::Green},
      {'c', TRamp::Cyan},  {'b', TRamp::Blue},   {'p', TRamp::Purple}, {'m', TRamp::Magenta},
  };
  return colors.at(c);
}

// Rows of cubes on the game's grid, the first row's top at `top`.
void cubeRows(QPainter& p, qreal left, qreal top, const std::vector<const char*>& rows) {
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; rows[r][c]; ++c)
      if (rows[r][c] != '.')
        TShapes::cube(p, QRectF(left + c * kCell, top + r * kCell, kCell, kCell),
                      cubeColor(rows[r][c]));
}

// A falling piece, with fading streaks above it that show its fall.
void fallingPiece(QPainter& p, qreal left, qreal top, const std::vector<const char*>& rows,
                  TRamp color) {
  for (int c = 0; rows[0][c]; ++c) {
    if (rows[0][c] == '.')
      continue;
    QLinearGradient streak(0, top - 34, 0, top);
    streak.setColorAt(0, TShapes::ramp(color, 10, 0));
    streak.setColorAt(1, TShapes::ramp(color, 10, 110));
    p.fillRect(QRectF(left + c * kCell + 2, top - 34, kCell - 4, 34), streak);
  }
  cubeRows(p, left, top, rows);
}

// Three pieces falling beside the title onto a ragged stack at the bottom.
void mainCubes(QPainter& p) {
  fallingPiece(p, 7 * kCell, 30, {"ppp", ".p."}, TRamp::Purple);
  fallingPiece(p, 0, 92, {"g.", "gg", ".g"}, TRamp::Green);
  fallingPiece(p, 8 * kCell, 130, {"o.", "o.", "oo"}, TRamp::Orange);
  cubeRows(p, 0, kMainHeight - 3 * kCell,
           {"c.......mm", "cr..bb.gmm", "rryb.bggoo"});
}

// A pale note in a soft halo of its own colour.
void glowingNote(QPainter& p, const QPainterPath& note, TRamp color) {
  p.strokePath(note, QPen(TShapes::ramp(color, 10, 70), 4, Qt::SolidLine, Qt::RoundCap,
                          Qt::RoundJoin));
  p.fillPath(note, TShapes::ramp(color, 13));
}

void mainNotes(QPainter& p) {
  glowingNote(p, TShapes::note(QPointF(12, 40), 22), TRamp::Sky);
  glowingNote(p, TShapes::beamedNotes(QPointF(90, 112), 19), TRamp::Yellow);
  glowingNote(p, TShapes::note(QPointF(16, 172), 18), TRamp::Magenta);
}

// "VORKA" stacked down the middle: chrome letters, one colour of the game's cubes each, with
// a dark outline and a soft glow.
void mainTitle(QPainter& p) {
  const QFont font = dejaVu(44, true);
  const QString letters = QStringLiteral("VORKA");
  const TRamp colors[] = {TRamp::Red, TRamp::Orange, TRamp::Yellow, TRamp::Green, TRamp::Sky};
  for (int i = 0; i < letters.size(); ++i) {
    const QPainterPath letter = centredText(letters[i], font, QPointF(60, 27 + i * 38));
    for (qreal width : {9.0, 6.0})
      p.strokePath(letter, QPen(TShapes::ramp(TRamp::Cyan, 12, 45), width, Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
    p.strokePath(letter, QPen(TShapes::ramp(TRamp::Navy, 1), 3, Qt::SolidLine, Qt::RoundCap,
                              Qt::RoundJoin));
    QLinearGradient chrome(letter.boundingRect().topLeft(), letter.boundingRect().bottomLeft());
    chrome.setColorAt(0, TShapes::ramp(colors[i], 15));
    chrome.setColorAt(0.48, TShapes::ramp(colors[i], 11));
    chrome.setColorAt(0.52, TShapes::ramp(colors[i], 8));
    chrome.setColorAt(1, TShapes::ramp(colors[i], 12));
    p.fillPath(letter, chrome);
  }
}

QImage mainPicture() {
  TCanvas canvas(kMainWidth, kMainHeight);
  QPainter& p = canvas.painter();
  mainBackground(p);
  canvas.settle(TDither::Ordered);
  mainGrid(p);
  mainWave(p);
  mainCubes(p);
  mainNotes(p);
  mainTitle(p);
  return canvas.finish();
}

// ---- The tool buttons -------------------------------------------------------------------

constexpr int kButtonSize = 41;
constexpr TRamp kTransportColor = TRamp::Blue;

// A light fill for badge symbols: white, tinted by the badge's palest level at the bottom.
QLinearGradient symbolFill(TRamp color) {
  QLinearGradient g(0, 16, 0, 30);
  g.setColorAt(0, TShapes::grey(31));
  g.setColorAt(1, TShapes::ramp(color, 15));
  return g;
}

// A badge of `color` with a light, embossed `symbol`.
QImage toolButton(TRamp color, const std::function<QPainterPath()>& symbol) {
  TCanvas canvas(kButtonSize, kButtonSize);
  TShapes::badge(canvas.painter(), QRectF(2, 2, 37, 37), color, [&](QPainter& p) {
    TShapes::embossed(p, symbol(), symbolFill(color));
  });
  return canvas.finish();
}

QPainterPath polygonPath(const QPolygonF& polygon) {
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

// A triangle pointing right (`dir` 1) or left (-1), `width` wide, 15 px tall, its flat side
// at `x`.
QPainterPath arrowHead(qreal x, qreal width, int dir) {
  return polygonPath(QPolygonF({{x, 13}, {x + dir * width, 20.5}, {x, 28}}));
}

QPainterPath playSymbol() {
  return polygonPath(QPolygonF({{15.5, 12}, {29, 20.5}, {15.5, 29}}));
}

QPainterPath stopSymbol() {
  QPainterPath path;
  path.addRoundedRect(QRectF(13.5, 13.5, 14, 14), 2, 2);
  return path;
}

QPainterPath pauseSymbol() {
  QPainterPath path;
  path.addRoundedRect(QRectF(13.5, 13, 5, 15), 1, 1);
  path.addRoundedRect(QRectF(22.5, 13, 5, 15), 1, 1);
  return path;
}

QPainterPath fastForwardSymbol() {
  return arrowHead(11, 9.5, 1).united(arrowHead(20, 9.5, 1));
}

QPainterPath rewindSymbol() {
  return arrowHead(30, 9.5, -1).united(arrowHead(21, 9.5, -1));
}

QPainterPath infoSymbol() {
  QPainterPath path;
  path.addEllipse(QPointF(20.5, 11.5), 3.2, 3.2);
  path.addRect(QRectF(18, 16.5, 5.5, 12));
  path.addRect(QRectF(15.5, 16.5, 3, 2.5));
  path.addRect(QRectF(15.5, 27, 10.5, 2.5));
  return path.simplified();
}

// Three list lines, shorter as they go down, leaving room for a note beside the lower two.
QPainterPath playlistSymbol() {
  QPainterPath path;
  path.addRoundedRect(QRectF(10.5, 11.5, 19, 3), 1, 1);
  path.addRoundedRect(QRectF(10.5, 17, 11, 3), 1, 1);
  path.addRoundedRect(QRectF(10.5, 22.5, 8, 3), 1, 1);
  return path;
}

// The list lines and a note on a green badge.
QImage playlistButton() {
  TCanvas canvas(kButtonSize, kButtonSize);
  const TRamp color = TRamp::Green;
  TShapes::badge(canvas.painter(), QRectF(2, 2, 37, 37), color, [&](QPainter& p) {
    TShapes::embossed(p, playlistSymbol(), symbolFill(color));
    TShapes::embossed(p, TShapes::note(QPointF(25, 28.5), 15), TShapes::grey(31));
  });
  return canvas.finish();
}

// A T of four light bevelled cubes.
QImage gameButton() {
  TCanvas canvas(kButtonSize, kButtonSize);
  TShapes::badge(canvas.painter(), QRectF(2, 2, 37, 37), TRamp::Red, [](QPainter& p) {
    for (QPointF at : {QPointF(7, 12), QPointF(16, 12), QPointF(25, 12), QPointF(16, 21)})
      TShapes::cube(p, QRectF(at, QSizeF(9, 9)), TRamp::Yellow);
  });
  return canvas.finish();
}

// ---- The graphic push buttons -----------------------------------------------------------

constexpr int kPushWidth = 75;
constexpr int kPushHeight = 25;

// A classic two-pixel bevel round `rect`: raised (light top-left) or sunken.
void bevel(QPainter& p, const QRect& rect, bool sunken) {
  const QColor outerLight = TShapes::grey(29), innerLight = TShapes::grey(31);
  const QColor outerDark = TShapes::grey(3), innerDark = TShapes::grey(17);
  const auto frame = [&](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
    p.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
    p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
    p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
  };
  if (sunken) {
    frame(rect, outerDark, innerLight);
    frame(rect.adjusted(1, 1, -1, -1), innerDark, outerLight);
  } else {
    frame(rect, outerLight, outerDark);
    frame(rect.adjusted(1, 1, -1, -1), innerLight, innerDark);
  }
}

// The signal lamp: a dark glass bead when off, glowing when on.
void lamp(QPainter& p, QPointF centre, TRamp color, bool lit) {
  p.setPen(Qt::NoPen);
  if (lit) {
    QRadialGradient halo(centre, 9);
    halo.setColorAt(0.5, TShapes::ramp(color, 12, 230));
    halo.setColorAt(1, TShapes::ramp(color, 12, 0));
    p.setBrush(halo);
    p.drawEllipse(centre, 9, 9);
  }
  p.setBrush(lit ? TShapes::ramp(color, 6) : TShapes::grey(9));
  p.drawEllipse(centre, 5.5, 5.5);
  QRadialGradient glass(centre - QPointF(1.2, 1.2), 5);
  glass.setColorAt(0, lit ? TShapes::ramp(color, 15) : TShapes::ramp(color, 7));
  glass.setColorAt(0.5, lit ? TShapes::ramp(color, 11) : TShapes::ramp(color, 4));
  glass.setColorAt(1, lit ? TShapes::ramp(color, 9) : TShapes::ramp(color, 2));
  p.setBrush(glass);
  p.drawEllipse(centre, 4.5, 4.5);
  p.setBrush(QColor(255, 255, 255, lit ? 230 : 120));
  p.drawEllipse(centre - QPointF(1.6, 1.7), 1.3, 1.1);
}

// A raised button face with the lamp off, or, `down`, pressed in with the lamp lit.
QImage pushButton(const QString& text, TRamp lampColor, bool down) {
  TCanvas canvas(kPushWidth, kPushHeight);
  QPainter& p = canvas.painter();
  QLinearGradient face(0, 0, 0, kPushHeight);
  face.setColorAt(0, TShapes::grey(down ? 24 : 28));
  face.setColorAt(1, TShapes::grey(down ? 22 : 24));
  p.fillRect(0, 0, kPushWidth, kPushHeight, face);
  bevel(p, QRect(0, 0, kPushWidth, kPushHeight), down);
  const QPointF shift = down ? QPointF(1, 1) : QPointF(0, 0);
  lamp(p, QPointF(12.5, 12.5) + shift, lampColor, down);
  const QPainterPath label = centredText(text, dejaVu(11, true), QPointF(46, 12.5) + shift);
  p.fillPath(label.translated(0, 1), TShapes::grey(31));
  p.fillPath(label, TShapes::grey(4));
  return canvas.finish();
}

// ---- The folder-list icons --------------------------------------------------------------

constexpr QRgb kIconKey = qRgb(255, 0, 0);

// A 16 x 14 icon drawn from rows of letters: '.' is the key colour, every other letter a
// colour of `legend`.
QImage pixelIcon(const std::vector<const char*>& rows, const std::map<char, QColor>& legend) {
  TCanvas canvas(16, 14, QColor::fromRgb(kIconKey), false);
  QPainter& p = canvas.painter();
  for (size_t y = 0; y < rows.size(); ++y)
    for (int x = 0; rows[y][x]; ++x)
      if (rows[y][x] != '.')
        p.fillRect(x, static_cast<int>(y), 1, 1, legend.at(rows[y][x]));
  return canvas.finish();
}

const std::map<char, QColor>& folderLegend() {
  static const std::map<char, QColor> legend{
      {'o', TShapes::ramp(TRamp::Brown, 3)},  {'h', TShapes::ramp(TRamp::Yellow, 15)},
      {'y', TShapes::ramp(TRamp::Yellow, 12)}, {'m', TShapes::ramp(TRamp::Yellow, 10)},
      {'d', TShapes::ramp(TRamp::Orange, 9)},  {'s', TShapes::ramp(TRamp::Yellow, 8)},
      {'g', TShapes::ramp(TRamp::Green, 4)},   {'G', TShapes::ramp(TRamp::Green, 10)},
      {'L', TShapes::ramp(TRamp::Green, 13)},
  };
  return legend;
}

// A closed yellow folder: the tab and back at the top, the front below.
QImage folderIcon() {
  return pixelIcon({"................",
                    ".ooooo..........",
                    "ohhhhho.........",
                    "ohsssssooooooo..",
                    "ohsssssssssssso.",
                    "ohoooooooooooooo",
                    "ohhhhhhhhhhhhhho",
                    "ohyyyyyyyyyyyymo",
                    "ohyyyyyyyyyyyymo",
                    "ohyyyyyyyyyyyymo",
                    "ohmmmmmmmmmmmmdo",
                    "odddddddddddddo.",
                    "oooooooooooooo..",
                    "................"},
                   folderLegend());
}

// The folder with a green arrow rising out of it.
QImage parentIcon() {
  return pixelIcon({"................",
                    ".ooooo....g.....",
                    "ohhhhho..gLg....",
                    "ohsssssogLGGgo..",
                    "ohsssssgLGGGGgo.",
                    "ohoooogggLGgggoo",
                    "ohhhhhhhgLGghhho",
                    "ohyyyyyygLGgyymo",
                    "ohyyyyyygLGgyymo",
                    "ohyyyyyygggyyymo",
                    "ohmmmmmmmmmmmmdo",
                    "odddddddddddddo.",
                    "oooooooooooooo..",
                    "................"},
                   folderLegend());
}

// A page with a turned-down corner and an eighth note.
QImage moduleIcon() {
  return pixelIcon({"...oooooooo.....",
                    "...owwwwwwoo....",
                    "...owwwwwwofo...",
                    "...owwwwwwoooo..",
                    "...owwwwnwwwgo..",
                    "...owwwwnnwwgo..",
                    "...owwwwnwnwgo..",
                    "...owwwwnwwngo..",
                    "...owwwwnwwwgo..",
                    "...owwwwnwwwgo..",
                    "...owwnnnwwwgo..",
                    "...ownnnnwwwgo..",
                    "...owgnngggggo..",
                    "...ooooooooooo.."},
                   {{'o', TShapes::grey(9)},
                    {'w', TShapes::grey(31)},
                    {'g', TShapes::grey(25)},
                    {'f', TShapes::grey(22)},
                    {'n', TShapes::ramp(TRamp::Blue, 6)}});
}

// ---- The dialog pictures ----------------------------------------------------------------

// The program's icon, `size` pixels square: a bevelled cube with two beamed notes on its face.
QImage appIcon(int size = 32) {
  TCanvas canvas(size, size);
  QPainter& p = canvas.painter();
  p.scale(size / 32.0, size / 32.0);
  TShapes::cube(p, QRectF(1, 1, 30, 30), TRamp::Violet);
  TShapes::outlined(p, TShapes::beamedNotes(QPointF(10.5, 23.5), 19), TShapes::grey(31),
                    TShapes::ramp(TRamp::Violet, 2), 2);
  return canvas.finish();
}

// A gear of `teeth` tapered teeth round `centre`, with a hole in the middle.
QPainterPath gear(QPointF centre, qreal outer, qreal inner, qreal hole, int teeth) {
  const double pitch = 2 * std::numbers::pi / teeth;
  const auto at = [&](double angle, qreal radius) {
    return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  };
  QPolygonF rim;
  for (int i = 0; i < teeth; ++i) {
    const double a = i * pitch;
    rim << at(a - 0.3 * pitch, inner) << at(a - 0.16 * pitch, outer)
        << at(a + 0.16 * pitch, outer) << at(a + 0.3 * pitch, inner);
  }
  QPainterPath centreHole;
  centreHole.addEllipse(centre, hole, hole);
  return polygonPath(rim).subtracted(centreHole);
}

// A steel gear with a blue note in front of it.
QImage setupIcon() {
  TCanvas canvas(32, 32);
  QPainter& p = canvas.painter();
  const QPainterPath wheel = gear(QPointF(14, 14), 12, 8.8, 3.8, 8);
  QLinearGradient steel(0, 1, 0, 26);
  steel.setColorAt(0, TShapes::grey(29));
  steel.setColorAt(1, TShapes::grey(14));
  p.strokePath(wheel, QPen(TShapes::grey(6), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.fillPath(wheel, steel);
  TShapes::outlined(p, TShapes::note(QPointF(22.5, 27), 16), TShapes::ramp(TRamp::Sky, 11),
                    TShapes::ramp(TRamp::Navy, 1), 2);
  return canvas.finish();
}

// A white sheet with a thin dark edge, on the left of a 32 x 32 icon.
void blankPage(QPainter& p) {
  QPainterPath page;
  page.addRoundedRect(QRectF(2.5, 1.5, 21, 28), 2, 2);
  p.fillPath(page, TShapes::grey(31));
  p.strokePath(page, QPen(TShapes::grey(10), 1));
}

// A page of list lines with green bullets and two beamed notes over its corner.
QImage playlistIcon() {
  TCanvas canvas(32, 32);
  QPainter& p = canvas.painter();
  blankPage(p);
  for (int i = 0; i < 5; ++i) {
    const qreal y = 6 + i * 4.5;
    p.fillRect(QRectF(5.5, y, 2, 2), TShapes::ramp(TRamp::Green, 8));
    p.fillRect(QRectF(9, y, i < 3 ? 11.5 : 5, 2), TShapes::grey(20));
  }
  TShapes::outlined(p, TShapes::beamedNotes(QPointF(17.5, 27), 15),
                    TShapes::ramp(TRamp::Green, 10), TShapes::ramp(TRamp::Green, 2), 2);
  return canvas.finish();
}

// `text` in bold italic, `pixelSize` high, shaded from pale to deep `color` in a dark outline
// of the same hue, on a transparent `width` x `height` picture.
QImage titlePicture(const QString& text, int width, int height, int pixelSize, TRamp color) {
  TCanvas canvas(width, height);
  QPainter& p = canvas.painter();
  QFont font = dejaVu(pixelSize, true);
  font.setItalic(true);
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF box = path.boundingRect();
  path.translate(3 - box.left(), height / 2.0 - box.center().y());
  p.strokePath(path, QPen(TShapes::ramp(color == TRamp::Sky ? TRamp::Navy : color, 2), 3,
                          Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.fillPath(path, rampGradient(path.boundingRect(), color, {15, 12, 9, 11}));
  return canvas.finish();
}

// A module page of pattern rows with a small purple information badge on its corner.
QImage infoIcon() {
  TCanvas canvas(32, 32);
  QPainter& p = canvas.painter();
  blankPage(p);
  for (int i = 0; i < 6; ++i) {
    const qreal y = 5 + i * 4;
    p.fillRect(QRectF(5.5, y, 5, 2), TShapes::ramp(TRamp::Purple, 7 + i % 3));
    p.fillRect(QRectF(12, y, i % 2 ? 5 : 8, 2), TShapes::grey(20));
  }
  const qreal scale = 16.0 / 37.0;
  TShapes::badge(p, QRectF(15, 15, 16, 16), TRamp::Purple, [&](QPainter& q) {
    QTransform toCorner;
    toCorner.translate(15 - 2 * scale, 15 - 2 * scale);
    toCorner.scale(scale, scale);
    TShapes::embossed(q, toCorner.map(infoSymbol()), symbolFill(TRamp::Purple));
  });
  return canvas.finish();
}

} // namespace

void TUiArt::writeAll(const TBitmapWriter& writer) {
  writer.write(QStringLiteral("main.bmp"), mainPicture());

  writer.write(QStringLiteral("btnplaylist.bmp"), playlistButton());
  writer.write(QStringLiteral("btnmodinfo.bmp"), toolButton(TRamp::Purple, infoSymbol));
  writer.write(QStringLiteral("btngame.bmp"), gameButton());
  writer.write(QStringLiteral("btnrew.bmp"), toolButton(kTransportColor, rewindSymbol));
  writer.write(QStringLiteral("btnstop.bmp"), toolButton(kTransportColor, stopSymbol));
  writer.write(QStringLiteral("btnplay.bmp"), toolButton(kTransportColor, playSymbol));
  writer.write(QStringLiteral("btnpause.bmp"), toolButton(kTransportColor, pauseSymbol));
  writer.write(QStringLiteral("btnffwd.bmp"), toolButton(kTransportColor, fastForwardSymbol));

  for (bool down : {false, true}) {
    const QString state = down ? QStringLiteral("down") : QStringLiteral("up");
    writer.write("ok" + state + ".bmp", pushButton(QStringLiteral("OK"), TRamp::Green, down));
    writer.write("cancel" + state + ".bmp",
                 pushButton(QStringLiteral("Cancel"), TRamp::Red, down));
  }

  writer.writeKeyed(QStringLiteral("iconparent.bmp"), parentIcon(), kIconKey);
  writer.writeKeyed(QStringLiteral("iconmodule.bmp"), moduleIcon(), kIconKey);
  writer.writeKeyed(QStringLiteral("iconfolder.bmp"), folderIcon(), kIconKey);

  writer.write(QStringLiteral("appicon.bmp"), appIcon());
  writer.write(QStringLiteral("setupicon.bmp"), setupIcon());
  writer.write(QStringLiteral("playlisticon.bmp"), playlistIcon());
  writer.write(QStringLiteral("playlisttitle.bmp"),
               titlePicture(QStringLiteral("Playlist"), 150, 24, 19, TRamp::Sky));
  writer.write(QStringLiteral("infoicon.bmp"), infoIcon());
  writer.write(QStringLiteral("infotitle.bmp"),
               titlePicture(QStringLiteral("Module"), 86, 27, 18, TRamp::Purple));
}

void TUiArt::writeDesktopIcons(const QString& folder, const QString& name) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QString sizeFolder = QStringLiteral("%1/icons/hicolor/%2x%2/apps").arg(folder).arg(size);
    const QString file = sizeFolder + "/" + name + ".png";
    if (!QDir().mkpath(sizeFolder) || !appIcon(size).save(file, "PNG"))
      throw std::runtime_error("unable to write " + file.toStdString());
  }
}

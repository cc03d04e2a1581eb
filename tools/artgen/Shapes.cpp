#include "tools/artgen/Shapes.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>

QColor TShapes::ramp(TRamp color, int level, int alpha) {
  QColor c = QColor::fromRgb(TPalette::shared().ramp(color, level));
  c.setAlpha(alpha);
  return c;
}

QColor TShapes::grey(int level, int alpha) {
  QColor c = QColor::fromRgb(TPalette::shared().grey(level));
  c.setAlpha(alpha);
  return c;
}

void TShapes::cube(QPainter& p, const QRectF& rect, TRamp color) {
  p.save();
  p.setPen(Qt::NoPen);
  p.fillRect(rect, ramp(color, 3));
  const QRectF in = rect.adjusted(1, 1, -1, -1);
  const qreal b = std::max<qreal>(1, std::round(std::min(rect.width(), rect.height()) / 6));
  const QRectF face = in.adjusted(b, b, -b, -b);
  // Four bevels, lit from the top left.
  const auto bevel = [&](QPointF a, QPointF c, QPointF d, QPointF e, int level) {
    p.setBrush(ramp(color, level));
    p.drawPolygon(QPolygonF({a, c, d, e}));
  };
  bevel(in.topLeft(), in.topRight(), face.topRight(), face.topLeft(), 14);
  bevel(in.topLeft(), face.topLeft(), face.bottomLeft(), in.bottomLeft(), 12);
  bevel(in.topRight(), in.bottomRight(), face.bottomRight(), face.topRight(), 7);
  bevel(in.bottomLeft(), face.bottomLeft(), face.bottomRight(), in.bottomRight(), 5);
  QLinearGradient shade(face.topLeft(), face.bottomRight());
  shade.setColorAt(0, ramp(color, 11));
  shade.setColorAt(1, ramp(color, 9));
  p.fillRect(face, shade);
  // A soft shine in the face's top-left corner.
  QRadialGradient shine(face.topLeft() + QPointF(face.width() * 0.3, face.height() * 0.3),
                        face.width() * 0.4);
  shine.setColorAt(0, QColor(255, 255, 255, 140));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(face, shine);
  p.restore();
}

namespace {

// A note head: an ellipse tilted up to the right, as engraved notes are.
QPainterPath noteHead(QPointF centre, qreal height) {
  QPainterPath head;
  head.addEllipse(QPointF(0, 0), height * 0.23, height * 0.16);
  return QTransform().translate(centre.x(), centre.y()).rotate(-25).map(head);
}

// A stem standing on the right edge of the head at `head`, rising to `top`.
QRectF stem(QPointF head, qreal height, qreal top) {
  const qreal width = std::max<qreal>(1.2, height * 0.1);
  const qreal right = head.x() + height * 0.21;
  return QRectF(right - width, top, width, head.y() - top);
}

} // namespace

QPainterPath TShapes::note(QPointF head, qreal height) {
  const QRectF s = stem(head, height, head.y() - height * 0.88);
  const qreal x = s.left(), top = s.top(), h = height;
  QPainterPath path = noteHead(head, height);
  path.addRect(s);
  QPainterPath flag;
  flag.moveTo(x, top);
  flag.cubicTo(x + h * 0.05, top + h * 0.2, x + h * 0.42, top + h * 0.25, x + h * 0.26,
               top + h * 0.62);
  flag.cubicTo(x + h * 0.3, top + h * 0.38, x + h * 0.05, top + h * 0.36, x, top + h * 0.34);
  flag.closeSubpath();
  return path.united(flag);
}

QPainterPath TShapes::beamedNotes(QPointF head, qreal height) {
  const QPointF second = head + QPointF(height * 0.6, -height * 0.14);
  const QRectF s1 = stem(head, height, head.y() - height * 0.88);
  const QRectF s2 = stem(second, height, second.y() - height * 0.88);
  const qreal beam = height * 0.22;
  QPainterPath path = noteHead(head, height);
  path.addPath(noteHead(second, height));
  path.addRect(s1);
  path.addRect(s2);
  QPainterPath bar;
  bar.moveTo(s1.topLeft());
  bar.lineTo(s2.topRight());
  bar.lineTo(s2.topRight() + QPointF(0, beam));
  bar.lineTo(s1.topLeft() + QPointF(0, beam));
  bar.closeSubpath();
  return path.united(bar).simplified();
}

void TShapes::outlined(QPainter& p, const QPainterPath& path, const QBrush& fill,
                       const QColor& outline, qreal width) {
  p.strokePath(path, QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.fillPath(path, fill);
}

void TShapes::badge(QPainter& p, const QRectF& rect, TRamp color,
                    const std::function<void(QPainter&)>& symbol) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(ramp(color, 2));
  p.drawEllipse(rect);
  const QRectF body = rect.adjusted(1.2, 1.2, -1.2, -1.2);
  QLinearGradient shade(body.topLeft(), body.bottomLeft());
  shade.setColorAt(0, ramp(color, 12));
  shade.setColorAt(0.5, ramp(color, 8));
  shade.setColorAt(1, ramp(color, 5));
  p.setBrush(shade);
  p.drawEllipse(body);
  // Light coming up from the bottom edge, as through coloured glass.
  QRadialGradient glow(QPointF(body.center().x(), body.bottom()), body.width() * 0.55);
  glow.setColorAt(0, ramp(color, 11, 230));
  glow.setColorAt(1, ramp(color, 11, 0));
  p.setBrush(glow);
  p.drawEllipse(body);
  symbol(p);
  const QRectF shine(body.x() + body.width() * 0.18, body.y() + body.height() * 0.03,
                     body.width() * 0.64, body.height() * 0.4);
  QLinearGradient gloss(shine.topLeft(), shine.bottomLeft());
  gloss.setColorAt(0, QColor(255, 255, 255, 170));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.setBrush(gloss);
  p.drawEllipse(shine);
  p.restore();
}

void TShapes::embossed(QPainter& p, const QPainterPath& path, const QBrush& fill) {
  p.fillPath(path.translated(0, 1), QColor(0, 0, 0, 120));
  p.fillPath(path, fill);
}

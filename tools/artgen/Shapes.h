#pragma once

#include "tools/artgen/Palette.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <functional>

// Drawing pieces that several pictures share, all in the palette's own colours.
class TShapes {
public:
  // Level `level` of the ramp `color`, and grey level `level`, as colours to draw with.
  static QColor ramp(TRamp color, int level, int alpha = 255);
  static QColor grey(int level, int alpha = 255);

  // A bevelled cube of the puzzle game filling `rect`: dark rim, light top-left and dark
  // bottom-right bevels, a softly shaded face and a small shine.
  static void cube(QPainter& p, const QRectF& rect, TRamp color);

  // An eighth note (♪) whose head centres on `head`, about `height` tall.
  static QPainterPath note(QPointF head, qreal height);
  // Two beamed eighth notes (♫); `head` is the left head, the right one sits `height` * 0.6
  // to the right and a little higher.
  static QPainterPath beamedNotes(QPointF head, qreal height);
  // Fills `path` with `fill` inside an outline `width` wide, for shapes that must stand out
  // from whatever lies under them.
  static void outlined(QPainter& p, const QPainterPath& path, const QBrush& fill,
                       const QColor& outline, qreal width);

  // A glossy round badge in `rect`: dark rim, body shaded from light (top) to deep (bottom),
  // `symbol` drawn on the body, then a glassy shine across the top.
  static void badge(QPainter& p, const QRectF& rect, TRamp color,
                    const std::function<void(QPainter&)>& symbol);

  // Fills `path` with `fill` over a soft dark drop shadow one pixel down, as badge symbols are.
  static void embossed(QPainter& p, const QPainterPath& path, const QBrush& fill);
};

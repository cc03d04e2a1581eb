#pragma once

#include "visual/PatternModel.h"

#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <map>

// Draws a TPatternModel as trackers do, on a dark ground in a fixed-width font: the line with
// the place heard at the top, a head per channel below it with its number and meters, the rows
// below with the row heard on a bar in the middle and the row numbers at the left. The channel
// columns start at the first channel shown, so wide modules scroll sideways while the rows
// move. A click on a head mutes
// the channel or lets it be heard, Ctrl+click (or its context menu) solos it or ends the solo;
// from the keyboard Left and Right choose a channel, Space mutes it and S solos it. A muted
// column is dimmed and its meters empty. GUI thread only.
class TPatternCanvas : public QWidget {
  Q_OBJECT

public:
  TPatternCanvas(TPatternModel& model, QWidget* parent = nullptr);

  // The channel drawn in the first column (from 0).
  void setFirstChannel(int32_t channel);
  // How many channel columns fit whole.
  int32_t columnsShown() const;
  // Draws what changed: everything after a change of rows, otherwise the heads' meters.
  void refresh(bool rowsChanged);
  // Greyed: nothing plays, and the last place heard is shown dimmed.
  void setGreyed(bool greyed);
  // The channel whose head is at `point`, or -1.
  int32_t headAt(QPoint point) const;

signals:
  // The user muted, let be heard or soloed a channel; the model holds the new mutes.
  void mutesChanged();
  // The user chose another channel with the keyboard (the window scrolls it into view).
  void channelChosen(int32_t channel);
  // The number of columns that fit whole changed with the width of the cells.
  void columnsChanged();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void paintLine(QPainter& painter);
  void paintHeads(QPainter& painter);
  void paintMeters(QPainter& painter);
  QRect metersRect() const;
  void paintRows(QPainter& painter);
  // The line of row `row` as the canvas shows it now, its number and the cells of the channels
  // shown; each line is drawn once and kept until the pattern, the first channel or the width
  // changes.
  const QPixmap& rowLine(int32_t row);
  // Forgets the lines drawn when what they show has changed.
  void checkLines();
  int columnWidth() const;
  // The heights of the line of the place at the top and of the heads below it.
  int placeHeight() const { return m_lineHeight + 4; }
  int headHeight() const;
  int rowsTop() const { return placeHeight() + headHeight(); }
  void toggle(int32_t channel, bool solo);
  // Tells a screen reader the place heard and the state of the channel chosen.
  void describe();

  TPatternModel& m_model;
  QFont m_font;
  int m_charWidth = 8;
  int m_lineHeight = 14;
  int m_cellChars = 0;
  int32_t m_first = 0;
  int32_t m_chosen = 0;
  bool m_greyed = false;
  // What the kept lines show.
  struct TLinesOf {
    uint32_t Module = 0;
    int32_t Pattern = -1;
    std::size_t Cells = 0;
    int32_t First = 0;
    int Width = 0;
    bool operator==(const TLinesOf&) const = default;
  };
  TLinesOf m_linesOf;
  std::map<int32_t, QPixmap> m_lines;
};

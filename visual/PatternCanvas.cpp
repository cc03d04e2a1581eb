#include "visual/PatternCanvas.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kRowNumberChars = 4;

const QColor kGround(18, 21, 28);
const QColor kBeatGround(26, 31, 42);
const QColor kHeadGround(30, 36, 50);
const QColor kHeardBar(70, 120, 210, 110);
const QColor kRowNumber(136, 147, 168);
const QColor kHeardNumber(255, 255, 255);
const QColor kHeadText(200, 208, 224);
const QColor kDimmed(0, 0, 0, 150);
const QColor kGreyed(60, 60, 60, 150);
const QColor kChosen(255, 210, 90);

QColor colourOf(TCellKind kind) {
  switch (kind) {
  case TCellKind::Note: return {232, 232, 232};
  case TCellKind::SpecialNote: return {255, 110, 110};
  case TCellKind::Instrument: return {127, 212, 255};
  case TCellKind::VolumeCommand: return {126, 231, 135};
  case TCellKind::VolumeValue: return {170, 240, 176};
  case TCellKind::Effect: return {255, 180, 84};
  case TCellKind::EffectValue: return {255, 216, 154};
  case TCellKind::Empty: break;
  }
  return {74, 82, 98};
}

// Green up to two thirds, then yellow, red near full scale.
QColor meterColour(double level) {
  if (level > 0.9) return {240, 80, 70};
  if (level > 0.66) return {240, 210, 80};
  return {90, 210, 110};
}

} // namespace

TPatternCanvas::TPatternCanvas(TPatternModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_font(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
  m_font.setPointSize(10);
  QFontMetrics metrics(m_font);
  m_charWidth = metrics.horizontalAdvance('0');
  m_lineHeight = metrics.height();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName("Pattern");
  setMinimumSize(20 * m_charWidth, rowsTop() + 5 * m_lineHeight);
}

int TPatternCanvas::columnWidth() const { return (std::max(m_cellChars, 3) + 1) * m_charWidth; }

int TPatternCanvas::headHeight() const { return m_lineHeight + 12; }

int32_t TPatternCanvas::columnsShown() const {
  return std::max(1, (width() - kRowNumberChars * m_charWidth) / columnWidth());
}

void TPatternCanvas::setFirstChannel(int32_t channel) {
  m_first = std::clamp(channel, 0, std::max(0, m_model.view().Channels - 1));
  update();
}

void TPatternCanvas::setGreyed(bool greyed) {
  if (greyed == m_greyed) return;
  m_greyed = greyed;
  update();
}

void TPatternCanvas::refresh(bool rowsChanged) {
  if (rowsChanged) {
    // A new module or a pattern with wider cells makes the columns wider, so fewer fit.
    const int32_t shown = columnsShown();
    checkLines();
    if (columnsShown() != shown) emit columnsChanged();
    update();
    describe();
  } else {
    update(metersRect());
  }
}

int32_t TPatternCanvas::headAt(QPoint point) const {
  const int left = kRowNumberChars * m_charWidth;
  if (point.y() < placeHeight() || point.y() >= rowsTop() || point.x() < left) return -1;
  const int32_t channel = m_first + (point.x() - left) / columnWidth();
  return channel < m_model.view().Channels ? channel : -1;
}

void TPatternCanvas::checkLines() {
  const TPatternText& text = m_model.text();
  const TLinesOf now{m_model.view().Module, m_model.view().Pattern, text.Cells.size(), m_first, width()};
  if (now == m_linesOf) return;
  // A module keeps its column width from pattern to pattern, so that the columns stand still.
  if (now.Module != m_linesOf.Module) m_cellChars = 0;
  for (const std::string& cell : text.Cells) m_cellChars = std::max(m_cellChars, static_cast<int>(cell.size()));
  m_linesOf = now;
  m_lines.clear();
}

const QPixmap& TPatternCanvas::rowLine(int32_t row) {
  auto kept = m_lines.find(row);
  if (kept != m_lines.end()) return kept->second;
  // A long pattern is not kept whole: the lines of a screen or two are enough.
  if (m_lines.size() > 512) m_lines.clear();
  const TPatternText& text = m_model.text();
  QPixmap line(std::max(1, width()), m_lineHeight);
  line.fill(row % 4 == 0 ? kBeatGround : kGround);
  QPainter painter(&line);
  painter.setFont(m_font);
  const int ascent = QFontMetrics(m_font).ascent();
  painter.setPen(kRowNumber);
  painter.drawText(0, ascent, QString::number(row).rightJustified(kRowNumberChars - 1));
  const int column = columnWidth();
  for (int32_t channel = m_first, x = kRowNumberChars * m_charWidth; channel < text.Channels && x < width();
       ++channel, x += column) {
    const std::string& cell = text.cell(row, channel);
    const std::string& kinds = text.highlight(row, channel);
    // One run of characters of the same kind at a time.
    for (std::size_t start = 0; start < cell.size();) {
      const TCellKind kind = TPatternModel::kindOf(start < kinds.size() ? kinds[start] : ' ');
      std::size_t end = start + 1;
      while (end < cell.size() && TPatternModel::kindOf(end < kinds.size() ? kinds[end] : ' ') == kind) ++end;
      painter.setPen(colourOf(kind));
      painter.drawText(x + static_cast<int>(start) * m_charWidth, ascent,
                       QString::fromLatin1(cell.data() + start, static_cast<qsizetype>(end - start)));
      start = end;
    }
  }
  painter.end();
  return m_lines.emplace(row, std::move(line)).first->second;
}

void TPatternCanvas::paintEvent(QPaintEvent* event) {
  checkLines();
  QPainter painter(this);
  painter.setFont(m_font);
  // Between rows only the meters change: the line and the rows are left alone.
  if (metersRect().contains(event->rect())) {
    paintMeters(painter);
  } else {
    if (event->rect().top() < placeHeight()) paintLine(painter);
    if (event->rect().bottom() >= rowsTop()) paintRows(painter);
    paintHeads(painter);
  }
  if (m_greyed) painter.fillRect(event->rect(), kGreyed);
}

void TPatternCanvas::paintLine(QPainter& painter) {
  painter.fillRect(0, 0, width(), placeHeight(), kGround);
  painter.setPen(kHeadText);
  painter.drawText(m_charWidth / 2, 2 + QFontMetrics(m_font).ascent(), QString::fromStdString(m_model.header()));
}

void TPatternCanvas::paintHeads(QPainter& painter) {
  const int left = kRowNumberChars * m_charWidth;
  const int column = columnWidth();
  const int head = headHeight();
  const int top = placeHeight();
  painter.fillRect(0, top, width(), head, kHeadGround);
  const TChannelMutes& mutes = m_model.mutes();
  const int ascent = QFontMetrics(m_font).ascent();
  for (int32_t channel = m_first, x = left; channel < m_model.view().Channels && x < width();
       ++channel, x += column) {
    QString label = QString::number(channel + 1);
    if (mutes.soloed() == channel) label += " S";
    else if (mutes.muted(channel)) label += " M";
    painter.setPen(mutes.muted(channel) ? kRowNumber : kHeadText);
    painter.drawText(x + m_charWidth / 2, top + 3 + ascent, label);
    if (hasFocus() && channel == m_chosen) {
      painter.setPen(kChosen);
      painter.drawRect(x, top, column - 2, head - 1);
    }
  }
  paintMeters(painter);
}

QRect TPatternCanvas::metersRect() const { return {0, placeHeight() + m_lineHeight + 4, width(), 7}; }

void TPatternCanvas::paintMeters(QPainter& painter) {
  const int left = kRowNumberChars * m_charWidth;
  const int column = columnWidth();
  const int length = column - m_charWidth;
  const int y = metersRect().top();
  const TChannelMeters& meters = m_model.meters();
  // Left and right, one above the other.
  for (int32_t channel = m_first, x = left; channel < m_model.view().Channels && x < width();
       ++channel, x += column) {
    for (const auto& [level, dy] : {std::pair{meters.left(channel), 0}, std::pair{meters.right(channel), 4}}) {
      const int lit = static_cast<int>(level * length);
      painter.fillRect(x + m_charWidth / 2, y + dy, lit, 3, meterColour(level));
      painter.fillRect(x + m_charWidth / 2 + lit, y + dy, length - lit, 3, kGround);
    }
  }
}

void TPatternCanvas::paintRows(QPainter& painter) {
  const int left = kRowNumberChars * m_charWidth;
  const int column = columnWidth();
  const int top = rowsTop();
  const int lines = std::max(1, (height() - top) / m_lineHeight);
  const std::vector<int32_t> rows = m_model.rowsAround(lines);
  const int middle = lines / 2;
  for (int line = 0; line < lines; ++line) {
    const int y = top + line * m_lineHeight;
    if (rows[line] < 0 || m_model.text().Channels <= 0)
      painter.fillRect(0, y, width(), m_lineHeight, kGround);
    else
      painter.drawPixmap(0, y, rowLine(rows[line]));
  }
  painter.fillRect(0, top + lines * m_lineHeight, width(), height() - top - lines * m_lineHeight, kGround);
  const int bar = top + middle * m_lineHeight;
  if (rows[middle] >= 0) {
    painter.setPen(kHeardNumber);
    painter.fillRect(0, bar, left, m_lineHeight, kGround);
    painter.drawText(0, bar + QFontMetrics(m_font).ascent(),
                     QString::number(rows[middle]).rightJustified(kRowNumberChars - 1));
  }
  painter.fillRect(0, bar, width(), m_lineHeight, kHeardBar);
  const TChannelMutes& mutes = m_model.mutes();
  for (int32_t channel = m_first, x = left; channel < m_model.view().Channels && x < width();
       ++channel, x += column)
    if (mutes.muted(channel)) painter.fillRect(x, top, column, height() - top, kDimmed);
}

void TPatternCanvas::toggle(int32_t channel, bool solo) {
  if (channel < 0) return;
  if (solo)
    m_model.mutes().toggleSolo(channel);
  else
    m_model.mutes().toggleMute(channel);
  emit mutesChanged();
  update();
  describe();
}

void TPatternCanvas::describe() {
  const std::string channel = m_model.channelState(m_chosen);
  setAccessibleDescription(QString::fromStdString(m_model.header() + (channel.empty() ? "" : ". " + channel)));
}

void TPatternCanvas::mousePressEvent(QMouseEvent* event) {
  const int32_t channel = headAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || channel < 0) return QWidget::mousePressEvent(event);
  m_chosen = channel;
  toggle(channel, event->modifiers() & Qt::ControlModifier);
}

void TPatternCanvas::contextMenuEvent(QContextMenuEvent* event) {
  const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
  const int32_t channel = byKeyboard ? m_chosen : headAt(event->pos());
  if (channel < 0 || channel >= m_model.view().Channels) return;
  const TChannelMutes& mutes = m_model.mutes();
  QMenu menu(this);
  const QString number = QString::number(channel + 1);
  menu.addAction(mutes.muted(channel) ? "&Hear channel " + number : "&Mute channel " + number, this,
                 [this, channel] { toggle(channel, false); });
  menu.addAction(mutes.soloed() == channel ? "End the &solo" : "&Solo channel " + number, this,
                 [this, channel] { toggle(channel, true); });
  menu.exec(event->globalPos());
}

void TPatternCanvas::keyPressEvent(QKeyEvent* event) {
  const int32_t channels = m_model.view().Channels;
  switch (event->key()) {
  case Qt::Key_Left:
  case Qt::Key_Right:
    if (channels > 0) {
      m_chosen = std::clamp(m_chosen + (event->key() == Qt::Key_Left ? -1 : 1), 0, channels - 1);
      emit channelChosen(m_chosen);
      update(0, placeHeight(), width(), headHeight());
      describe();
    }
    return;
  case Qt::Key_Space: return toggle(m_chosen < channels ? m_chosen : -1, false);
  case Qt::Key_S: return toggle(m_chosen < channels ? m_chosen : -1, true);
  default: QWidget::keyPressEvent(event);
  }
}

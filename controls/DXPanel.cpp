#include "controls/DXPanel.h"

#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cstring>

namespace {

RECT rectOf(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

} // namespace

TDXPanel::TDXPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
}

RECT TDXPanel::ScreenRect() const {
  const QScreen* s = screen();
  return s ? RECT{0, 0, s->geometry().width(), s->geometry().height()} : RECT{0, 0, 640, 480};
}

RECT TDXPanel::ClientScreenRect() const {
  QPoint origin = mapToGlobal(QPoint(0, 0));
  if (const QScreen* s = screen()) origin -= s->geometry().topLeft();
  return {origin.x(), origin.y(), origin.x() + width(), origin.y() + height()};
}

// The window's own geometry stands for its bounds: setting it back gives exactly the window
// that was, whatever frame the window system draws around it.
RECT TDXPanel::Bounds() const { return rectOf(window()->geometry()); }

void TDXPanel::SetBounds(const RECT& bounds) {
  window()->setGeometry(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TDXPanel::SetCursorVisible(bool visible) {
  if (visible)
    window()->unsetCursor();
  else
    window()->setCursor(Qt::BlankCursor);
}

void TDXPanel::Close() { window()->close(); }

bool TDXPanel::IsActive() const { return window()->isActiveWindow(); }

void TDXPanel::ShowScreen(const TPixelView& screen, const RECT& rect) {
  if (m_picture.size() != size() || m_picture.format() != QImage::Format_RGB32) {
    m_picture = QImage(size(), QImage::Format_RGB32);
    m_picture.fill(Qt::black);
  }
  const RECT client = ClientScreenRect();
  for (int32_t y = rect.top; y < rect.bottom; ++y) {
    const int32_t row = y - client.top;
    if (row < 0 || row >= m_picture.height()) continue;
    auto* line = reinterpret_cast<QRgb*>(m_picture.scanLine(row));
    const auto* from = reinterpret_cast<const uint32_t*>(screen.bits + static_cast<std::size_t>(y) * screen.pitch);
    const int32_t left = std::max(rect.left, client.left), right = std::min(rect.right, client.right);
    for (int32_t x = left; x < right; ++x) line[x - client.left] = 0xFF000000u | from[x];
  }
  changed();
}

void TDXPanel::EnterFullScreen(int32_t width, int32_t height) {
  m_fullScreen = true;
  m_picture = QImage(width, height, QImage::Format_Indexed8);
  m_picture.setColorCount(256);
  m_picture.fill(0);
  // A window held to a fixed size is freed to cover the screen; it holds its size again itself.
  QWidget* w = window();
  w->setMinimumSize(0, 0);
  w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  w->showFullScreen();
  // Without a window manager nobody else makes the window as large as the screen.
  if (const QScreen* s = w->screen()) w->setGeometry(s->geometry());
}

void TDXPanel::LeaveFullScreen() {
  m_fullScreen = false;
  m_picture = QImage();
  window()->showNormal();
}

void TDXPanel::ShowFrame(const TPixelView& frame, const PALETTEENTRY* palette) {
  if (m_picture.width() != frame.width || m_picture.height() != frame.height ||
      m_picture.format() != QImage::Format_Indexed8)
    m_picture = QImage(frame.width, frame.height, QImage::Format_Indexed8);
  QList<QRgb> colors(256);
  for (int i = 0; i < 256; ++i) colors[i] = qRgb(palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
  m_picture.setColorTable(colors);
  for (int32_t y = 0; y < frame.height; ++y)
    std::memcpy(m_picture.scanLine(y), frame.bits + static_cast<std::size_t>(y) * frame.pitch, frame.width);
  changed();
}

QRect TDXPanel::fullScreenPlacement(QSize frame, QSize area) {
  int factor = std::max(1, std::min(area.width() / std::max(1, frame.width()),
                                    area.height() / std::max(1, frame.height())));
  QSize scaled = frame * factor;
  return {QPoint((area.width() - scaled.width()) / 2, (area.height() - scaled.height()) / 2), scaled};
}

void TDXPanel::changed() {
  if (!m_painting) update();
}

void TDXPanel::paintEvent(QPaintEvent*) {
  // In a window the panel asks for the last frame again; in full screen it still holds it.
  if (OnPaint && !m_fullScreen) {
    m_painting = true;
    OnPaint();
    m_painting = false;
  }
  QPainter painter(this);
  if (!m_fullScreen) {
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(0, 0, m_picture);
    return;
  }
  painter.fillRect(rect(), Qt::black);
  painter.drawImage(fullScreenPlacement(m_picture.size(), size()), m_picture);
}

#include "controls/DXPanel.h"

#include <QPainter>
#include <QRegion>
#include <QScreen>

#include <algorithm>
#include <cstring>

namespace {

RECT rectOf(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// Four pixels at a time: the compiler makes one vector load, OR and store of each group.
using TPixels4 = uint32_t __attribute__((vector_size(16)));

// `count` XRGB pixels made opaque ARGB, as the picture wants them.
void opaqueCopy(QRgb* to, const uint8_t* from, int32_t count) {
  constexpr TPixels4 kOpaque = {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u};
  int32_t x = 0;
  for (; x + 4 <= count; x += 4) {
    TPixels4 group;
    std::memcpy(&group, from + 4 * x, sizeof group);
    group |= kOpaque;
    std::memcpy(to + x, &group, sizeof group);
  }
  for (; x < count; ++x) {
    uint32_t pixel;
    std::memcpy(&pixel, from + 4 * x, 4);
    to[x] = 0xFF000000u | pixel;
  }
}

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
    const uint8_t* from = screen.bits + static_cast<std::size_t>(y) * screen.pitch;
    const int32_t left = std::max(rect.left, client.left), right = std::min(rect.right, client.right);
    if (right > left) opaqueCopy(line + (left - client.left), from + 4 * left, right - left);
  }
  changed();
}

void TDXPanel::EnterFullScreen(int32_t width, int32_t height) {
  m_fullScreen = true;
  m_picture = QImage(width, height, QImage::Format_RGB32);
  m_picture.fill(Qt::black);
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

// The frame is turned into colours here, once, by a lookup in the palette, and grown by the
// whole factor that fits the panel: painting it then copies colours instead of converting and
// scaling an indexed picture on every paint.
void TDXPanel::ShowFrame(const TPixelView& frame, const PALETTEENTRY* palette) {
  const int factor = std::max(1, fullScreenPlacement({frame.width, frame.height}, size()).width() /
                                     std::max(1, frame.width));
  const QSize scaled(frame.width * factor, frame.height * factor);
  if (m_picture.size() != scaled || m_picture.format() != QImage::Format_RGB32)
    m_picture = QImage(scaled, QImage::Format_RGB32);
  QRgb colors[256];
  for (int i = 0; i < 256; ++i) colors[i] = qRgb(palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
  const std::size_t lineBytes = static_cast<std::size_t>(scaled.width()) * sizeof(QRgb);
  for (int32_t y = 0; y < frame.height; ++y) {
    const uint8_t* from = frame.bits + static_cast<std::size_t>(y) * frame.pitch;
    auto* line = reinterpret_cast<QRgb*>(m_picture.scanLine(y * factor));
    if (factor == 1)
      for (int32_t x = 0; x < frame.width; ++x) line[x] = colors[from[x]];
    else
      for (int32_t x = 0; x < frame.width; ++x) std::fill_n(line + x * factor, factor, colors[from[x]]);
    for (int copy = 1; copy < factor; ++copy) std::memcpy(m_picture.scanLine(y * factor + copy), line, lineBytes);
  }
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
  const QRect placed = m_fullScreen ? fullScreenPlacement(m_picture.size(), size())
                                    : QRect(QPoint(0, 0), m_picture.size());
  // Black around the picture only: the picture itself covers the rest.
  for (const QRect& around : QRegion(rect()).subtracted(placed)) painter.fillRect(around, Qt::black);
  painter.drawImage(placed, m_picture);
}

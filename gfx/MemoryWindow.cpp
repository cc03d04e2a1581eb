#include "gfx/MemoryWindow.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kFrame = 4;
constexpr int32_t kTitle = 20;

} // namespace

TMemoryWindow::TMemoryWindow(int32_t screenWidth, int32_t screenHeight, RECT client)
    : m_screenWidth(screenWidth), m_screenHeight(screenHeight), m_client(client),
      m_bounds{client.left - kFrame, client.top - kTitle, client.right + kFrame, client.bottom + kFrame},
      m_screen(static_cast<std::size_t>(screenWidth) * screenHeight) {}

void TMemoryWindow::SetBounds(const RECT& bounds) {
  m_bounds = bounds;
  m_client = {bounds.left + kFrame, bounds.top + kTitle, bounds.right - kFrame, bounds.bottom - kFrame};
}

void TMemoryWindow::ShowScreen(const TPixelView& screen, const RECT& rect) {
  for (int32_t y = rect.top; y < rect.bottom; ++y)
    for (int32_t x = rect.left; x < rect.right; ++x)
      m_screen[static_cast<std::size_t>(y) * m_screenWidth + x] = screen.pixel(x, y) & 0xFFFFFF;
}

void TMemoryWindow::EnterFullScreen(int32_t width, int32_t height) {
  m_fullScreen = true;
  m_frameWidth = width;
  m_frameHeight = height;
  m_frame.assign(static_cast<std::size_t>(width) * height, 0);
  std::fill(std::begin(m_palette), std::end(m_palette), PALETTEENTRY{});
  m_bounds = m_client = {0, 0, m_screenWidth, m_screenHeight};
}

void TMemoryWindow::LeaveFullScreen() { m_fullScreen = false; }

void TMemoryWindow::ShowFrame(const TPixelView& frame, const PALETTEENTRY* palette) {
  ++m_framesShown;
  m_frameWidth = frame.width;
  m_frameHeight = frame.height;
  m_frame.resize(static_cast<std::size_t>(frame.width) * frame.height);
  for (int32_t y = 0; y < frame.height; ++y)
    std::memcpy(m_frame.data() + static_cast<std::size_t>(y) * frame.width,
                frame.bits + static_cast<std::size_t>(y) * frame.pitch, frame.width);
  std::copy(palette, palette + 256, m_palette);
}

uint32_t TMemoryWindow::clientPixel(int32_t x, int32_t y) const {
  if (m_fullScreen) {
    const PALETTEENTRY& e = m_palette[m_frame[static_cast<std::size_t>(y) * m_frameWidth + x]];
    return (e.peRed << 16) | (e.peGreen << 8) | e.peBlue;
  }
  return m_screen[static_cast<std::size_t>(m_client.top + y) * m_screenWidth + m_client.left + x];
}

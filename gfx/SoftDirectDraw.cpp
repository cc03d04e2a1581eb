#include "gfx/SoftDirectDraw.h"

#include "gfx/DisplayWindow.h"
#include "gfx/SoftClipper.h"
#include "gfx/SoftPalette.h"
#include "gfx/SoftSurface.h"

#include <algorithm>

namespace {

constexpr int32_t kMaxSurfaceSide = 8192;
constexpr uint32_t kFullScreenLevel = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE;

struct Mode {
  uint32_t width, height;
};
constexpr Mode kModes[] = {{640, 480}, {320, 200}, {800, 600}, {1024, 768}};

// The window system's twenty static colours, as its default palette holds them.
constexpr PALETTEENTRY kStaticColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};

} // namespace

void GetSystemPaletteEntries(uint32_t start, uint32_t count, PALETTEENTRY* entries) {
  for (uint32_t i = 0; i < count && start + i < 256; ++i) {
    uint32_t n = start + i;
    if (n < 10)
      entries[i] = kStaticColors[n];
    else if (n >= 246)
      entries[i] = kStaticColors[n - 236];
    else
      entries[i] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n), static_cast<uint8_t>(n), 0};
  }
}

HRESULT DirectDrawCreate(const void* driver, IDirectDraw** directDraw, void* outer) {
  if (!directDraw || outer) return DDERR_INVALIDPARAMS;
  if (driver) return DDERR_INVALIDDIRECTDRAWGUID;
  *directDraw = new TSoftDirectDraw;
  return DD_OK;
}

TSoftDirectDraw::TSoftDirectDraw() { GetSystemPaletteEntries(0, 256, m_defaultPalette); }

HRESULT TSoftDirectDraw::SetCooperativeLevel(HWND window, uint32_t flags) {
  const bool normal = (flags & DDSCL_NORMAL) && !(flags & kFullScreenLevel);
  const bool exclusive = (flags & kFullScreenLevel) == kFullScreenLevel && !(flags & DDSCL_NORMAL);
  if (!normal && !exclusive) return DDERR_INVALIDPARAMS;
  if (!window) return DDERR_NOHWND;
  m_window = window;
  m_exclusive = exclusive;
  return DD_OK;
}

HRESULT TSoftDirectDraw::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  if (!m_exclusive) return DDERR_NOEXCLUSIVEMODE;
  bool known = std::any_of(std::begin(kModes), std::end(kModes),
                           [&](Mode m) { return m.width == width && m.height == height; });
  if (!known || bitsPerPixel != 8) return DDERR_UNSUPPORTEDMODE;
  m_modeWidth = static_cast<int32_t>(width);
  m_modeHeight = static_cast<int32_t>(height);
  m_window->EnterFullScreen(m_modeWidth, m_modeHeight);
  return DD_OK;
}

HRESULT TSoftDirectDraw::RestoreDisplayMode() {
  if (!fullScreen()) return DD_OK;
  m_modeWidth = m_modeHeight = 0;
  if (m_window) m_window->LeaveFullScreen();
  return DD_OK;
}

HRESULT TSoftDirectDraw::GetDisplayMode(DDSURFACEDESC* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  if (!m_window) return DDERR_NOCOOPERATIVELEVELSET;
  RECT screen = m_window->ScreenRect();
  *desc = DDSURFACEDESC{};
  desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<uint32_t>(fullScreen() ? m_modeWidth : screen.width());
  desc->dwHeight = static_cast<uint32_t>(fullScreen() ? m_modeHeight : screen.height());
  desc->ddpfPixelFormat.dwFlags = fullScreen() ? DDPF_PALETTEINDEXED8 : DDPF_RGB;
  desc->ddpfPixelFormat.dwRGBBitCount = static_cast<uint32_t>(bitsPerPixel());
  return DD_OK;
}

HRESULT TSoftDirectDraw::FlipToGDISurface() {
  if (m_primary && fullScreen()) {
    m_primary->flipToGdi();
    presentFrame();
  }
  return DD_OK;
}

HRESULT TSoftDirectDraw::CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                                       void* outer) {
  if (!desc || !surface || outer || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  if (!(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDCAPS;
  if (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) return createPrimary(*desc, surface);
  if (desc->ddsCaps.dwCaps == DDSCAPS_OFFSCREENPLAIN) return createOffscreen(*desc, surface);
  return DDERR_INVALIDCAPS;
}

HRESULT TSoftDirectDraw::createPrimary(const DDSURFACEDESC& desc, IDirectDrawSurface** surface) {
  if (!m_window) return DDERR_NOCOOPERATIVELEVELSET;
  if (m_primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  const uint32_t caps = desc.ddsCaps.dwCaps;
  const bool flipping = caps & DDSCAPS_FLIP;
  if (flipping) {
    if (!(caps & DDSCAPS_COMPLEX) || !(desc.dwFlags & DDSD_BACKBUFFERCOUNT)) return DDERR_INVALIDCAPS;
    if (desc.dwBackBufferCount != 1) return DDERR_INVALIDPARAMS;
    if (!m_exclusive || !fullScreen()) return DDERR_NOEXCLUSIVEMODE;
  } else if (caps != DDSCAPS_PRIMARYSURFACE) {
    return DDERR_INVALIDCAPS;
  }
  DDSURFACEDESC mode;
  GetDisplayMode(&mode);
  auto w = static_cast<int32_t>(mode.dwWidth), h = static_cast<int32_t>(mode.dwHeight);
  auto* primary = new TSoftSurface(this, TSoftSurface::Kind::Primary, w, h, bitsPerPixel());
  if (flipping)
    primary->attachBackBuffer(new TSoftSurface(this, TSoftSurface::Kind::BackBuffer, w, h, 8));
  m_primary = primary;
  *surface = primary;
  return DD_OK;
}

HRESULT TSoftDirectDraw::createOffscreen(const DDSURFACEDESC& desc, IDirectDrawSurface** surface) {
  if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
    return DDERR_INVALIDPARAMS;
  if (desc.dwWidth == 0 || desc.dwHeight == 0) return DDERR_INVALIDPARAMS;
  if (desc.dwWidth > kMaxSurfaceSide) return DDERR_TOOBIGWIDTH;
  if (desc.dwHeight > kMaxSurfaceSide) return DDERR_TOOBIGHEIGHT;
  *surface = new TSoftSurface(this, TSoftSurface::Kind::Offscreen, static_cast<int32_t>(desc.dwWidth),
                              static_cast<int32_t>(desc.dwHeight), bitsPerPixel());
  return DD_OK;
}

HRESULT TSoftDirectDraw::CreateClipper(uint32_t flags, IDirectDrawClipper** clipper, void* outer) {
  if (flags != 0 || !clipper || outer) return DDERR_INVALIDPARAMS;
  *clipper = new TSoftClipper;
  return DD_OK;
}

HRESULT TSoftDirectDraw::CreatePalette(uint32_t flags, const PALETTEENTRY* entries,
                                       IDirectDrawPalette** palette, void* outer) {
  if (!(flags & DDPCAPS_8BIT) || !entries || !palette || outer) return DDERR_INVALIDPARAMS;
  *palette = new TSoftPalette(this, entries);
  return DD_OK;
}

bool TSoftDirectDraw::exclusiveInactive() const {
  return m_exclusive && m_window && !m_window->IsActive();
}

const PALETTEENTRY* TSoftDirectDraw::displayPalette() const {
  return m_primary && fullScreen() ? m_primary->shownPalette() : m_defaultPalette;
}

void TSoftDirectDraw::primaryGone(TSoftSurface* primary) {
  if (m_primary == primary) m_primary = nullptr;
}

void TSoftDirectDraw::paletteChanged(TSoftPalette* palette) {
  if (m_primary && m_primary->showsPalette(palette)) presentFrame();
}

void TSoftDirectDraw::presentFrame() {
  if (!m_primary || !fullScreen() || !m_window) return;
  m_window->ShowFrame(m_primary->Pixels(), m_primary->shownPalette());
}

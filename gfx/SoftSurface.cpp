#include "gfx/SoftSurface.h"

#include "gfx/Bitmap.h"
#include "gfx/DisplayWindow.h"
#include "gfx/OpaqueSpans.h"
#include "gfx/SoftClipper.h"
#include "gfx/SoftDirectDraw.h"
#include "gfx/SoftPalette.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

uint32_t rgbOf(const PALETTEENTRY& e) { return (e.peRed << 16) | (e.peGreen << 8) | e.peBlue; }

// The palette entry for `rgb`: an exact match, else the nearest entry other than 0, which is
// kept for pure black (the transparent colour) so no visible pixel turns transparent.
uint8_t nearestEntry(uint32_t rgb, const PALETTEENTRY* palette) {
  for (int i = 0; i < 256; ++i)
    if (rgbOf(palette[i]) == rgb) return static_cast<uint8_t>(i);
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  int best = 1;
  long bestDistance = -1;
  for (int i = 1; i < 256; ++i) {
    long dr = r - palette[i].peRed, dg = g - palette[i].peGreen, db = b - palette[i].peBlue;
    long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

bool intersect(RECT& r, const RECT& with) {
  r.left = std::max(r.left, with.left);
  r.top = std::max(r.top, with.top);
  r.right = std::min(r.right, with.right);
  r.bottom = std::min(r.bottom, with.bottom);
  return r.left < r.right && r.top < r.bottom;
}

bool inside(const RECT& r, const RECT& bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right &&
         r.bottom <= bounds.bottom && r.left <= r.right && r.top <= r.bottom;
}

template <typename Pixel>
void copyRow(Pixel* to, const Pixel* from, int32_t count, std::optional<uint32_t> key) {
  if (!key) {
    std::memmove(to, from, count * sizeof(Pixel));
    return;
  }
  const Pixel transparent = static_cast<Pixel>(*key);
  for (int32_t i = 0; i < count; ++i)
    if (from[i] != transparent) to[i] = from[i];
}

} // namespace

uint32_t TPixelView::pixel(int32_t x, int32_t y) const {
  const uint8_t* line = bits + static_cast<std::size_t>(y) * pitch;
  if (bitsPerPixel == 8) return line[x];
  uint32_t value;
  std::memcpy(&value, line + 4 * x, 4);
  return value;
}

// The device context of a surface: bitmaps drawn through it land on the surface.
class TSoftSurface::TDc final : public TDeviceContext {
public:
  explicit TDc(TSoftSurface& surface) : m_surface(surface) {}
  void DrawBitmap(const TBitmap& bitmap, int32_t x, int32_t y) override {
    m_surface.drawBitmap(bitmap, x, y);
  }

private:
  TSoftSurface& m_surface;
};

TSoftSurface::TSoftSurface(TSoftDirectDraw* owner, Kind kind, int32_t width, int32_t height,
                           int32_t bitsPerPixel)
    : m_owner(owner), m_kind(kind), m_width(width), m_height(height),
      m_bitsPerPixel(bitsPerPixel), m_pitch(width * bitsPerPixel / 8),
      m_pixels(static_cast<std::size_t>(m_pitch) * height), m_dc(new TDc(*this)) {
  m_owner->AddRef();
}

TSoftSurface::~TSoftSurface() {
  if (m_kind == Kind::Primary) m_owner->primaryGone(this);
  if (m_back) m_back->Release();
  if (m_clipper) m_clipper->Release();
  if (m_palette) m_palette->Release();
  delete m_dc;
  m_owner->Release();
}

void TSoftSurface::attachBackBuffer(TSoftSurface* back) { m_back = back; }

bool TSoftSurface::lost() {
  if (m_kind != Kind::Offscreen && m_owner->fullScreen() && m_owner->exclusiveInactive())
    m_lost = true;
  return m_lost;
}

TPixelView TSoftSurface::Pixels() const {
  return {m_pixels.data(), m_width, m_height, m_pitch, m_bitsPerPixel};
}

const PALETTEENTRY* TSoftSurface::shownPalette() const {
  return m_palette ? m_palette->entries() : m_owner->defaultPalette();
}

HRESULT TSoftSurface::clip(RECT& dest, RECT* source) const {
  if (!m_clipper) {
    if (!inside(dest, bounds())) return DDERR_INVALIDRECT;
    return DD_OK;
  }
  RECT area = bounds();
  if (m_clipper->window()) intersect(area, m_clipper->window()->ClientScreenRect());
  RECT cut = dest;
  if (!intersect(cut, area)) {
    dest = {dest.left, dest.top, dest.left, dest.top};
    return DD_OK;
  }
  if (source) {
    source->left += cut.left - dest.left;
    source->top += cut.top - dest.top;
    source->right -= dest.right - cut.right;
    source->bottom -= dest.bottom - cut.bottom;
  }
  dest = cut;
  return DD_OK;
}

void TSoftSurface::shown(const RECT& rect) {
  if (m_kind != Kind::Primary || m_owner->fullScreen() || rect.width() <= 0 || rect.height() <= 0)
    return;
  if (m_clipper && m_clipper->window()) m_clipper->window()->ShowScreen(Pixels(), rect);
}

void TSoftSurface::fill(const RECT& rect, uint32_t color) {
  changed();
  if (rect.width() <= 0 || rect.height() <= 0) return;
  const int32_t bytes = m_bitsPerPixel / 8;
  const std::size_t rowBytes = static_cast<std::size_t>(rect.width()) * bytes;
  uint8_t* first = row(rect.top) + rect.left * bytes;
  if (bytes == 1) {
    std::memset(first, static_cast<uint8_t>(color), rowBytes);
  } else {
    auto* line = reinterpret_cast<uint32_t*>(first);
    std::fill(line, line + rect.width(), color);
  }
  // The other rows are copies of the first, which the wide copy does faster than a fill.
  for (int32_t y = rect.top + 1; y < rect.bottom; ++y) std::memcpy(row(y) + rect.left * bytes, first, rowBytes);
}

const TOpaqueSpans& TSoftSurface::opaqueSpans(uint32_t key) {
  if (!m_spans || m_spans->key() != key || m_spansVersion != m_version) {
    m_spans = std::make_unique<TOpaqueSpans>(Pixels(), key);
    m_spansVersion = m_version;
  }
  return *m_spans;
}

void TSoftSurface::copy(int32_t x, int32_t y, TSoftSurface& source, const RECT& sourceRect,
                        std::optional<uint32_t> key) {
  changed();
  const int32_t bytes = m_bitsPerPixel / 8;
  // A keyed copy from another surface copies the source's opaque runs whole.
  if (key && &source != this) {
    source.opaqueSpans(*key).copy(source.Pixels(), sourceRect, row(y) + x * bytes, m_pitch);
    return;
  }
  const int32_t count = sourceRect.width();
  // A surface copied onto itself: rows are taken in the order that never reads a row already
  // overwritten.
  const bool upwards = &source == this && y > sourceRect.top;
  for (int32_t i = 0; i < sourceRect.height(); ++i) {
    int32_t r = upwards ? sourceRect.height() - 1 - i : i;
    uint8_t* to = row(y + r) + x * bytes;
    const uint8_t* from = source.row(sourceRect.top + r) + sourceRect.left * bytes;
    if (bytes == 1)
      copyRow(to, from, count, key);
    else
      copyRow(reinterpret_cast<uint32_t*>(to), reinterpret_cast<const uint32_t*>(from), count, key);
  }
}

HRESULT TSoftSurface::checkSource(TSoftSurface* source) {
  if (!source) return DDERR_INVALIDPARAMS;
  if (source->lost()) return DDERR_SURFACELOST;
  if (source->m_dcTaken) return DDERR_SURFACEBUSY;
  if (source->m_bitsPerPixel != m_bitsPerPixel) return DDERR_INVALIDPIXELFORMAT;
  return DD_OK;
}

HRESULT TSoftSurface::sourceKey(const TSoftSurface& source, bool keyed,
                                std::optional<uint32_t>& key) const {
  if (!keyed) return DD_OK;
  if (!source.m_colorKey) return DDERR_NOCOLORKEY;
  key = source.m_colorKey;
  return DD_OK;
}

HRESULT TSoftSurface::Blt(const RECT* destRect, IDirectDrawSurface* sourceSurface,
                          const RECT* sourceRect, uint32_t flags, const DDBLTFX* effects) {
  if (lost()) return DDERR_SURFACELOST;
  if (m_dcTaken) return DDERR_SURFACEBUSY;
  RECT dest = destRect ? *destRect : bounds();
  if (flags & DDBLT_COLORFILL) {
    if (!effects || effects->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
    if (HRESULT r = clip(dest, nullptr); r != DD_OK) return r;
    fill(dest, effects->dwFillColor);
    shown(dest);
    return DD_OK;
  }
  auto* source = static_cast<TSoftSurface*>(sourceSurface);
  if (HRESULT r = checkSource(source); r != DD_OK) return r;
  RECT src = sourceRect ? *sourceRect : source->bounds();
  if (!inside(src, source->bounds())) return DDERR_INVALIDRECT;
  if (src.width() != dest.width() || src.height() != dest.height()) return DDERR_NOSTRETCHHW;
  std::optional<uint32_t> key;
  if (HRESULT r = sourceKey(*source, flags & DDBLT_KEYSRC, key); r != DD_OK) return r;
  if (HRESULT r = clip(dest, &src); r != DD_OK) return r;
  if (dest.width() <= 0 || dest.height() <= 0) return DD_OK;
  copy(dest.left, dest.top, *source, src, key);
  shown(dest);
  return DD_OK;
}

HRESULT TSoftSurface::BltFast(int32_t x, int32_t y, IDirectDrawSurface* sourceSurface,
                              const RECT* sourceRect, uint32_t trans) {
  if (lost()) return DDERR_SURFACELOST;
  if (m_clipper) return DDERR_BLTFASTCANTCLIP;
  if (m_dcTaken) return DDERR_SURFACEBUSY;
  auto* source = static_cast<TSoftSurface*>(sourceSurface);
  if (HRESULT r = checkSource(source); r != DD_OK) return r;
  RECT src = sourceRect ? *sourceRect : source->bounds();
  RECT dest{x, y, x + src.width(), y + src.height()};
  if (!inside(src, source->bounds()) || !inside(dest, bounds())) return DDERR_INVALIDRECT;
  std::optional<uint32_t> key;
  if (HRESULT r = sourceKey(*source, trans & DDBLTFAST_SRCCOLORKEY, key); r != DD_OK) return r;
  copy(x, y, *source, src, key);
  shown(dest);
  return DD_OK;
}

HRESULT TSoftSurface::Flip(IDirectDrawSurface* targetOverride, uint32_t) {
  if (targetOverride) return DDERR_UNSUPPORTED;
  if (m_kind != Kind::Primary || !m_back) return DDERR_NOTFLIPPABLE;
  if (lost() || m_back->lost()) return DDERR_SURFACELOST;
  std::swap(m_pixels, m_back->m_pixels);
  changed();
  m_back->changed();
  m_flipped = !m_flipped;
  m_owner->presentFrame();
  return DD_OK;
}

void TSoftSurface::flipToGdi() {
  if (!m_flipped || !m_back) return;
  std::swap(m_pixels, m_back->m_pixels);
  changed();
  m_back->changed();
  m_flipped = false;
}

HRESULT TSoftSurface::GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached) {
  if (!caps || !attached) return DDERR_INVALIDPARAMS;
  if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || !m_back) return DDERR_NOTFOUND;
  // The back buffer belongs to its flip chain: the caller gets it without a reference of its
  // own and never releases it.
  *attached = m_back;
  return DD_OK;
}

HRESULT TSoftSurface::GetSurfaceDesc(DDSURFACEDESC* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  *desc = DDSURFACEDESC{};
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<uint32_t>(m_width);
  desc->dwHeight = static_cast<uint32_t>(m_height);
  desc->lPitch = m_pitch;
  desc->ddpfPixelFormat.dwFlags = m_bitsPerPixel == 8 ? DDPF_PALETTEINDEXED8 : DDPF_RGB;
  desc->ddpfPixelFormat.dwRGBBitCount = static_cast<uint32_t>(m_bitsPerPixel);
  switch (m_kind) {
  case Kind::Primary:
    desc->ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (m_back ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
    break;
  case Kind::BackBuffer: desc->ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP; break;
  default: desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  }
  return DD_OK;
}

HRESULT TSoftSurface::IsLost() { return lost() ? DDERR_SURFACELOST : DD_OK; }

HRESULT TSoftSurface::Restore() {
  m_lost = false;
  if (m_kind == Kind::Primary && m_back) m_back->m_lost = false;
  return DD_OK;
}

HRESULT TSoftSurface::SetColorKey(uint32_t flags, const DDCOLORKEY* key) {
  if (lost()) return DDERR_SURFACELOST;
  if (flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
  if (key)
    m_colorKey = key->dwColorSpaceLowValue;
  else
    m_colorKey.reset();
  return DD_OK;
}

HRESULT TSoftSurface::SetClipper(IDirectDrawClipper* clipper) {
  if (clipper) clipper->AddRef();
  if (m_clipper) m_clipper->Release();
  m_clipper = static_cast<TSoftClipper*>(clipper);
  return DD_OK;
}

HRESULT TSoftSurface::SetPalette(IDirectDrawPalette* palette) {
  if (m_bitsPerPixel != 8) return DDERR_NOTPALETTIZED;
  if (palette) palette->AddRef();
  if (m_palette) m_palette->Release();
  m_palette = static_cast<TSoftPalette*>(palette);
  if (m_kind == Kind::Primary) m_owner->presentFrame();
  return DD_OK;
}

HRESULT TSoftSurface::GetDC(HDC* dc) {
  if (!dc) return DDERR_INVALIDPARAMS;
  if (lost()) return DDERR_SURFACELOST;
  if (m_dcTaken) return DDERR_DCALREADYCREATED;
  m_dcTaken = true;
  *dc = m_dc;
  return DD_OK;
}

HRESULT TSoftSurface::ReleaseDC(HDC dc) {
  if (!m_dcTaken || dc != m_dc) return DDERR_NODC;
  m_dcTaken = false;
  return DD_OK;
}

void TSoftSurface::drawBitmap(const TBitmap& bitmap, int32_t x, int32_t y) {
  RECT area{x, y, x + bitmap.width, y + bitmap.height};
  if (!intersect(area, bounds())) return;
  changed();
  std::vector<uint8_t> tableIndex;
  std::unordered_map<uint32_t, uint8_t> nearest;
  const PALETTEENTRY* palette = m_owner->displayPalette();
  if (m_bitsPerPixel == 8 && bitmap.indexed())
    for (uint32_t c : bitmap.colorTable) tableIndex.push_back(nearestEntry(c, palette));
  for (int32_t dy = area.top; dy < area.bottom; ++dy) {
    for (int32_t dx = area.left; dx < area.right; ++dx) {
      const int32_t bx = dx - x, by = dy - y;
      if (m_bitsPerPixel == 32) {
        reinterpret_cast<uint32_t*>(row(dy))[dx] = bitmap.color(bx, by);
        continue;
      }
      uint8_t index;
      if (bitmap.indexed()) {
        uint8_t i = bitmap.indexes[static_cast<std::size_t>(by) * bitmap.width + bx];
        index = i < tableIndex.size() ? tableIndex[i] : 0;
      } else {
        uint32_t c = bitmap.color(bx, by);
        auto found = nearest.find(c);
        index = found != nearest.end() ? found->second : (nearest[c] = nearestEntry(c, palette));
      }
      row(dy)[dx] = index;
    }
  }
}

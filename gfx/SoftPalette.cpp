#include "gfx/SoftPalette.h"

#include "gfx/SoftDirectDraw.h"

#include <algorithm>

TSoftPalette::TSoftPalette(TSoftDirectDraw* owner, const PALETTEENTRY* entries) : m_owner(owner) {
  m_owner->AddRef();
  std::copy(entries, entries + 256, m_entries);
}

TSoftPalette::~TSoftPalette() { m_owner->Release(); }

HRESULT TSoftPalette::GetEntries(uint32_t flags, uint32_t base, uint32_t count,
                                 PALETTEENTRY* entries) {
  if (flags != 0 || !entries || base > 256 || count > 256 - base) return DDERR_INVALIDPARAMS;
  std::copy(m_entries + base, m_entries + base + count, entries);
  return DD_OK;
}

HRESULT TSoftPalette::SetEntries(uint32_t flags, uint32_t start, uint32_t count,
                                 const PALETTEENTRY* entries) {
  if (flags != 0 || !entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
  std::copy(entries, entries + count, m_entries + start);
  m_owner->paletteChanged(this);
  return DD_OK;
}

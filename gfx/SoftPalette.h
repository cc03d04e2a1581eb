#pragma once

#include "gfx/ComObject.h"
#include "gfx/DDraw3.h"

class TSoftDirectDraw;

// A 256-entry palette. Changing the entries of the palette that the full-screen primary
// shows changes the colours on screen at once.
class TSoftPalette final : public TComObject<IDirectDrawPalette> {
public:
  TSoftPalette(TSoftDirectDraw* owner, const PALETTEENTRY* entries);

  HRESULT GetEntries(uint32_t flags, uint32_t base, uint32_t count, PALETTEENTRY* entries) override;
  HRESULT SetEntries(uint32_t flags, uint32_t start, uint32_t count,
                     const PALETTEENTRY* entries) override;

  const PALETTEENTRY* entries() const { return m_entries; }

private:
  ~TSoftPalette() override;

  TSoftDirectDraw* m_owner;
  PALETTEENTRY m_entries[256];
};

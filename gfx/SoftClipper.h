#pragma once

#include "gfx/ComObject.h"
#include "gfx/DDraw3.h"

// Keeps blits onto the surface it is attached to inside a window's client area.
class TSoftClipper final : public TComObject<IDirectDrawClipper> {
public:
  HRESULT SetHWnd(uint32_t flags, HWND window) override;
  HRESULT GetHWnd(HWND* window) override;

  HWND window() const { return m_window; }

private:
  ~TSoftClipper() override = default;

  HWND m_window = nullptr;
};

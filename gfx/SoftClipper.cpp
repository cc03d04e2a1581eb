#include "gfx/SoftClipper.h"

HRESULT TSoftClipper::SetHWnd(uint32_t flags, HWND window) {
  if (flags != 0) return DDERR_INVALIDPARAMS;
  m_window = window;
  return DD_OK;
}

HRESULT TSoftClipper::GetHWnd(HWND* window) {
  if (!window) return DDERR_INVALIDPARAMS;
  if (!m_window) return DDERR_NOHWND;
  *window = m_window;
  return DD_OK;
}

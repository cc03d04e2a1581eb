#include "gfx/DXCanvas.h"

#include "gfx/DXError.h"

TDXCanvas::TDXCanvas(IDirectDrawSurface* surface) : m_surface(surface) {
  if (!m_surface) throw EDXError("No surface for canvas");
  m_surface->AddRef();
}

TDXCanvas::~TDXCanvas() {
  ReleaseHandle();
  m_surface->Release();
}

void TDXCanvas::Draw(int32_t x, int32_t y, const TBitmap& bitmap) {
  if (!m_dc) m_surface->GetDC(&m_dc);
  if (m_dc) m_dc->DrawBitmap(bitmap, x, y);
}

void TDXCanvas::ReleaseHandle() {
  if (!m_dc) return;
  m_surface->ReleaseDC(m_dc);
  m_dc = nullptr;
}

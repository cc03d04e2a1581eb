#include "gfx/TextWriter.h"

#include "gfx/DX.h"
#include "gfx/DXSurface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int32_t next(int32_t phase) { return phase == 719 ? 0 : phase + 1; }

// Narrows a surface's clip rectangle for a scope, and puts it back however the scope ends.
class TClipScope {
public:
  TClipScope(TDXSurface& surface, const RECT& box) : m_surface(surface), m_saved(surface.ClipRect) {
    RECT& clip = surface.ClipRect;
    clip = {std::max(clip.left, box.left), std::max(clip.top, box.top), std::min(clip.right, box.right),
            std::min(clip.bottom, box.bottom)};
  }
  ~TClipScope() { m_surface.ClipRect = m_saved; }
  TClipScope(const TClipScope&) = delete;
  TClipScope& operator=(const TClipScope&) = delete;

private:
  TDXSurface& m_surface;
  RECT m_saved;
};

} // namespace

TTextWriter::TTextWriter(int32_t x, int32_t y, TDX* display) : TText(display), X(x), Y(y) {
  for (std::size_t i = 0; i < Wave.size(); ++i)
    Wave[i] = static_cast<int32_t>(std::lround(std::sin(i / std::numbers::pi) * 5 + 10));
}

void TTextWriter::Update() {
  if (!Lines.empty()) {
    if (static_cast<int32_t>(Lines.front().size()) > Shown) {
      ++Shown;
    } else if (--Countdown == 0) {
      Lines.pop_front();
      Countdown = HoldTime;
      Shown = 0;
    }
  }
  PhaseX = next(PhaseX);
  PhaseY = next(PhaseY);
}

void TTextWriter::Draw() const {
  if (Shown == 0 || Lines.empty()) return;
  const std::string& line = Lines.front();
  TClipScope clip(*Display->Back, Box);
  int32_t i = PhaseX, j = PhaseY;
  for (int32_t k = 0; k < Shown && k < static_cast<int32_t>(line.size()); ++k) {
    Write(X + Wave[i] + 8 * k, Y + Wave[j], std::string(1, line[k]));
    i = next(i);
    j = next(j);
  }
}

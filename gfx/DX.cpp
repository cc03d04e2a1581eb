#include "gfx/DX.h"

#include "gfx/DXError.h"
#include "gfx/DXImageObject.h"
#include "gfx/DXSurface.h"
#include "gfx/DisplayWindow.h"

#include <stdexcept>

namespace {

constexpr uint8_t kWindowed = 4;
constexpr uint32_t kFullScreenLevel =
    DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;

struct Size {
  uint32_t width, height;
};
constexpr Size kModeSizes[] = {{640, 480}, {320, 200}, {800, 600}, {1024, 768}};

template <typename T> void release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

} // namespace

TDX::TDX(TDisplayWindow* form, TDisplayWindow* panel)
    : Form(form), Panel(panel), SavedBounds(form->Bounds()) {
  InitPalette();
}

TDX::~TDX() {
  Back.reset();
  Primary.reset();
  releasePaletteAndClipper();
  FreeImages();
  if (DirectDraw) {
    DirectDraw->RestoreDisplayMode();
    release(DirectDraw);
  }
  Form->Close();
  Form->SetCursorVisible(true);
}

void TDX::InitPalette() {
  GetSystemPaletteEntries(0, 10, PaletteEntries);
  GetSystemPaletteEntries(246, 10, PaletteEntries + 246);
  for (int i = 10; i < 246; ++i)
    PaletteEntries[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
}

void TDX::releasePaletteAndClipper() {
  release(Palette);
  release(Clipper);
}

void TDX::FreeImages() {
  for (auto& image : Images) image.reset();
  ImageCount = 0;
}

void TDX::SetMode(uint8_t mode) {
  if (DirectDraw && mode == Mode) return;
  if (DirectDraw)
    leaveMode();
  else
    DDCheck(DirectDrawCreate(nullptr, &DirectDraw, nullptr), "Cannot initialize DirectDraw");
  Mode = mode;
  if (Mode == kWindowed)
    enterWindowed();
  else
    enterFullScreen();
  // Every image gets a surface made for the new mode; the last one with a palette sets it.
  for (auto& image : Images)
    if (image) image->Load();
}

void TDX::leaveMode() {
  if (Mode != kWindowed) {
    DDCheck(DirectDraw->FlipToGDISurface(), "Cannot flip to GDI");
    DDCheck(DirectDraw->RestoreDisplayMode(), "Cannot restore display mode");
    Form->SetBounds(SavedBounds);
  }
  releasePaletteAndClipper();
  Back.reset();
  Primary.reset();
}

void TDX::enterWindowed() {
  DDCheck(DirectDraw->SetCooperativeLevel(Panel, DDSCL_NORMAL), "Cannot set cooperative level");
  Primary = TDXSurface::CreatePrimary(this);
  Primary->OnLost = [this](TDXSurface& s) { RestoreFront(s); };
  Back = std::make_unique<TDXSurface>(this, Primary->Width, Primary->Height);
  Back->OnLost = [this](TDXSurface& s) { RestoreBack(s); };
  DDCheck(DirectDraw->CreateClipper(0, &Clipper, nullptr), "Cannot create DirectClipper");
  DDCheck(Clipper->SetHWnd(0, Panel), "Cannot assign Clipper to control");
  DDCheck(Primary->Surface->SetClipper(Clipper), "Cannot set Clipper");
  Back->Erase(0);
  Form->SetCursorVisible(true);
}

void TDX::enterFullScreen() {
  if (Mode >= std::size(kModeSizes)) throw std::invalid_argument("Unknown display mode");
  SavedBounds = Form->Bounds();
  DDCheck(DirectDraw->SetCooperativeLevel(Form, kFullScreenLevel), "Cannot set cooperative level");
  const Size size = kModeSizes[Mode];
  DDCheck(DirectDraw->SetDisplayMode(size.width, size.height, 8), "Cannot set display mode");
  Primary = TDXSurface::CreateFlipping(this);
  Primary->OnLost = [this](TDXSurface& s) { RestoreFront(s); };
  Back = TDXSurface::CreateAttached(*Primary);
  Back->OnLost = [this](TDXSurface& s) { RestoreBack(s); };
  // Both buffers black, and the window system's surface the visible one.
  DDCheck(DirectDraw->FlipToGDISurface(), "Cannot flip to GDI");
  Back->Erase(0);
  Flip();
  Back->Erase(0);
  DDCheck(DirectDraw->FlipToGDISurface(), "Cannot flip to GDI");
  SetPaletteEntries(PaletteEntries);
  Form->SetCursorVisible(false);
}

void TDX::Flip() {
  if (Mode == kWindowed) {
    RECT client = Panel->ClientScreenRect();
    Primary->Draw(client.left, client.top, false, {0, 0, client.width(), client.height()}, *Back);
    return;
  }
  HRESULT result = Primary->Surface->Flip(nullptr, DDFLIP_WAIT);
  // The full-screen window lost the focus: the buffers come back, the next frame redraws them.
  if (result == DDERR_SURFACELOST) {
    RestoreFront(*Primary);
    return;
  }
  DDCheck(result, "Cannot Flip");
}

void TDX::SetPaletteEntries(const PALETTEENTRY* entries) {
  if (entries != PaletteEntries) std::copy(entries, entries + 256, PaletteEntries);
  if (Mode == kWindowed) return;
  if (Palette) {
    DDCheck(Palette->SetEntries(0, 0, 256, PaletteEntries), "Cannot set palette entries");
    return;
  }
  DDCheck(DirectDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, PaletteEntries, &Palette, nullptr),
          "Cannot create palette");
  DDCheck(Primary->Surface->SetPalette(Palette), "Cannot set palette");
}

int32_t TDX::AddImage(std::unique_ptr<TDXImageObject> image) {
  if (ImageCount >= kImageSlots) throw EDXError("No room for another image");
  Images[ImageCount] = std::move(image);
  return ImageCount++;
}

void TDX::RestoreFront(TDXSurface&) {
  if (Primary->IsLost()) DDCheck(Primary->Surface->Restore(), "Cannot restore front surface");
}

void TDX::RestoreBack(TDXSurface&) {
  if (Back->IsLost()) DDCheck(Back->Surface->Restore(), "Cannot restore back surface");
}

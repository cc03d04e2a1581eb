#pragma once

#include <cstdint>

// A software implementation of the DirectDraw calls the display device and its surfaces use,
// with DirectDraw's result codes, flags and record layouts. Surfaces are pixel buffers in the
// display's format: 8-bit palette indexes in the full-screen modes, 32-bit XRGB in a window.
// What a window handle stands for is a TDisplayWindow: the Qt game panel, or an in-memory
// window in tests. Objects are reference counted as in COM: AddRef and Release, the last
// Release frees. No call takes a lock; all run on one thread (the game window's).

class TDisplayWindow;
using HWND = TDisplayWindow*;
using HRESULT = int32_t;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88760005u);
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = static_cast<HRESULT>(0x8876000Au);
constexpr HRESULT DDERR_CANNOTDETACHSURFACE = static_cast<HRESULT>(0x88760014u);
constexpr HRESULT DDERR_CURRENTLYNOTAVAIL = static_cast<HRESULT>(0x88760028u);
constexpr HRESULT DDERR_EXCEPTION = static_cast<HRESULT>(0x88760037u);
constexpr HRESULT DDERR_HEIGHTALIGN = static_cast<HRESULT>(0x8876005Au);
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = static_cast<HRESULT>(0x8876005Fu);
constexpr HRESULT DDERR_INVALIDCAPS = static_cast<HRESULT>(0x88760064u);
constexpr HRESULT DDERR_INVALIDCLIPLIST = static_cast<HRESULT>(0x8876006Eu);
constexpr HRESULT DDERR_INVALIDMODE = static_cast<HRESULT>(0x88760078u);
constexpr HRESULT DDERR_INVALIDOBJECT = static_cast<HRESULT>(0x88760082u);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = static_cast<HRESULT>(0x88760091u);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT DDERR_LOCKEDSURFACES = static_cast<HRESULT>(0x887600A0u);
constexpr HRESULT DDERR_NO3D = static_cast<HRESULT>(0x887600AAu);
constexpr HRESULT DDERR_NOALPHAHW = static_cast<HRESULT>(0x887600B4u);
constexpr HRESULT DDERR_NOCLIPLIST = static_cast<HRESULT>(0x887600CDu);
constexpr HRESULT DDERR_NOCOLORCONVHW = static_cast<HRESULT>(0x887600D2u);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = static_cast<HRESULT>(0x887600D4u);
constexpr HRESULT DDERR_NOCOLORKEY = static_cast<HRESULT>(0x887600D7u);
constexpr HRESULT DDERR_NOCOLORKEYHW = static_cast<HRESULT>(0x887600DCu);
constexpr HRESULT DDERR_NODIRECTDRAWSUPPORT = static_cast<HRESULT>(0x887600DEu);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = static_cast<HRESULT>(0x887600E1u);
constexpr HRESULT DDERR_NOFLIPHW = static_cast<HRESULT>(0x887600E6u);
constexpr HRESULT DDERR_NOGDI = static_cast<HRESULT>(0x887600F0u);
constexpr HRESULT DDERR_NOMIRRORHW = static_cast<HRESULT>(0x887600FAu);
constexpr HRESULT DDERR_NOTFOUND = static_cast<HRESULT>(0x887600FFu);
constexpr HRESULT DDERR_NOOVERLAYHW = static_cast<HRESULT>(0x88760104u);
constexpr HRESULT DDERR_NORASTEROPHW = static_cast<HRESULT>(0x88760118u);
constexpr HRESULT DDERR_NOROTATIONHW = static_cast<HRESULT>(0x88760122u);
constexpr HRESULT DDERR_NOSTRETCHHW = static_cast<HRESULT>(0x88760136u);
constexpr HRESULT DDERR_NOT4BITCOLOR = static_cast<HRESULT>(0x8876013Cu);
constexpr HRESULT DDERR_NOT4BITCOLORINDEX = static_cast<HRESULT>(0x8876013Du);
constexpr HRESULT DDERR_NOT8BITCOLOR = static_cast<HRESULT>(0x88760140u);
constexpr HRESULT DDERR_NOTEXTUREHW = static_cast<HRESULT>(0x8876014Au);
constexpr HRESULT DDERR_NOVSYNCHW = static_cast<HRESULT>(0x8876014Fu);
constexpr HRESULT DDERR_NOZBUFFERHW = static_cast<HRESULT>(0x88760154u);
constexpr HRESULT DDERR_NOZOVERLAYHW = static_cast<HRESULT>(0x8876015Eu);
constexpr HRESULT DDERR_OUTOFCAPS = static_cast<HRESULT>(0x88760168u);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT DDERR_OVERLAYCANTCLIP = static_cast<HRESULT>(0x8876017Eu);
constexpr HRESULT DDERR_OVERLAYCOLORKEYONLYONEACTIVE = static_cast<HRESULT>(0x88760180u);
constexpr HRESULT DDERR_PALETTEBUSY = static_cast<HRESULT>(0x88760183u);
constexpr HRESULT DDERR_COLORKEYNOTSET = static_cast<HRESULT>(0x88760190u);
constexpr HRESULT DDERR_SURFACEALREADYATTACHED = static_cast<HRESULT>(0x8876019Au);
constexpr HRESULT DDERR_SURFACEALREADYDEPENDENT = static_cast<HRESULT>(0x887601A4u);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEu);
constexpr HRESULT DDERR_CANTLOCKSURFACE = static_cast<HRESULT>(0x887601B3u);
constexpr HRESULT DDERR_SURFACEISOBSCURED = static_cast<HRESULT>(0x887601B8u);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_SURFACENOTATTACHED = static_cast<HRESULT>(0x887601CCu);
constexpr HRESULT DDERR_TOOBIGHEIGHT = static_cast<HRESULT>(0x887601D6u);
constexpr HRESULT DDERR_TOOBIGSIZE = static_cast<HRESULT>(0x887601E0u);
constexpr HRESULT DDERR_TOOBIGWIDTH = static_cast<HRESULT>(0x887601EAu);
constexpr HRESULT DDERR_UNSUPPORTEDFORMAT = static_cast<HRESULT>(0x887601FEu);
constexpr HRESULT DDERR_UNSUPPORTEDMASK = static_cast<HRESULT>(0x88760208u);
constexpr HRESULT DDERR_VERTICALBLANKINPROGRESS = static_cast<HRESULT>(0x88760219u);
constexpr HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021Cu);
constexpr HRESULT DDERR_XALIGN = static_cast<HRESULT>(0x88760230u);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = static_cast<HRESULT>(0x88760231u);
constexpr HRESULT DDERR_DIRECTDRAWALREADYCREATED = static_cast<HRESULT>(0x88760232u);
constexpr HRESULT DDERR_NODIRECTDRAWHW = static_cast<HRESULT>(0x88760233u);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = static_cast<HRESULT>(0x88760234u);
constexpr HRESULT DDERR_NOEMULATION = static_cast<HRESULT>(0x88760235u);
constexpr HRESULT DDERR_REGIONTOOSMALL = static_cast<HRESULT>(0x88760236u);
constexpr HRESULT DDERR_CLIPPERISUSINGHWND = static_cast<HRESULT>(0x88760237u);
constexpr HRESULT DDERR_NOCLIPPERATTACHED = static_cast<HRESULT>(0x88760238u);
constexpr HRESULT DDERR_NOHWND = static_cast<HRESULT>(0x88760239u);
constexpr HRESULT DDERR_HWNDSUBCLASSED = static_cast<HRESULT>(0x8876023Au);
constexpr HRESULT DDERR_HWNDALREADYSET = static_cast<HRESULT>(0x8876023Bu);
constexpr HRESULT DDERR_NOPALETTEATTACHED = static_cast<HRESULT>(0x8876023Cu);
constexpr HRESULT DDERR_NOPALETTEHW = static_cast<HRESULT>(0x8876023Du);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = static_cast<HRESULT>(0x8876023Eu);
constexpr HRESULT DDERR_NOBLTHW = static_cast<HRESULT>(0x8876023Fu);
constexpr HRESULT DDERR_NODDROPSHW = static_cast<HRESULT>(0x88760240u);
constexpr HRESULT DDERR_OVERLAYNOTVISIBLE = static_cast<HRESULT>(0x88760241u);
constexpr HRESULT DDERR_NOOVERLAYDEST = static_cast<HRESULT>(0x88760242u);
constexpr HRESULT DDERR_INVALIDPOSITION = static_cast<HRESULT>(0x88760243u);
constexpr HRESULT DDERR_NOTAOVERLAYSURFACE = static_cast<HRESULT>(0x88760244u);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = static_cast<HRESULT>(0x88760245u);
constexpr HRESULT DDERR_NOTFLIPPABLE = static_cast<HRESULT>(0x88760246u);
constexpr HRESULT DDERR_CANTDUPLICATE = static_cast<HRESULT>(0x88760247u);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x88760248u);
constexpr HRESULT DDERR_CANTCREATEDC = static_cast<HRESULT>(0x88760249u);
constexpr HRESULT DDERR_NODC = static_cast<HRESULT>(0x8876024Au);
constexpr HRESULT DDERR_WRONGMODE = static_cast<HRESULT>(0x8876024Bu);
constexpr HRESULT DDERR_IMPLICITLYCREATED = static_cast<HRESULT>(0x8876024Cu);
constexpr HRESULT DDERR_NOTPALETTIZED = static_cast<HRESULT>(0x8876024Du);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = static_cast<HRESULT>(0x8876024Eu);
constexpr HRESULT DDERR_NOMIPMAPHW = static_cast<HRESULT>(0x8876024Fu);
constexpr HRESULT DDERR_INVALIDSURFACETYPE = static_cast<HRESULT>(0x88760250u);
constexpr HRESULT DDERR_DCALREADYCREATED = static_cast<HRESULT>(0x8876026Cu);
constexpr HRESULT DDERR_CANTPAGELOCK = static_cast<HRESULT>(0x88760280u);
constexpr HRESULT DDERR_CANTPAGEUNLOCK = static_cast<HRESULT>(0x88760294u);
constexpr HRESULT DDERR_NOTPAGELOCKED = static_cast<HRESULT>(0x887602A8u);

constexpr uint32_t DDSCL_FULLSCREEN = 0x00000001;
constexpr uint32_t DDSCL_ALLOWREBOOT = 0x00000002;
constexpr uint32_t DDSCL_NORMAL = 0x00000008;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x00000010;
constexpr uint32_t DDSCL_ALLOWMODEX = 0x00000040;

constexpr uint32_t DDSD_CAPS = 0x00000001;
constexpr uint32_t DDSD_HEIGHT = 0x00000002;
constexpr uint32_t DDSD_WIDTH = 0x00000004;
constexpr uint32_t DDSD_PIXELFORMAT = 0x00001000;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x00000020;

constexpr uint32_t DDSCAPS_BACKBUFFER = 0x00000004;
constexpr uint32_t DDSCAPS_COMPLEX = 0x00000008;
constexpr uint32_t DDSCAPS_FLIP = 0x00000010;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x00000200;

constexpr uint32_t DDPCAPS_8BIT = 0x00000004;
constexpr uint32_t DDPCAPS_ALLOW256 = 0x00000040;

constexpr uint32_t DDCKEY_SRCBLT = 0x00000008;

constexpr uint32_t DDBLT_COLORFILL = 0x00000400;
constexpr uint32_t DDBLT_KEYSRC = 0x00008000;
constexpr uint32_t DDBLT_WAIT = 0x01000000;

constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr uint32_t DDBLTFAST_WAIT = 0x00000010;

constexpr uint32_t DDFLIP_WAIT = 0x00000001;

constexpr uint32_t DDPF_RGB = 0x00000040;
constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x00000020;

struct RECT {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool operator==(const RECT&) const = default;
};

struct PALETTEENTRY {
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
  bool operator==(const PALETTEENTRY&) const = default;
};
static_assert(sizeof(PALETTEENTRY) == 4);

struct DDCOLORKEY {
  uint32_t dwColorSpaceLowValue = 0;
  uint32_t dwColorSpaceHighValue = 0;
};

struct DDSCAPS {
  uint32_t dwCaps = 0;
};

struct DDPIXELFORMAT {
  uint32_t dwSize = 32;
  uint32_t dwFlags = 0;
  uint32_t dwFourCC = 0;
  uint32_t dwRGBBitCount = 0;
  uint32_t dwRBitMask = 0, dwGBitMask = 0, dwBBitMask = 0, dwRGBAlphaBitMask = 0;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

// The surface description, 108 bytes as in DirectDraw 3 (the surface pointer is 32 bits
// wide there and is never used here).
struct DDSURFACEDESC {
  uint32_t dwSize = 108;
  uint32_t dwFlags = 0;
  uint32_t dwHeight = 0;
  uint32_t dwWidth = 0;
  int32_t lPitch = 0;
  uint32_t dwBackBufferCount = 0;
  uint32_t dwRefreshRate = 0;
  uint32_t dwAlphaBitDepth = 0;
  uint32_t dwReserved = 0;
  uint32_t lpSurface = 0;
  DDCOLORKEY ddckCKDestOverlay, ddckCKDestBlt, ddckCKSrcOverlay, ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};
static_assert(sizeof(DDSURFACEDESC) == 108);

// The effects record of Blt, 100 bytes; only the size and the fill colour are used.
struct DDBLTFX {
  uint32_t dwSize = 100;
  uint32_t dwDDFX = 0, dwROP = 0, dwDDROP = 0, dwRotationAngle = 0, dwZBufferOpCode = 0;
  uint32_t dwZBufferLow = 0, dwZBufferHigh = 0, dwZBufferBaseDest = 0, dwZDestConstBitDepth = 0;
  uint32_t dwZDestConst = 0, dwZSrcConstBitDepth = 0, dwZSrcConst = 0;
  uint32_t dwAlphaEdgeBlendBitDepth = 0, dwAlphaEdgeBlend = 0, dwReserved = 0;
  uint32_t dwAlphaDestConstBitDepth = 0, dwAlphaDestConst = 0, dwAlphaSrcConstBitDepth = 0;
  uint32_t dwAlphaSrcConst = 0;
  uint32_t dwFillColor = 0;
  DDCOLORKEY ddckDestColorkey, ddckSrcColorkey;
};
static_assert(sizeof(DDBLTFX) == 100);

struct TBitmap;

// What a device context stands for: drawing a bitmap onto a surface, its colours converted
// into the surface's format (exactly in 32-bit, to the nearest display palette entry in
// 8-bit).
class TDeviceContext {
public:
  virtual void DrawBitmap(const TBitmap& bitmap, int32_t x, int32_t y) = 0;

protected:
  ~TDeviceContext() = default;
};
using HDC = TDeviceContext*;

// A read-only look at a surface's pixels, for presentation and tests.
struct TPixelView {
  const uint8_t* bits = nullptr;
  int32_t width = 0, height = 0;
  int32_t pitch = 0; // bytes per row
  int32_t bitsPerPixel = 0;
  uint32_t pixel(int32_t x, int32_t y) const;
};

class IUnknownLike {
public:
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  virtual ~IUnknownLike() = default;
};

class IDirectDrawPalette : public IUnknownLike {
public:
  virtual HRESULT GetEntries(uint32_t flags, uint32_t base, uint32_t count,
                             PALETTEENTRY* entries) = 0;
  virtual HRESULT SetEntries(uint32_t flags, uint32_t start, uint32_t count,
                             const PALETTEENTRY* entries) = 0;
};

class IDirectDrawClipper : public IUnknownLike {
public:
  virtual HRESULT SetHWnd(uint32_t flags, HWND window) = 0;
  virtual HRESULT GetHWnd(HWND* window) = 0;
};

class IDirectDrawSurface : public IUnknownLike {
public:
  virtual HRESULT Blt(const RECT* destRect, IDirectDrawSurface* source, const RECT* sourceRect,
                      uint32_t flags, const DDBLTFX* effects) = 0;
  virtual HRESULT BltFast(int32_t x, int32_t y, IDirectDrawSurface* source,
                          const RECT* sourceRect, uint32_t trans) = 0;
  virtual HRESULT Flip(IDirectDrawSurface* targetOverride, uint32_t flags) = 0;
  virtual HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached) = 0;
  virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key) = 0;
  virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
  virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;

  // Not DirectDraw: the pixels, for presentation and read-back in tests, and a hook that makes
  // the surface lost as the loss of the full-screen window's activation does.
  virtual TPixelView Pixels() const = 0;
  virtual void MarkLost() = 0;
};

class IDirectDraw : public IUnknownLike {
public:
  virtual HRESULT SetCooperativeLevel(HWND window, uint32_t flags) = 0;
  virtual HRESULT SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT GetDisplayMode(DDSURFACEDESC* desc) = 0;
  virtual HRESULT FlipToGDISurface() = 0;
  virtual HRESULT CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                                void* outer) = 0;
  virtual HRESULT CreateClipper(uint32_t flags, IDirectDrawClipper** clipper, void* outer) = 0;
  virtual HRESULT CreatePalette(uint32_t flags, const PALETTEENTRY* entries,
                                IDirectDrawPalette** palette, void* outer) = 0;
};

// Makes the DirectDraw object of the default display; `driver` must be null (no other
// driver exists), `outer` too.
HRESULT DirectDrawCreate(const void* driver, IDirectDraw** directDraw, void* outer);

// The window system's static colours: the first and last ten entries of its palette.
void GetSystemPaletteEntries(uint32_t start, uint32_t count, PALETTEENTRY* entries);

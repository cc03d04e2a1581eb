// bench_blit [data folder]: one game frame's drawing (the field's background, 264 cubes, the
// four console panels, 40 glyphs and 21 bubbles) done by our display API as the game calls it
// (EraseRect and DrawImage on the back surface), against SDL 2 on its fastest software path:
// the same pixels as SDL surfaces converted to the destination's format, colour-keyed with
// SDL_RLEACCEL, and the background by a fill or by a blit of a prepared surface, whichever is
// faster. Both sides draw the same frame on equal surfaces, and their results are compared
// pixel for pixel before anything is timed. The rounds interleave the two sides; the figures
// are medians over the rounds: time per frame and our time over SDL's, for the whole frame and
// for the colour-keyed blits alone, in 8-bit (full screen) and 32-bit (window), and the time
// of our frame drawn, shown (Flip) and painted on the game's panel (Qt's offscreen platform
// unless QT_QPA_PLATFORM says otherwise). Reads the game's bitmaps from the folder given (the
// build folder by default, where the art generator writes them).

#include "controls/DXPanel.h"
#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"

#include <QApplication>

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 30;
constexpr int kFramesPerRound = 200;
constexpr uint8_t kFullScreen8 = 0;
constexpr uint8_t kWindowed32 = 4;
constexpr uint32_t kFieldColor = 70;

struct Sprite {
  const char* file;
  int frameWidth, frameHeight;
};

const Sprite kCube{"cube_blue.bmp", 20, 20};
const Sprite kPanels[] = {{"panel_header.bmp", 240, 46},
                          {"panel_score.bmp", 174, 145},
                          {"panel_border.bmp", 6, 132},
                          {"panel_bottom.bmp", 240, 86}};
const int kPanelX[] = {350, 350, 584, 350};
const int kPanelY[] = {35, 81, 80, 360};
const Sprite kFont{"font_large.bmp", 8, 8};
const Sprite kBubble{"bubble.bmp", 20, 20};
const RECT kField{25, 25, 225, 445};

// One drawing call of a frame: image slot, frame number and where it goes.
struct Blit {
  int image, frame, x, y;
};

// The frame's calls, by the slots the images were registered in: 0 cube, 1-4 panels, 5 font,
// 6 bubble.
std::vector<Blit> frameBlits() {
  std::vector<Blit> blits;
  for (int i = 0; i < 264; ++i) blits.push_back({0, 0, 5 + 20 * (i % 12), 5 + 20 * (i / 12 % 22)});
  for (int p = 0; p < 4; ++p) blits.push_back({1 + p, 0, kPanelX[p], kPanelY[p]});
  for (int g = 0; g < 40; ++g) blits.push_back({5, 33 + g, 360 + 8 * (g % 28), 380 + 10 * (g / 28)});
  for (int b = 0; b < 21; ++b) blits.push_back({6, b % 5, 80 + (b * 37) % 120, 80 + (b * 53) % 300});
  return blits;
}

double secondsFor(const std::function<void()>& frame, int frames) {
  auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) frame();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Our display with the game's images, and the same frame drawn by SDL on equal surfaces.
class TBench {
public:
  TBench(uint8_t mode, const std::string& folder) : m_dx(&m_panel, &m_panel), m_bits(mode == kWindowed32 ? 32 : 8) {
    m_panel.resize(640, 480);
    m_panel.show();
    m_dx.SetMode(mode);
    // A full-screen display keeps its surfaces only while its window is the active one.
    m_panel.activateWindow();
    QApplication::processEvents();
    auto add = [&](const Sprite& s) {
      m_dx.AddImage(std::make_unique<TDXBMPImage>(&m_dx, folder + s.file, s.frameWidth, s.frameHeight, true));
    };
    add(kCube);
    for (const Sprite& p : kPanels) add(p);
    add(kFont);
    add(kBubble);
    m_blits = frameBlits();
    makeSdlSurfaces();
  }

  ~TBench() {
    for (SDL_Surface* s : m_images) SDL_FreeSurface(s);
    SDL_FreeSurface(m_background);
    SDL_FreeSurface(m_target);
    SDL_FreePalette(m_palette);
  }

  void ours(bool background) {
    if (background) m_dx.Back->EraseRect(kField, kFieldColor);
    for (const Blit& b : m_blits) m_dx.Back->DrawImage(*m_dx.Images[b.image], b.x, b.y, b.frame);
  }

  // The frame drawn, flipped and painted on the game's real panel.
  void oursShown() {
    ours(true);
    m_dx.Flip();
    m_panel.repaint();
  }

  void sdl(bool background) {
    if (background) {
      SDL_Rect field{kField.left, kField.top, kField.width(), kField.height()};
      if (m_blitBackground)
        SDL_BlitSurface(m_background, nullptr, m_target, &field);
      else
        SDL_FillRect(m_target, &field, kFieldColor);
    }
    for (const Blit& b : m_blits) {
      RECT r = m_dx.Images[b.image]->FrameRect(b.frame);
      SDL_Rect source{r.left, r.top, r.width(), r.height()};
      SDL_Rect dest{b.x, b.y, 0, 0};
      SDL_BlitSurface(m_images[b.image], &source, m_target, &dest);
    }
  }

  // SDL's background by whichever of a fill and a blit is faster here.
  const char* chooseBackground() {
    std::vector<double> fill, blit;
    for (int round = 0; round < 10; ++round) {
      m_blitBackground = false;
      fill.push_back(secondsFor([&] { sdl(true); }, kFramesPerRound));
      m_blitBackground = true;
      blit.push_back(secondsFor([&] { sdl(true); }, kFramesPerRound));
    }
    m_blitBackground = median(blit) < median(fill);
    return m_blitBackground ? "a blit of a prepared surface" : "a fill";
  }

  // Both sides' frames drawn on cleared surfaces, compared over the whole 640 x 480 frame;
  // the number of pixels that differ.
  long differences() {
    m_dx.Back->EraseRect({0, 0, 640, 480}, 0);
    SDL_FillRect(m_target, nullptr, 0);
    ours(true);
    sdl(true);
    const TPixelView back = m_dx.Back->Surface->Pixels();
    long differ = 0;
    for (int y = 0; y < 480; ++y) {
      const uint8_t* a = back.bits + static_cast<std::size_t>(y) * back.pitch;
      const uint8_t* b = static_cast<const uint8_t*>(m_target->pixels) + y * m_target->pitch;
      for (int x = 0; x < 640; ++x) differ += std::memcmp(a + x * m_bits / 8, b + x * m_bits / 8, m_bits / 8) != 0;
    }
    return differ;
  }

  int bits() const { return m_bits; }
  bool active() const { return m_panel.IsActive(); }

private:
  Uint32 sdlFormat() const { return m_bits == 8 ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB888; }

  SDL_Surface* newSurface(int width, int height) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, m_bits, sdlFormat());
    if (m_bits == 8) SDL_SetSurfacePalette(s, m_palette);
    return s;
  }

  // SDL's copies of the images, converted to the target's format, keyed on 0 with run-length
  // acceleration; one shared palette in 8-bit, so that indexes are copied unchanged.
  void makeSdlSurfaces() {
    m_palette = SDL_AllocPalette(256);
    std::vector<SDL_Color> colors;
    for (const PALETTEENTRY& e : m_dx.PaletteEntries) colors.push_back({e.peRed, e.peGreen, e.peBlue, 255});
    SDL_SetPaletteColors(m_palette, colors.data(), 0, 256);
    const TPixelView back = m_dx.Back->Surface->Pixels();
    m_target = newSurface(back.width, back.height);
    for (int i = 0; i < m_dx.ImageCount; ++i) {
      const TPixelView p = m_dx.Images[i]->Surface->Surface->Pixels();
      SDL_Surface* raw = newSurface(p.width, p.height);
      for (int y = 0; y < p.height; ++y)
        std::memcpy(static_cast<uint8_t*>(raw->pixels) + y * raw->pitch, p.bits + y * p.pitch,
                    static_cast<std::size_t>(p.width) * m_bits / 8);
      SDL_Surface* converted = SDL_ConvertSurface(raw, m_target->format, 0);
      SDL_FreeSurface(raw);
      SDL_SetColorKey(converted, SDL_TRUE, 0);
      SDL_SetSurfaceRLE(converted, 1);
      m_images.push_back(converted);
    }
    m_background = newSurface(kField.width(), kField.height());
    SDL_FillRect(m_background, nullptr, kFieldColor);
  }

  TDXPanel m_panel;
  TDX m_dx;
  int m_bits;
  std::vector<Blit> m_blits;
  SDL_Palette* m_palette = nullptr;
  SDL_Surface* m_target = nullptr;
  SDL_Surface* m_background = nullptr;
  std::vector<SDL_Surface*> m_images;
  bool m_blitBackground = false;
};

struct TFigures {
  double ours, sdl, ratio;
};

// Median time per frame of each side and median of the per-round ratios, the two sides taking
// turns at going first.
TFigures interleaved(const std::function<void()>& ours, const std::function<void()>& sdl) {
  std::vector<double> oursTimes, sdlTimes, ratios;
  for (int round = 0; round < kRounds; ++round) {
    double o, s;
    if (round % 2) {
      s = secondsFor(sdl, kFramesPerRound);
      o = secondsFor(ours, kFramesPerRound);
    } else {
      o = secondsFor(ours, kFramesPerRound);
      s = secondsFor(sdl, kFramesPerRound);
    }
    oursTimes.push_back(o);
    sdlTimes.push_back(s);
    ratios.push_back(o / s);
  }
  return {median(oursTimes), median(sdlTimes), median(ratios)};
}

std::string defaultFolder(const char* program) {
  std::string path = program;
  std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/../";
}

} // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? std::string(argv[1]) + "/" : defaultFolder(argv[0]);
  // The game's panel needs an application; the offscreen platform needs no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SDL_Init(0);
  std::printf("one game frame: field, 264 cubes, 4 panels, 40 glyphs, 21 bubbles\n"
              "SDL %d.%d.%d: images in the destination's format, colour key, SDL_RLEACCEL\n"
              "medians of %d interleaved rounds of %d frames\n\n",
              SDL_MAJOR_VERSION, SDL_MINOR_VERSION, SDL_PATCHLEVEL, kRounds, kFramesPerRound);
  int failures = 0;
  for (uint8_t mode : {kFullScreen8, kWindowed32}) {
    TBench bench(mode, folder);
    const char* background = bench.chooseBackground();
    const long differ = bench.differences();
    if (!bench.active()) std::printf("the game's panel is not the active window: its surfaces are lost\n");
    failures += differ != 0;
    TFigures frame = interleaved([&] { bench.ours(true); }, [&] { bench.sdl(true); });
    TFigures keyed = interleaved([&] { bench.ours(false); }, [&] { bench.sdl(false); });
    std::vector<double> shown;
    for (int round = 0; round < kRounds; ++round) shown.push_back(secondsFor([&] { bench.oursShown(); }, kFramesPerRound));
    std::printf("%s (SDL's background: %s)\n", mode == kWindowed32 ? "32-bit XRGB, window" : "8-bit, full screen",
                background);
    std::printf("  pixels that differ between the two sides: %ld of 307200\n", differ);
    std::printf("  whole frame:       ours %6.1f us   SDL %6.1f us   ours / SDL %.2f\n", frame.ours * 1e6,
                frame.sdl * 1e6, frame.ratio);
    std::printf("  keyed blits alone: ours %6.1f us   SDL %6.1f us   ours / SDL %.2f\n", keyed.ours * 1e6,
                keyed.sdl * 1e6, keyed.ratio);
    std::printf("  our frame drawn, shown and painted: %.1f us\n\n", median(shown) * 1e6);
  }
  SDL_Quit();
  return failures ? 1 : 0;
}

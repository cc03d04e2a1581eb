// Times one game frame's worth of drawing on the back surface: the field's background fill,
// 264 cube cells, the four console panels, 40 glyphs and 21 bubbles, in both pixel formats
// (8-bit full screen and 32-bit windowed), against the same fill and blits done with SDL2's
// software SDL_BlitSurface on equal surfaces. Prints the time per frame and our time over
// SDL's. Reads the game's bitmaps from the folder given as the argument (the build folder by
// default, where the art generator writes them).

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/MemoryWindow.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 2000;
constexpr int kRounds = 5;

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

template <typename Draw> double secondsPerFrame(Draw draw) {
  double best = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < kFrames; ++f) draw();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best / kFrames;
}

// The same images as SDL surfaces: the pixels copied from the display's own surfaces, the
// colour key 0, and for 8-bit one shared palette so that SDL copies indexes unchanged.
std::vector<SDL_Surface*> sdlImages(const TDX& dx, int bits, SDL_Palette* palette) {
  std::vector<SDL_Surface*> images;
  for (int i = 0; i < dx.ImageCount; ++i) {
    TPixelView p = dx.Images[i]->Surface->Surface->Pixels();
    Uint32 format = bits == 8 ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB888;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, p.width, p.height, bits, format);
    if (bits == 8) SDL_SetSurfacePalette(s, palette);
    for (int y = 0; y < p.height; ++y)
      std::copy(p.bits + y * p.pitch, p.bits + y * p.pitch + p.width * bits / 8,
                static_cast<uint8_t*>(s->pixels) + y * s->pitch);
    SDL_SetColorKey(s, SDL_TRUE, 0);
    images.push_back(s);
  }
  return images;
}

struct Result {
  double ours, sdl;
};

Result measure(uint8_t mode, const std::string& folder) {
  TMemoryWindow window(1024, 768, {0, 0, 640, 480});
  TDX dx(&window, &window);
  dx.SetMode(mode);
  auto add = [&](const Sprite& s) {
    dx.AddImage(std::make_unique<TDXBMPImage>(&dx, folder + s.file, s.frameWidth, s.frameHeight, true));
  };
  add(kCube);
  for (const Sprite& p : kPanels) add(p);
  add(kFont);
  add(kBubble);
  const std::vector<Blit> blits = frameBlits();

  double ours = secondsPerFrame([&] {
    dx.Back->EraseRect(kField, 70);
    for (const Blit& b : blits) dx.Back->DrawImage(*dx.Images[b.image], b.x, b.y, b.frame);
  });

  const int bits = mode == 4 ? 32 : 8;
  SDL_Palette* palette = SDL_AllocPalette(256);
  std::vector<SDL_Surface*> images = sdlImages(dx, bits, palette);
  TPixelView back = dx.Back->Surface->Pixels();
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(
      0, back.width, back.height, bits, bits == 8 ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB888);
  if (bits == 8) SDL_SetSurfacePalette(target, palette);
  const SDL_Rect field{kField.left, kField.top, kField.width(), kField.height()};
  double sdl = secondsPerFrame([&] {
    SDL_FillRect(target, &field, 70);
    for (const Blit& b : blits) {
      RECT r = dx.Images[b.image]->FrameRect(b.frame);
      SDL_Rect source{r.left, r.top, r.width(), r.height()};
      SDL_Rect dest{b.x, b.y, 0, 0};
      SDL_BlitSurface(images[b.image], &source, target, &dest);
    }
  });
  for (SDL_Surface* s : images) SDL_FreeSurface(s);
  SDL_FreeSurface(target);
  SDL_FreePalette(palette);
  return {ours, sdl};
}

std::string defaultFolder(const char* program) {
  std::string path = program;
  std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/../";
}

} // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? std::string(argv[1]) + "/" : defaultFolder(argv[0]);
  SDL_Init(0);
  std::printf("one game frame: field fill, 264 cubes, 4 panels, 40 glyphs, 21 bubbles (best of %d x %d)\n",
              kRounds, kFrames);
  for (uint8_t mode : {uint8_t{0}, uint8_t{4}}) {
    Result r = measure(mode, folder);
    std::printf("  %-22s ours %7.1f us   SDL %7.1f us   ours / SDL %.2f\n",
                mode == 4 ? "32-bit XRGB (window):" : "8-bit (full screen):", r.ours * 1e6, r.sdl * 1e6,
                r.ours / r.sdl);
  }
  SDL_Quit();
  return 0;
}

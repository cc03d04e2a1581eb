// Fuzzes bitmap loading into images: any file either loads into an image whose frames draw
// onto the back surface, or raises the reader's error; in both display formats.

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXError.h"
#include "gfx/DXSurface.h"
#include "gfx/MemoryWindow.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/vorka-fuzz-bitmap-" + std::to_string(getpid()) + ".bmp";
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  // One display per format for the whole run; each input is an image of its own.
  static TMemoryWindow windows[2] = {{1024, 768, {0, 0, 640, 480}}, {1024, 768, {0, 0, 640, 480}}};
  static TDX displays[2] = {{&windows[0], &windows[0]}, {&windows[1], &windows[1]}};
  for (int i = 0; i < 2; ++i) {
    TDX& dx = displays[i];
    if (!dx.DirectDraw) dx.SetMode(i == 0 ? 0 : 4);
    try {
      TDXBMPImage image(&dx, path, 8, 8, true);
      for (int32_t frame = -1; frame < 4; ++frame) dx.Back->DrawImage(image, 100, 100, frame);
    } catch (const EDXError&) {
    } catch (const std::runtime_error&) {
    }
  }
  return 0;
}

#pragma once

#include "gfx/DXFileImageObject.h"

// An image read from a Windows bitmap (.bmp) file; loaded when made. Throws the bitmap
// reader's std::runtime_error for a missing or unreadable file, EDXError for display failures.
class TDXBMPImage : public TDXFileImageObject {
public:
  TDXBMPImage(TDX* display, std::string fileName, int32_t frameWidth, int32_t frameHeight,
              bool usePalette);
  void Load() override;
};

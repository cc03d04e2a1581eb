#pragma once

#include "gfx/DXImageObject.h"

#include <string>

// An image read from a file, `FileName` its full path.
class TDXFileImageObject : public TDXImageObject {
public:
  TDXFileImageObject(TDX* display, std::string fileName, int32_t frameWidth, int32_t frameHeight,
                     bool usePalette)
      : TDXImageObject(display, frameWidth, frameHeight, usePalette), FileName(std::move(fileName)) {}

  std::string FileName;
};

#pragma once

#include "music/RenderOptions.h"
#include "music/SettingsKeys.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The settings file: every call reads or writes one key through the profile functions; no
// copy of the file is kept. A missing file or key reads as the key's default. Safe from any
// thread.
class TSettingsFile {
public:
  explicit TSettingsFile(std::string fileName = "vorka.ini");

  // The path of the file the settings live in.
  std::string path() const;

  // At most 1023 bytes of text (a 1024-character buffer).
  std::string readText(const TTextSetting& key) const;
  // Hexadecimal after "0x" or "0X" when the text is longer than 2 characters, otherwise
  // decimal; missing, empty, not a number or outside the key's range gives the default.
  int32_t readInteger(const TIntegerSetting& key) const;
  // An integer with default 1 (true) or 0 (false); anything but 0 is true.
  bool readTruth(const TTruthSetting& key) const;

  // How modules are rendered: the mixing mode's interpolation (8 taps for high quality, 2
  // otherwise), the stereo separation, volume ramping and Amiga resampler.
  TRenderOptions readRenderOptions() const;
  // One line for each number of the file that reads as its default because it is not a number
  // or out of its range: "VOLUME=-5 is not 0 to 100; using 100".
  std::vector<std::string> problems() const;

  // Text unchanged, integers in decimal, truth as "1" or "0". Each throws std::runtime_error
  // "Unable to write to <path>" when the file cannot be written.
  void writeText(const TTextSetting& key, const std::string& value) const;
  void writeInteger(const TIntegerSetting& key, int32_t value) const;
  void writeTruth(const TTruthSetting& key, bool value) const;

  // Runs `writes` (calls of the write functions above) as one save that replaces the file once:
  // with all of them, or with none when one throws or the file cannot be written. Throws
  // std::runtime_error "Unable to write to <path>" then.
  void save(const std::function<void()>& writes) const;

  // The integer that `text` holds by the reading rule above, or nothing.
  static std::optional<int32_t> parseInteger(const std::string& text);

private:
  std::string readRaw(const char* section, const char* key, const std::string& def) const;
  void writeRaw(const char* section, const char* key, const std::string& value) const;

  std::string m_fileName;
};

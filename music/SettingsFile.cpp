#include "music/SettingsFile.h"

#include "platform/profile.h"

#include <cctype>
#include <limits>
#include <stdexcept>

namespace {

constexpr std::size_t kTextBuffer = 1024;

std::optional<int64_t> parseDigits(const std::string& digits, int base) {
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    int d;
    if (std::isdigit(static_cast<unsigned char>(c)))
      d = c - '0';
    else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
      d = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    else
      return std::nullopt;
    value = value * base + d;
    if (value > 0xFFFFFFFFLL) return std::nullopt;
  }
  return value;
}

} // namespace

TSettingsFile::TSettingsFile(std::string fileName) : m_fileName(std::move(fileName)) {}

std::string TSettingsFile::path() const { return ProfilePath(m_fileName); }

std::optional<int32_t> TSettingsFile::parseInteger(const std::string& text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    auto value = parseDigits(text.substr(2), 16);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(*value));
  }
  bool negative = !text.empty() && text[0] == '-';
  bool sign = !text.empty() && (text[0] == '-' || text[0] == '+');
  auto value = parseDigits(sign ? text.substr(1) : text, 10);
  if (!value) return std::nullopt;
  int64_t signedValue = negative ? -*value : *value;
  if (signedValue < std::numeric_limits<int32_t>::min() ||
      signedValue > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(signedValue);
}

std::string TSettingsFile::readRaw(const char* section, const char* key,
                                   const std::string& def) const {
  return GetPrivateProfileString(section, key, def, kTextBuffer, m_fileName);
}

void TSettingsFile::save(const std::function<void()>& writes) const {
  TProfileBatch batch(m_fileName);
  writes();
  if (!batch.Commit()) throw std::runtime_error("Unable to write to " + path());
}

void TSettingsFile::writeRaw(const char* section, const char* key,
                             const std::string& value) const {
  if (!WritePrivateProfileString(section, key, value, m_fileName))
    throw std::runtime_error("Unable to write to " + path());
}

std::string TSettingsFile::readText(const TTextSetting& key) const {
  return readRaw(key.Section, key.Key, key.Default);
}

int32_t TSettingsFile::readInteger(const TIntegerSetting& key) const {
  const std::optional<int32_t> value = parseInteger(readRaw(key.Section, key.Key, ""));
  return value && key.holds(*value) ? *value : key.Default;
}

std::vector<std::string> TSettingsFile::problems() const {
  std::vector<std::string> lines;
  for (const TIntegerSetting* key : settings::Ranged) {
    const std::string text = readRaw(key->Section, key->Key, "");
    const std::optional<int32_t> value = parseInteger(text);
    if (text.empty() || (value && key->holds(*value))) continue;
    const std::string what = value ? "is not " + std::to_string(key->Min) + " to " + std::to_string(key->Max)
                                   : "is not a number";
    lines.push_back(std::string(key->Key) + "=" + text + " " + what + "; using " + std::to_string(key->Default));
  }
  return lines;
}

bool TSettingsFile::readTruth(const TTruthSetting& key) const {
  TIntegerSetting asInteger{key.Section, key.Key, key.Default ? 1 : 0};
  return readInteger(asInteger) != 0;
}

void TSettingsFile::writeText(const TTextSetting& key, const std::string& value) const {
  writeRaw(key.Section, key.Key, value);
}

void TSettingsFile::writeInteger(const TIntegerSetting& key, int32_t value) const {
  writeRaw(key.Section, key.Key, std::to_string(value));
}

void TSettingsFile::writeTruth(const TTruthSetting& key, bool value) const {
  writeRaw(key.Section, key.Key, value ? "1" : "0");
}

TRenderOptions TSettingsFile::readRenderOptions() const {
  TRenderOptions options;
  options.InterpolationTaps = readInteger(settings::MixingMode) != 0 ? 8 : 2;
  options.StereoSeparation = readInteger(settings::StereoSeparation);
  options.VolumeRamping = readInteger(settings::VolumeRamping);
  options.Amiga = static_cast<TAmigaResampler>(readInteger(settings::AmigaResampler));
  options.EvenLoudness = readTruth(settings::EvenLoudness);
  options.SkipSilentEnd = readTruth(settings::SkipSilentEnd);
  options.Loop = static_cast<TLoopMode>(readInteger(settings::Loop));
  options.Loops = readInteger(settings::Loops);
  options.FadeSeconds = readInteger(settings::LoopFade);
  return options;
}

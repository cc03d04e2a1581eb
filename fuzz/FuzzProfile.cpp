// Fuzzes the profile (INI) reader and writer on any file content: reading never crashes, every
// number of the settings reads within its range, a window place comes back on the screen and no
// larger than it, and a value written into the file reads back as written (line breaks becoming
// blanks), while a key of another section keeps its value.

#include "controls/WindowPlace.h"
#include "music/SettingsFile.h"
#include "platform/profile.h"

#include <QRect>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFile() {
  static const std::string path = "/tmp/vorka-fuzz-profile-" + std::to_string(getpid()) + ".ini";
  return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first bytes up to a 0 byte (at most 40) are the value to write, the rest the file.
  std::size_t split = 0;
  while (split < size && split < 40 && data[split] != 0) ++split;
  std::string value(reinterpret_cast<const char*>(data), split);
  const std::string content(reinterpret_cast<const char*>(data) + std::min(size, split + 1),
                            size - std::min(size, split + 1));
  const std::string file = scratchFile();
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;

  const TSettingsFile settingsFile(file);
  for (const TIntegerSetting* key : settings::Ranged) {
    const int32_t value = settingsFile.readInteger(*key);
    if (!key->holds(value)) std::abort();
  }
  settingsFile.problems();
  settingsFile.readRenderOptions();
  settingsFile.readText(settings::ExportDir);
  const QRect screen(0, 0, 1920, 1080);
  for (const TTextSetting& key : {settings::MainWindowPlace, settings::PlaylistPlace, settings::PatternPlace,
                                  settings::InfoPlace}) {
    const std::optional<QRect> place = ParsePlace(settingsFile.readText(key));
    if (!place) continue;
    const QSize size = place->isEmpty() ? QSize(354, 296) : place->size();
    const std::optional<QRect> onScreen = PlaceOnScreens(*place, size, {screen});
    if (onScreen && (onScreen->width() > screen.width() || onScreen->height() > screen.height() ||
                     !onScreen->intersects(screen)))
      std::abort();
  }
  const std::string other = GetPrivateProfileString("generaloptions", "LASTDIR", "<none>", 1024, file);
  if (!WritePrivateProfileString("tetrisoptions", "PLAYERNAME", value, file)) return 0;
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  if (GetPrivateProfileString("tetrisoptions", "PLAYERNAME", "<none>", 1024, file) != value) std::abort();
  if (GetPrivateProfileString("generaloptions", "LASTDIR", "<none>", 1024, file) != other) std::abort();
  return 0;
}

#pragma once

#include <cstdint>

// The player's choices for the game. The defaults are the classic game: held keys act on the
// key pattern's beat (every second tick, about every 100 ms), the screen shows neither the next
// brick nor where the falling one will land, and the music plays as written.
struct TGameOptions {
  static constexpr int32_t kClassicRepeat = 100; // ms

  // Held Left and Right: the first repeat this long after the press, 50 to 500 ms ...
  int32_t RepeatDelay = kClassicRepeat;
  // ... and then one every so many ms, 10 to 500.
  int32_t RepeatInterval = kClassicRepeat;
  // Held Down: one row at the press and then one every so many ms, 10 to 500.
  int32_t SoftDropInterval = kClassicRepeat;
  bool ShowNext = false;
  bool ShowGhost = false;
  // The music's tempo rises with the level, and all but its first channel go quiet while the
  // pile stands in the top quarter of the field.
  bool MusicFollows = false;

  // Whether held moves keep the key pattern (all three times at their defaults) rather than
  // timing their repeats in milliseconds.
  bool ClassicHandling() const {
    return RepeatDelay == kClassicRepeat && RepeatInterval == kClassicRepeat &&
           SoftDropInterval == kClassicRepeat;
  }
  bool operator==(const TGameOptions&) const = default;
};

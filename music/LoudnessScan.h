#pragma once

#include "music/RenderOptions.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// How loud one subsong sounds and where its sound ends: what evens out the loudness of songs
// and skips a silent end.
struct TSongLevel {
  double Loudness = 0;   // integrated loudness of one pass, LUFS (EBU R128); kSilent for none
  double LastSound = 0;  // seconds into the pass of the last sample above -70 dBFS; 0 for none
  double Seconds = 0;    // seconds of the pass
  // False for a guess (the loudness of songs like it) that knows nothing of the song's end.
  bool Measured = true;

  static constexpr double kSilent = -70.0;
  // A song whose silent end is skipped ends this many seconds after its last sound.
  static constexpr double kAfterLastSound = 1.0;
  // How long a pass of `seconds` plays with its silent end skipped: a second after the last
  // sound, when that is a good deal before its own end.
  double skippedEnd(double seconds) const {
    const double end = LastSound + kAfterLastSound;
    return Measured && end + 0.1 < seconds ? end : seconds;
  }
  bool operator==(const TSongLevel&) const = default;
};

// Measures every subsong of a module file: one pass rendered as the player renders it (before
// its volume and limiter), measured with libebur128 and scanned for its last sound. Any thread;
// costs a render of the whole module.
class TLoudnessScan {
public:
  // The loudness that songs are evened out to, LUFS.
  static constexpr double kTarget = -16.0;
  // The most a song is turned up or down, dB: a song of -34 LUFS (a near-silent one) is not
  // brought up to the others.
  static constexpr double kMostGain = 18.0;
  // The gain in millibel that brings a song of `loudness` LUFS to kTarget, within +-kMostGain.
  static int32_t gainFor(double loudness);

  // One level for each subsong of the module at `path`, rendered at `rate` Hz with `options`.
  // Throws std::runtime_error when the file is no module; stops early, with what it has, once
  // `stop` is set.
  static std::vector<TSongLevel> measure(const std::string& path, const TRenderOptions& options, int32_t rate,
                                         const std::atomic<bool>& stop);
};

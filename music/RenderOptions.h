#pragma once

#include <cstdint>

// The emulation of the Amiga's sound chip for modules made on the Amiga (MOD and the like);
// other formats are not affected.
enum class TAmigaResampler : int32_t {
  Automatic = 0, // the library picks the Amiga model the module was made for
  A500 = 1,
  A1200 = 2,
  Off = 3, // the interpolation filter as for every other format
};

// How a song that reaches its end goes on: it ends (the play order decides what follows), it
// plays on from the module's own loop point for ever, or it plays Loops passes (the first with
// the intro, the others from the loop point) and fades out over FadeSeconds as the next begins.
enum class TLoopMode : int32_t { Once = 0, Forever = 1, Fade = 2 };

// How a module is rendered: its interpolation, stereo image, volume changes, loudness and end.
struct TRenderOptions {
  int32_t InterpolationTaps = 8;  // 1, 2, 4 or 8
  int32_t StereoSeparation = 100; // percent, 0 (mono) to 200
  int32_t VolumeRamping = -1;     // -1 the library's default, 0 off, up to 10 (softest)
  TAmigaResampler Amiga = TAmigaResampler::Automatic;
  // Songs whose loudness is known (or guessed) are brought towards one loudness.
  bool EvenLoudness = true;
  // A song whose known last seconds are silent ends a second after its last sound.
  bool SkipSilentEnd = true;
  TLoopMode Loop = TLoopMode::Once;
  int32_t Loops = 2;        // passes before the fade, 1 to 9
  int32_t FadeSeconds = 10; // 1 to 60

  bool operator==(const TRenderOptions&) const = default;
};

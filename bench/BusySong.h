#pragma once

#include <string>

// A module of `channels` channels (1 to 64) that all play all the time (a note on every channel
// every fourth row), `patterns` patterns of 64 rows at speed 6 and tempo 125: the load the
// benchmarks time. An XM up to 32 channels, an IT above.
std::string BusySong(int patterns, int channels = 8);

// The same load as a 4-channel MOD: the Amiga format, which libopenmpt renders through its Amiga
// resampler when that is left automatic.
std::string BusyMod(int patterns);

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes small but complete tracker modules (MOD, S3M, XM, IT) whose every fact is known, so
// tests can load them through the sound library and compare what it reports with what was
// written. Nothing here copies anybody's music: the samples are generated waveforms.

namespace testmod {

enum Effect { kEffectNone = 0, kEffectSpeed, kEffectTempo, kEffectBreak, kEffectJump };

// One note event. Notes count semitones from C-0 = 1 (C-4 = 49 plays a sample at its base
// rate); 0 means no note. The effect is one of the format-neutral kinds above; each writer
// turns it into its format's command (speed and tempo are both Fxx in MOD and XM).
struct Note {
  int row = 0;
  int channel = 0;
  int note = 0;       // 0 = none
  int instrument = 0; // from 1; 0 = none
  Effect effect = kEffectNone;
  int param = 0;
};

// `rows` is the number of rows the pattern plays (1 to 64). MOD and S3M patterns always hold
// 64 rows and IT patterns at least 32, so for a shorter pattern the writer puts a pattern break
// on its last row.
struct Pattern {
  int rows = 64;
  std::vector<Note> notes;
};

struct Sample {
  std::string name;
  std::vector<int8_t> data; // signed 8-bit PCM
  bool loop = false;        // loops the whole sample
  int volume = 64;          // 0-64
};

// An order entry that asks the player to skip to the next entry ("+++"); S3M and IT only.
constexpr int kSkipOrder = -1;

struct Module {
  std::string title;
  int channels = 4;
  int speed = 6;   // ticks per row, 1-31 (MOD sets it with an effect in the first row)
  int tempo = 125; // beats per minute, 32-255
  std::vector<int> orders; // pattern numbers, or kSkipOrder
  std::vector<Pattern> patterns;
  std::vector<Sample> samples;
  // XM and IT: one instrument per name, instrument i playing sample i. Empty means the
  // IT module is written in sample mode; XM always has instruments (named after the samples
  // when no names are given).
  std::vector<std::string> instrumentNames;
  // IT only: the song message, lines separated by '\n' (at most 8000 bytes).
  std::string message;
};

// A looping square wave of `period` bytes, `cycles` times, at amplitude `amplitude`.
std::vector<int8_t> squareWave(int period, int cycles, int amplitude = 100);

// A module of `patternCount` patterns played in order, each of `rows` rows with a note on
// every channel in its first row. Title, channel count, speed and tempo as given; one looping
// square sample per instrument name, named like it.
Module simpleSong(const std::string& title, int channels, int patternCount, int rows,
                  const std::vector<std::string>& instrumentNames, int speed = 6, int tempo = 125);

std::string writeMod(const Module& m);
std::string writeS3m(const Module& m);
std::string writeXm(const Module& m);
std::string writeIt(const Module& m);

// A short song (one 16-row pattern, 4 channels) in the format that `fileName` ends in (".mod",
// ".s3m", ".xm" or ".it", any case; MOD for any other ending), titled `title` or by the name.
std::string moduleFor(const std::string& fileName, const std::string& title = "");

// Seconds that `rows` rows take at `speed` ticks per row and `tempo` beats per minute.
double rowSeconds(int speed, int tempo);

} // namespace testmod

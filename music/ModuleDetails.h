#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One subsong of a module: a part of its order list that plays as a song of its own.
struct TSubsong {
  std::string Name; // as the module names it; often empty
  double Seconds = 0; // of one pass

  bool operator==(const TSubsong&) const = default;
};

// All a module tells of itself beyond ModuleInfo, whole and as the sound library gives it
// (UTF-8 text; a field the module does not have is empty).
struct TModuleDetails {
  std::string Title;
  std::string Artist;
  std::string Format;  // the format's long name, e.g. "Impulse Tracker"
  std::string Tracker; // the program that wrote the file
  std::string Date;    // when the module was saved, as the library words it
  std::string Message; // the composer's notes, lines separated by '\n'
  std::vector<TSubsong> Subsongs; // at least one for a loaded module
  std::vector<std::string> Instruments; // empty for a module without instruments
  std::vector<std::string> Samples;
};

// How subsong `index` (from 0) is called: its name without surrounding blanks, or "Subsong n"
// (n from 1) when it has none.
std::string SubsongName(const TSubsong& subsong, int32_t index);

// How a title says which of `count` subsongs plays (`subsong` from 0): " (2/5)"; nothing for a
// module with a single one.
std::string SubsongMark(int32_t subsong, int32_t count);

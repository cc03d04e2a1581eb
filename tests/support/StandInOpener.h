#pragma once

#include "tests/support/TempDir.h"

#include <cstddef>
#include <string>
#include <vector>

// A stand-in for the desktop's opener while the object lives: an `xdg-open` program in a
// temporary folder put first on PATH, which appends each address it is given to a log, prints a
// line on standard output (as a text browser does) and exits with `exitCode`.
class StandInOpener {
public:
  explicit StandInOpener(int exitCode = 0);
  ~StandInOpener();
  StandInOpener(const StandInOpener&) = delete;
  StandInOpener& operator=(const StandInOpener&) = delete;

  // The addresses opened so far, once there are `count` of them or after 5 s; runs the Qt event
  // loop meanwhile, so that what the program does when an opener ends has happened too.
  std::vector<std::string> opened(std::size_t count);

private:
  TempDir m_dir;
  std::string m_path;
};

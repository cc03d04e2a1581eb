#pragma once

#include <string>
#include <vector>

// The module files that paths handed to the program (on its command line, dropped on its
// window, or passed on by another program over D-Bus) stand for.
struct TModuleFiles {
  // Absolute paths, in the order given; a folder's modules in the playlist dialog's order.
  std::vector<std::string> Modules;
  // One sentence for each path that was left out, naming it and why.
  std::vector<std::string> Problems;

  // A file that holds a module (whatever its name) stands for itself and a folder for the
  // module files directly in it (by their names); anything else, a file named as a module that
  // holds none included, is left out with a problem, and so is every path
  // that the playlist file cannot hold (a line break or Ctrl-Z in its name) or that holds a zero
  // byte. Relative paths are taken against the current folder.
  static TModuleFiles of(const std::vector<std::string>& paths);
  // As `of`, for paths from another program: a relative path, which this program would take
  // against its own folder rather than the caller's, is left out with a problem.
  static TModuleFiles ofAbsolute(const std::vector<std::string>& paths);
};

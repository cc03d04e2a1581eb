#pragma once

#include <string>
#include <vector>

// The module files that paths handed to the program (on its command line, dropped on its
// window, or passed on by a second start) stand for.
struct TModuleFiles {
  // Absolute paths, in the order given; a folder's modules in the playlist dialog's order.
  std::vector<std::string> Modules;
  // One sentence for each path that was left out, naming it and why.
  std::vector<std::string> Problems;

  // A module file (by its name: mod, it, s3m or xm) stands for itself and a folder for the
  // module files directly in it; anything else is left out with a problem. Relative paths are
  // taken against the current folder.
  static TModuleFiles of(const std::vector<std::string>& paths);
};

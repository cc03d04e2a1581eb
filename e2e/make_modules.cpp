// Writes the small modules the end-to-end checks play: `e2e_modules <folder>` makes
// "Alpha Tune.mod", "Beta Tune.s3m", "Gamma Tune.xm" and "Delta Tune.it" there.

#include "tests/support/ModuleWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: e2e_modules <folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  struct Song {
    const char* file;
    const char* title;
    std::string (*write)(const testmod::Module&);
  };
  const Song songs[] = {{"Alpha Tune.mod", "Alpha Tune", testmod::writeMod},
                        {"Beta Tune.s3m", "Beta Tune", testmod::writeS3m},
                        {"Gamma Tune.xm", "Gamma Tune", testmod::writeXm},
                        {"Delta Tune.it", "Delta Tune", testmod::writeIt}};
  for (const Song& s : songs) {
    testmod::Module m = testmod::simpleSong(s.title, 4, 4, 64, {"Lead", "Bass"});
    std::ofstream out(folder + s.file, std::ios::binary);
    out << s.write(m);
    if (!out) {
      std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), s.file);
      return 1;
    }
  }
  return 0;
}

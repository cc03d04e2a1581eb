// Writes the files the end-to-end checks start from:
// `e2e_modules <folder> [<high-score file> | --short]` makes "Alpha Tune.mod", "Beta Tune.s3m",
// "Gamma Tune.xm" and "Delta Tune.it" in the folder (about 30 s each, or about 3 s with
// --short), and with a high-score file also that file with 20 results, "Player 1" with 20000
// points on level 20 down to "Player 20" with 1000 on level 1. `e2e_modules <folder> --told`
// makes only "Told Tune.it", which holds a message (kMessage below) and two subsongs, and
// `e2e_modules <folder> --wide` only "Wide Tune.it": 32 channels, each with a note every other
// row, eight patterns (about a minute). `e2e_modules <folder> --beat` only "Beat Tune.mod": a
// short loud click every fourth row (0.48 s apart) over a quiet tone that never stops, eight
// patterns (about a minute).

#include "scores/Score.h"
#include "tests/support/ModuleWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const char* const kMessage = "Told Tune\nwritten for the checks,\n  with a second song.";

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (out) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: e2e_modules <folder> [<high-score file> | --short | --told | --wide | --beat]\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const bool short_ = argc == 3 && std::string(argv[2]) == "--short";
  if (argc == 3 && std::string(argv[2]) == "--told") {
    // The first pattern jumps back to itself: the second is a song of its own.
    testmod::Module m = testmod::simpleSong("Told Tune", 4, 2, 64, {"Lead", "Bass"});
    m.patterns[0].notes.push_back({63, 1, 0, 0, testmod::kEffectJump, 0});
    m.message = kMessage;
    return writeFile(folder + "Told Tune.it", testmod::writeIt(m)) ? 0 : 1;
  }
  if (argc == 3 && std::string(argv[2]) == "--wide") {
    testmod::Module m = testmod::simpleSong("Wide Tune", 32, 8, 64, {"Lead", "Bass"});
    for (auto& p : m.patterns)
      for (int row = 2; row < 64; row += 2)
        for (int ch = 0; ch < 32; ++ch) p.notes.push_back({row, ch, 37 + (row + ch * 7) % 36, 1 + ch % 2});
    return writeFile(folder + "Wide Tune.it", testmod::writeIt(m)) ? 0 : 1;
  }
  if (argc == 3 && std::string(argv[2]) == "--beat") {
    testmod::Module m = testmod::simpleSong("Beat Tune", 4, 8, 64, {"Click", "Pad"});
    m.samples[0].data = testmod::squareWave(16, 40);
    m.samples[0].loop = false;
    m.samples[1].volume = 10;
    for (auto& p : m.patterns) {
      p.notes.clear();
      p.notes.push_back({0, 1, 37, 2});
      for (int row = 0; row < 64; row += 4) p.notes.push_back({row, 0, 49, 1});
    }
    return writeFile(folder + "Beat Tune.mod", testmod::writeMod(m)) ? 0 : 1;
  }
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
    testmod::Module m = short_ ? testmod::simpleSong(s.title, 4, 4, 16, {"Lead", "Bass"}, 3, 150)
                               : testmod::simpleSong(s.title, 4, 4, 64, {"Lead", "Bass"});
    if (!writeFile(folder + s.file, s.write(m))) return 1;
  }
  if (argc == 3 && !short_) {
    THighScoreList scores(argv[2], 20);
    for (int i = 1; i <= 20; ++i)
      scores.AddScore("Player " + std::to_string(i), 21000 - 1000 * i, 21 - i);
  }
  return 0;
}

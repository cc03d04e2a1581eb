// fuzz_seeds <folder>: writes the seed corpus of every fuzz target into <folder>/<target>/:
// real playlist, high-score, settings, bitmap and module files made by the program's own
// writers.

#include "scores/Score.h"
#include "tests/support/BitmapFiles.h"
#include "tests/support/ModuleWriter.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace {

void put(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string highScores() {
  std::vector<THighScoreRec> records;
  for (int i = 0; i < 5; ++i) {
    THighScoreRec r;
    std::string name = "Player " + std::to_string(i + 1);
    r.NameLength = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), r.Name);
    r.Score = 5000 - 1000 * i;
    r.Level = 5 - i;
    records.push_back(r);
  }
  return THighScoreList::encode(records);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path root = argv[1];
  put(root / "playlist", "two.dat", "/music/a.mod\r\n/music/b.xm\r\n");
  put(root / "playlist", "odd.dat", "a\nb\r\nc\x1A" "d");
  put(root / "playlistformats", "list.m3u",
      std::string(1, '\0') + "#EXTM3U\r\n#EXTINF:61,Artist - Title\r\nsongs/a.mod\r\nfile:///music/b%20c.xm\r\nhttp://x/y\r\n");
  put(root / "playlistformats", "list.pls",
      "\x02[playlist]\nFile2=/m/b.it\nfile1=a.zip#t.xm\nTitle1=Caf\xe9\nLength1=12\nNumberOfEntries=2\nVersion=2\n");
  put(root / "highscores", "five.dat", highScores());
  put(root / "profile", "vorka.ini",
      std::string("Ann") + '\0' +
          "[midasoptions]\r\nMIXRATE=44100\r\n[tetrisoptions]\r\nPLAYERNAME=\"Bob \"\r\n"
          "[generaloptions]\r\nLASTDIR=/music\r\nEXPORTDIR=/music/\r\n[soundoptions]\r\nVOLUME=80\r\n"
          "STEREOSEPARATION=250\r\n[windows]\r\nMAIN=100,100\r\nPLAYLIST=0,0,99999,99999\r\n"
          "INFO=-20,40,420,380\r\n");
  put(root / "commandline", "export",
      std::string("--export") + '\0' + "out.wav" + '\0' + "--subsong" + '\0' + "2" + '\0' + "--force" + '\0' + "tune.it");
  put(root / "commandline", "files", std::string("a.mod") + '\0' + "--" + '\0' + "-b.xm" + '\0' + "folder");
  std::filesystem::create_directories(root / "bitmap");
  writeIndexedBitmap((root / "bitmap" / "grid.bmp").string(), 24, 16, {0, 0xFF0000, 0x00FF00},
                     [](int x, int y) { return (x / 8 + y / 8) % 3; });
  const testmod::Module song = testmod::simpleSong("Seed", 4, 2, 16, {"Lead", "Bass"});
  put(root / "module", "seed.mod", testmod::writeMod(song));
  put(root / "module", "seed.s3m", testmod::writeS3m(song));
  put(root / "module", "seed.xm", testmod::writeXm(song));
  put(root / "module", "seed.it", testmod::writeIt(song));
  return 0;
}

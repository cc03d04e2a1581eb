#include "desktop/CommandLine.h"

#include "desktop/SingleInstance.h"
#include "music/ModuleFormats.h"
#include "platform/filesys.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QMetaClassInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using Paths = std::vector<std::string>;

TCommandLine parse(Paths arguments) {
  QCoreApplication::setApplicationName("vorka");
  QCoreApplication::setApplicationVersion("1.0");
  arguments.insert(arguments.begin(), "vorka");
  return TCommandLine::parse(arguments);
}

// --help and --version answer as Qt programs do; an unknown option is one line and a failure.
TEST(CommandLineTest, OptionsAnswerLikeQtPrograms) {
  TCommandLine help = parse({"--help"});
  EXPECT_EQ(help.Action, TCommandLine::TAction::ShowHelp);
  EXPECT_EQ(help.Text.rfind("Usage: vorka [options] [FILE|FOLDER...]\n", 0), 0u) << help.Text;
  EXPECT_NE(help.Text.find("-v, --version"), std::string::npos);
  TCommandLine version = parse({"-v"});
  EXPECT_EQ(version.Action, TCommandLine::TAction::ShowVersion);
  EXPECT_EQ(version.Text, "vorka 1.0\n");
  TCommandLine unknown = parse({"--shuffle", "tune.mod"});
  EXPECT_EQ(unknown.Action, TCommandLine::TAction::Fail);
  EXPECT_EQ(unknown.Text, "vorka: Unknown option 'shuffle'.");
}

// Files that hold modules stand for themselves, whatever their names, folders for the modules
// named so in them and their sub-folders (Amiga names too) in the playlist dialog's order, and
// a playlist file for the songs it lists, all made absolute; everything else, a file named as a
// module that holds none included, is left out with one sentence each.
TEST(CommandLineTest, FilesAndFoldersBecomeModules) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  const std::string module = testmod::writeXm(testmod::simpleSong("Tune", 4, 1, 16, {"Lead"}));
  std::filesystem::create_directories(dir.path() / "set" / "deeper");
  for (const char* name : {"set/b.XM", "set/a.mod", "set/c.it", "set/mod.beastii", "set/notes.txt",
                           "set/deeper/d.s3m", "single.S3M", "renamed.dat"})
    dir.write(name, module);
  dir.write("readme.txt", "x");
  dir.write("text.xm", "just some words, no module");
  dir.write("empty.it", "");
  dir.write("list.m3u", "#EXTM3U\nset/c.it\ngone.mod\n");
  const std::string startDir = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(root));
  TCommandLine line = parse({"single.S3M", root + "set", "readme.txt", "gone.it", root + "empty", "renamed.dat",
                             "text.xm", "empty.it", "list.m3u"});
  SetCurrentDir(startDir);
  EXPECT_EQ(line.Action, TCommandLine::TAction::Run);
  EXPECT_EQ(line.Files.Modules,
            (Paths{root + "single.S3M", root + "set/deeper/d.s3m", root + "set/a.mod", root + "set/b.XM",
                   root + "set/c.it", root + "set/mod.beastii", root + "renamed.dat", root + "set/c.it"}));
  EXPECT_EQ(line.Files.Problems, (Paths{"readme.txt is not a module the player can read.",
                                        "gone.it: No such file or directory",
                                        root + "empty: No such file or directory",
                                        "text.xm is not a module the player can read.",
                                        "empty.it is not a module the player can read.",
                                        "list.m3u: 1 line was left out: it names no file that can be played."}));
  std::filesystem::create_directory(dir.path() / "empty");
  EXPECT_EQ(parse({root + "empty"}).Files.Problems, Paths{root + "empty holds no module files."});
  EXPECT_TRUE(parse({}).Files.Modules.empty());
}

// The manual page names every option that --help lists (in roff, "--help-all" is written
// "\-\-help\-all").
TEST(CommandLineTest, ManualPageNamesEveryOption) {
  std::ifstream file(VORKA_MANUAL_PAGE);
  const std::string manual((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(manual.empty());
  const std::string help = parse({"--help"}).Text;
  // True when `roff` stands in the manual as a whole word.
  auto named = [&](const std::string& roff) {
    for (std::size_t at = manual.find(roff); at != std::string::npos; at = manual.find(roff, at + 1)) {
      const char next = at + roff.size() < manual.size() ? manual[at + roff.size()] : ' ';
      if (!std::isalnum(static_cast<unsigned char>(next)) && next != '\\') return true;
    }
    return false;
  };
  std::set<std::string> options;
  for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2)) {
    const std::string option = help.substr(at, help.find_first_of(" ,<\n", at) - at);
    std::string roff;
    for (char c : option) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_TRUE(named(roff)) << option;
    options.insert(option);
  }
  EXPECT_EQ(options, (std::set<std::string>{"--channels", "--export", "--force", "--help", "--help-all", "--subsong",
                                            "--version"}));
}

// --export takes the audio file's name as given (bytes, either way of writing it) and exactly
// one module, and --subsong the number of a subsong, from 1 (the lowest number there is too),
// and --force and --channels only beside it.
TEST(CommandLineTest, ExportTakesOneModule) {
  TempDir dir;
  const std::string module = dir.write("tune.xm", testmod::writeXm(testmod::simpleSong("Tune", 4, 1, 16, {"Lead"})));
  for (const Paths& arguments : {Paths{"--export", "J\xf6rg.flac", module}, Paths{"--export=J\xf6rg.flac", module}}) {
    TCommandLine line = parse(arguments);
    EXPECT_EQ(line.Action, TCommandLine::TAction::Export);
    EXPECT_EQ(line.ExportTo, "J\xf6rg.flac");
    EXPECT_EQ(line.Files.Modules, Paths{module});
    EXPECT_EQ(line.ExportSubsong, 0);
  }
  EXPECT_EQ(parse({"--export", "a.wav", "--subsong", "3", module}).ExportSubsong, 2);
  EXPECT_FALSE(parse({"--export", "a.wav", module}).ExportForce);
  EXPECT_TRUE(parse({"--export", "a.wav", "--force", module}).ExportForce);
  EXPECT_FALSE(parse({"--export", "a.wav", module}).ExportChannels);
  EXPECT_TRUE(parse({"--export", "a.wav", "--channels", module}).ExportChannels);
  const char* oneModule = "vorka: --export saves one module: give one module file after the audio file.";
  const char* aNumber = "vorka: --subsong takes the number of a subsong, from 1.";
  const std::pair<Paths, const char*> failures[] = {
      {{"--export", "a.wav"}, oneModule},
      {{"--export", "a.wav", module, module}, oneModule},
      {{"--export", "a.wav", dir.path().string()}, oneModule},
      {{"--export", "a.wav", "--subsong=0", module}, aNumber},
      {{"--export", "a.wav", "--subsong", "two", module}, aNumber},
      {{"--export", "a.wav", "--subsong", "-2147483648", module}, aNumber},
      {{"--subsong", "2", module}, "vorka: --subsong goes with --export."},
      {{"--force", module}, "vorka: --force goes with --export."},
      {{"--channels", module}, "vorka: --channels goes with --export."}};
  for (const auto& [arguments, text] : failures) {
    TCommandLine line = parse(arguments);
    EXPECT_EQ(line.Action, TCommandLine::TAction::Fail);
    EXPECT_EQ(line.Text, text);
  }
}

// Names are bytes: one that is not valid UTF-8 is kept as it is. A name that the playlist file
// cannot hold (CR, LF, Ctrl-Z) is refused on one line, given or found in a folder, and so is a
// zero byte. Paths from another program must be absolute.
TEST(CommandLineTest, OnlyNamesThePlaylistCanHoldAreTaken) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  const std::string module = testmod::writeXm(testmod::simpleSong("Tune", 4, 1, 16, {"Lead"}));
  const std::string latin1 = dir.write("J\xf6rg.mod", module);
  const std::string lineFeed = dir.write("odd\nname.mod", module);
  std::filesystem::create_directory(dir.path() / "set");
  dir.write("set/ctrl\x1az.xm", module);
  dir.write("set/fine.it", module);
  const std::string ending = " cannot be kept in the playlist: its name holds a line break or Ctrl-Z character.";
  TCommandLine line = parse({"--", latin1, lineFeed, root + "set", root + "gone\r.s3m"});
  EXPECT_EQ(line.Files.Modules, (Paths{latin1, root + "set/fine.it"}));
  const std::string inSet = root + "set: 1 file was left out: its name holds a line break or Ctrl-Z character.";
  EXPECT_EQ(line.Files.Problems, (Paths{root + "odd\\nname.mod" + ending, inSet, root + "gone\\r.s3m" + ending}));

  TModuleFiles fromBus = TModuleFiles::ofAbsolute({"", "fine.it", latin1 + std::string(1, '\0') + "x",
                                                    "/dev/zero", root + "set"});
  EXPECT_EQ(fromBus.Modules, (Paths{root + "set/fine.it"}));
  EXPECT_EQ(fromBus.Problems, (Paths{"An empty path names no file.", "fine.it is not an absolute path.",
                                     "A path holds a zero byte, which no file name can.",
                                     "/dev/zero is not a module the player can read.", inSet}));
}

// The desktop entry offers the program for the sound types that shared-mime-info gives the
// library's extensions and for playlists, as MPRIS does.
TEST(CommandLineTest, DesktopEntryListsTheModuleTypes) {
  std::ifstream entry(VORKA_DESKTOP_ENTRY);
  std::string line;
  while (std::getline(entry, line) && !line.starts_with("MimeType=")) {
  }
  std::vector<std::string> listed;
  std::stringstream types(line.substr(line.find('=') + 1));
  for (std::string type; std::getline(types, type, ';');) listed.push_back(type);
  EXPECT_EQ(listed, TModuleFiles::MimeTypes());
  for (const char* type : {"audio/x-mod", "audio/x-s3m", "audio/x-xm", "audio/x-it", "audio/x-mpegurl", "audio/x-scpls"})
    EXPECT_NE(std::find(listed.begin(), listed.end(), type), listed.end()) << type;
}

// The single-instance interface is the program's id, the name its desktop entry has.
TEST(CommandLineTest, SingleInstanceNameIsTheProgramId) {
  EXPECT_STREQ(TSingleInstance::staticMetaObject.classInfo(0).value(), VORKA_APP_ID);
}

} // namespace

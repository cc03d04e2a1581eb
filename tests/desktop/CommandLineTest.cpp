#include "desktop/CommandLine.h"

#include "desktop/SingleInstance.h"
#include "platform/filesys.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QMetaClassInfo>

#include <gtest/gtest.h>

#include <filesystem>

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

// Module files stand for themselves and folders for their modules in the playlist dialog's
// order, all made absolute; everything else is left out with one sentence each.
TEST(CommandLineTest, FilesAndFoldersBecomeModules) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  std::filesystem::create_directories(dir.path() / "set" / "deeper");
  for (const char* name : {"set/b.XM", "set/a.mod", "set/c.it", "set/notes.txt", "set/deeper/d.s3m",
                           "single.S3M", "readme.txt"})
    dir.write(name, "x");
  const std::string startDir = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(root));
  TCommandLine line = parse({"single.S3M", root + "set", "readme.txt", "gone.it", root + "empty"});
  SetCurrentDir(startDir);
  EXPECT_EQ(line.Action, TCommandLine::TAction::Run);
  EXPECT_EQ(line.Files.Modules, (Paths{root + "single.S3M", root + "set/a.mod", root + "set/b.XM",
                                       root + "set/c.it"}));
  EXPECT_EQ(line.Files.Problems, (Paths{"readme.txt is not a module file (mod, it, s3m or xm).",
                                        "gone.it: No such file or directory",
                                        root + "empty: No such file or directory"}));
  std::filesystem::create_directory(dir.path() / "empty");
  EXPECT_EQ(parse({root + "empty"}).Files.Problems, Paths{root + "empty holds no module files."});
  EXPECT_TRUE(parse({}).Files.Modules.empty());
}

// Names are bytes: one that is not valid UTF-8 is kept as it is. A name that the playlist file
// cannot hold (CR, LF, Ctrl-Z) is refused on one line, given or found in a folder, and so is a
// zero byte. Paths from another program must be absolute.
TEST(CommandLineTest, OnlyNamesThePlaylistCanHoldAreTaken) {
  TempDir dir;
  const std::string root = dir.path().string() + "/";
  const std::string latin1 = dir.write("J\xf6rg.mod", "x");
  const std::string lineFeed = dir.write("odd\nname.mod", "x");
  std::filesystem::create_directory(dir.path() / "set");
  dir.write("set/ctrl\x1az.xm", "x");
  dir.write("set/fine.it", "x");
  const std::string ending = " cannot be kept in the playlist: its name holds a line break or Ctrl-Z character.";
  TCommandLine line = parse({"--", latin1, lineFeed, root + "set", root + "gone\r.s3m"});
  EXPECT_EQ(line.Files.Modules, (Paths{latin1, root + "set/fine.it"}));
  EXPECT_EQ(line.Files.Problems, (Paths{root + "odd\\nname.mod" + ending, root + "set/ctrl\\x1Az.xm" + ending,
                                        root + "gone\\r.s3m" + ending}));

  TModuleFiles fromBus = TModuleFiles::ofAbsolute({"", "fine.it", latin1 + std::string(1, '\0') + "x",
                                                    "/dev/zero", root + "set"});
  EXPECT_EQ(fromBus.Modules, (Paths{root + "set/fine.it"}));
  EXPECT_EQ(fromBus.Problems, (Paths{"An empty path names no file.", "fine.it is not an absolute path.",
                                     "A path holds a zero byte, which no file name can.",
                                     "/dev/zero is not a module file (mod, it, s3m or xm).",
                                     root + "set/ctrl\\x1Az.xm" + ending}));
}

// The single-instance interface is the program's id, the name its desktop entry has.
TEST(CommandLineTest, SingleInstanceNameIsTheProgramId) {
  EXPECT_STREQ(TSingleInstance::staticMetaObject.classInfo(0).value(), VORKA_APP_ID);
}

} // namespace

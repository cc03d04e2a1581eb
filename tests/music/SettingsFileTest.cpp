#include "music/SettingsFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }

  std::string iniPath() const { return config.file("vorka/vorka.ini"); }

  void writeIni(const std::string& text) {
    std::filesystem::create_directories(config.path() / "vorka");
    std::ofstream(iniPath(), std::ios::binary) << text;
  }

  std::string readIni() const {
    std::ifstream in(iniPath(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempDir config;
  TSettingsFile file;
};

// Without a settings file every key reads as its default.
TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
  EXPECT_EQ(file.readInteger(settings::MixRate), 44100);
  EXPECT_EQ(file.readInteger(settings::OutputMode), 10);
  EXPECT_EQ(file.readInteger(settings::MixingMode), 1);
  EXPECT_EQ(file.readText(settings::PlayerName), "Player1");
  EXPECT_TRUE(file.readTruth(settings::FullScreen));
  EXPECT_TRUE(file.readTruth(settings::FirstTime));
  EXPECT_EQ(file.readText(settings::LastDir), "/");
  EXPECT_EQ(file.path(), iniPath());
}

// Integers are hexadecimal after "0x" when longer than two characters, otherwise decimal;
// anything that is no number gives the default, and so does a number outside the key's range,
// which is named once in a line of its own.
TEST_F(SettingsFileTest, IntegerReadingRules) {
  auto read = [&](const std::string& value) {
    writeIni("[midasoptions]\nOUTPUTMODE=" + value + "\n");
    return file.readInteger(settings::OutputMode);
  };
  EXPECT_EQ(read("0x5622"), 22050);
  EXPECT_EQ(read("0X10"), 16);
  EXPECT_EQ(read("0xFFFFFFFF"), -1);
  EXPECT_EQ(read("0x"), 10);
  EXPECT_EQ(read("0x12G"), 10);
  EXPECT_EQ(read("0x123456789"), 10);
  EXPECT_EQ(read("  3000  "), 3000);
  EXPECT_EQ(read("-5"), -5);
  EXPECT_EQ(read("+7"), 7);
  EXPECT_EQ(read(""), 10);
  EXPECT_EQ(read("12abc"), 10);
  EXPECT_EQ(read("-"), 10);
  EXPECT_EQ(read("2147483648"), 10);
  EXPECT_EQ(read("-2147483648"), -2147483647 - 1);

  writeIni("[midasoptions]\nMIXRATE=96000\nOUTPUTMODE=7\n[soundoptions]\nVOLUME=-5\nREPEAT=loud\n"
           "STEREOSEPARATION=200\nAMIGARESAMPLER=0x7FFFFFFF\n");
  EXPECT_EQ(file.readInteger(settings::MixRate), 96000);
  EXPECT_EQ(file.readInteger(settings::Volume), 100);
  EXPECT_EQ(file.readInteger(settings::Repeat), 0);
  EXPECT_EQ(file.readRenderOptions(), (TRenderOptions{8, 200, -1, TAmigaResampler::Automatic}));
  EXPECT_EQ(file.problems(), (std::vector<std::string>{"VOLUME=-5 is not 0 to 100; using 100",
                                                       "REPEAT=loud is not a number; using 0",
                                                       "AMIGARESAMPLER=0x7FFFFFFF is not 0 to 3; using 0"}));
  writeIni("[midasoptions]\nMIXRATE=0\n");
  EXPECT_EQ(file.readInteger(settings::MixRate), 44100);
  EXPECT_EQ(file.problems(), std::vector<std::string>{"MIXRATE=0 is not 5000 to 192000; using 44100"});
}

// Truth values are integers with 1 or 0 as default; every non-zero value is true.
TEST_F(SettingsFileTest, TruthIsAnyNonZeroInteger) {
  auto read = [&](const std::string& value) {
    writeIni("[tetrisoptions]\nFULLSCREEN=" + value + "\n");
    return file.readTruth(settings::FullScreen);
  };
  EXPECT_FALSE(read("0"));
  EXPECT_TRUE(read("1"));
  EXPECT_TRUE(read("2"));
  EXPECT_TRUE(read("-1"));
  EXPECT_FALSE(read("0x0"));
  EXPECT_TRUE(read("yes")); // not a number: the default, true
  writeIni("[generaloptions]\nFIRSTTIME=no\n");
  EXPECT_TRUE(file.readTruth(settings::FirstTime));
}

// Text comes back as stored up to 1023 bytes; an empty value is a value, not the default.
TEST_F(SettingsFileTest, TextIsCutToTheBuffer) {
  std::string longName(1500, 'n');
  writeIni("[tetrisoptions]\nPLAYERNAME=" + longName + "\n[generaloptions]\nLASTDIR=\n");
  EXPECT_EQ(file.readText(settings::PlayerName), std::string(1023, 'n'));
  EXPECT_EQ(file.readText(settings::LastDir), "");
}

// Writes store integers in decimal, truth as 1 or 0 and text unchanged; reading gives them
// back, text with its outer blanks included.
TEST_F(SettingsFileTest, WritesUseTheWritingRules) {
  file.writeInteger(settings::MixRate, 22050);
  file.writeTruth(settings::FullScreen, false);
  file.writeTruth(settings::FirstTime, true);
  file.writeText(settings::PlayerName, " Ann  Lee ");
  std::string ini = readIni();
  EXPECT_NE(ini.find("MIXRATE=22050"), std::string::npos) << ini;
  EXPECT_NE(ini.find("FULLSCREEN=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("FIRSTTIME=1"), std::string::npos) << ini;
  EXPECT_EQ(file.readInteger(settings::MixRate), 22050);
  EXPECT_FALSE(file.readTruth(settings::FullScreen));
  EXPECT_EQ(file.readText(settings::PlayerName), " Ann  Lee ");
}

// A write that cannot happen raises "Unable to write to" and the file's path.
TEST_F(SettingsFileTest, FailedWriteNamesTheFile) {
  std::ofstream(config.file("vorka")) << "a file where the folder should be";
  try {
    file.writeInteger(settings::MixRate, 1);
    FAIL() << "the write succeeded";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + iniPath());
  }
}

} // namespace

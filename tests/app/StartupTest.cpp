#include "app/Startup.h"

#include "app/Application.h"
#include "app/main.h"
#include "app/setup.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "playlist/playlist.h"
#include "scores/Score.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class StartupTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption, TMessageKind) {
      boxes.push_back({text, caption, frmMain && frmMain->isVisible()});
    });
    folder = program.path().string() + "/";
    SetApplicationTitle("VORKA");
  }
  void TearDown() override {
    DestroyWindows();
    SetMessageBoxHandler(nullptr);
    SetCurrentDir(startDir);
  }

  std::string setting(const char* section, const char* key) {
    return GetPrivateProfileString(section, key, "<missing>", 1024, "vorka.ini");
  }

  struct Box {
    std::string text, caption;
    bool mainVisible;
  };
  const std::string startDir = GetCurrentDir();
  TempDir config, program;
  std::string folder;
  std::vector<Box> boxes;
};

// On a first start the windows are made in order, the welcome message shows before the main
// window does, and the sound library opens only when the main window is shown.
TEST_F(StartupTest, FirstStartOrder) {
  ASSERT_TRUE(CreateWindows(folder));
  ASSERT_TRUE(frmMain && frmSetup && frmPlayList);
  EXPECT_EQ(frmSetup->parentWidget(), frmMain);
  EXPECT_EQ(frmPlayList->parentWidget(), frmMain);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Welcome to VORKA. ", 0), 0u);
  EXPECT_EQ(boxes[0].caption, "VORKA");
  EXPECT_FALSE(boxes[0].mainVisible);
  EXPECT_FALSE(frmMain->Player);
  frmMain->show();
  EXPECT_TRUE(frmMain->Player);
}

// A normal end stores the settings (FIRSTTIME now 0) and the playlist as CR LF lines.
TEST_F(StartupTest, NormalEndStoresSettingsAndPlaylist) {
  TempDir music;
  std::string tune = music.write("tune.it", testmod::writeIt(testmod::simpleSong("T", 4, 1, 32, {"a"})));
  std::ofstream(folder + "playlist.dat", std::ios::binary) << tune << "\r\n";
  ASSERT_TRUE(CreateWindows(folder));
  frmMain->show();
  frmMain->close();
  DestroyWindows();
  EXPECT_EQ(setting("generaloptions", "FIRSTTIME"), "0");
  EXPECT_EQ(setting("midasoptions", "MIXRATE"), "44100");
  std::ifstream in(folder + "playlist.dat", std::ios::binary);
  std::stringstream stored;
  stored << in.rdbuf();
  EXPECT_EQ(stored.str(), tune + "\r\n");
}

// A sound library that cannot start shows "MIDAS Error" and ends the program before its event
// loop runs; the dialogs still store their files, and the high scores are not lost.
TEST_F(StartupTest, FatalSoundErrorEndsTheProgram) {
  int result = inChildProcess([&] {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    if (!CreateWindows(folder)) return 1;
    frmMain->HighScores->AddScore("Survivor", 1234, 5);
    frmMain->show();
    auto* app = static_cast<TApplication*>(QCoreApplication::instance());
    if (!app->fatal()) return 2;
    if (frmMain->Player) return 3;
    if (boxes.size() != 2 || boxes[1].caption != "MIDAS Error") return 4;
    if (boxes[1].text.rfind("Unable to open audio device", 0) != 0) return 5;
    DestroyWindows();
    if (setting("generaloptions", "FIRSTTIME") != "0") return 6;
    THighScoreList kept(folder + "highscore.dat", 20);
    return kept.Count() == 1 && kept.GetEntry(0).name() == "Survivor" ? 0 : 7;
  });
  EXPECT_EQ(result, 0);
}

// The session's request to save stores settings, playlist and high scores at once and leaves
// the boxes as they were; an end asked for during start-up skips the main window and still
// stores everything.
TEST_F(StartupTest, CommitDataAndEndDuringStartUp) {
  ASSERT_TRUE(CreateWindows(folder));
  frmMain->HighScores->AddScore("Saved", 77, 2);
  CommitData();
  EXPECT_EQ(setting("generaloptions", "FIRSTTIME"), "0");
  EXPECT_TRUE(FileExists(folder + "playlist.dat"));
  EXPECT_EQ(THighScoreList(folder + "highscore.dat", 20).GetEntry(0).name(), "Saved");
  ShowMessageBox("still here", "", TMessageKind::Information);
  EXPECT_EQ(boxes.back().text, "still here");
  DestroyWindows();

  int result = inChildProcess([&] {
    if (!CreateWindows(folder)) return 1;
    RequestEnd();
    if (RunProgram(*static_cast<TApplication*>(QCoreApplication::instance()), {}) != 0) return 2;
    if (frmMain->isVisible()) return 3;
    frmMain->HighScores->AddScore("Late", 5, 1);
    DestroyWindows();
    return THighScoreList(folder + "highscore.dat", 20).Count() == 2 ? 0 : 4;
  });
  EXPECT_EQ(result, 0);
}

} // namespace

#pragma once

#include "app/Startup.h"
#include "app/main.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The program's windows on a fresh settings folder (past its first start) and a fresh program
// folder, with sound on SDL's dummy driver and message boxes recorded instead of shown.
class TProgramTest : public ::testing::Test {
protected:
  void SetUp() override {
    testApp();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    std::filesystem::create_directories(config.path() / "vorka");
    std::ofstream(config.file("vorka/vorka.ini")) << "[generaloptions]\nFIRSTTIME=0\n";
    SetMessageBoxHandler([this](const std::string& text, const std::string&, TMessageKind) {
      boxes.push_back(text);
    });
  }
  void TearDown() override {
    if (frmMain) frmMain->close();
    DestroyWindows();
    SetMessageBoxHandler(nullptr);
    SetCurrentDir(startDir);
  }

  // Stores `paths` as the program folder's playlist.
  void storePlaylist(const std::vector<std::string>& paths) {
    std::ofstream out(program.file("playlist.dat"), std::ios::binary);
    for (const auto& p : paths) out << p << "\r\n";
  }
  // Makes the windows and shows the main window, which opens the sound library.
  void start() {
    ASSERT_TRUE(CreateWindows(program.path().string() + "/"));
    frmMain->show();
    ASSERT_TRUE(frmMain->Player);
  }

  // Next, as the button gives it, once the song that follows plays: the player controller may
  // wait for the song queue to read it.
  static void playNext() {
    frmMain->btnPlayNextClick();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (frmMain->Controller->awaitingSong() && std::chrono::steady_clock::now() < end)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(frmMain->Controller->awaitingSong()) << "the song that follows never came";
  }

  const std::string startDir = GetCurrentDir();
  TempDir config, program;
  std::vector<std::string> boxes;
};

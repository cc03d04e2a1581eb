#include "app/HighScoreDelegate.h"
#include "tests/app/ProgramTest.h"
#include "app/Startup.h"
#include "game/game.h"
#include "gfx/DataFolder.h"
#include "app/Settings.h"
#include "app/main.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "scores/Score.h"
#include "tests/support/TempDir.h"

#include <QHeaderView>
#include <QCheckBox>
#include <QListWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <fstream>

namespace {

class HighScoreBoxTest : public TProgramTest {
protected:
  // A full list: "P1" with 2000 points on level 20 down to "P20" with 100 on level 1.
  void storeTwenty() {
    THighScoreList list(program.file("highscore.dat"), 20);
    for (int i = 1; i <= 20; ++i) list.AddScore("P" + std::to_string(i), 2100 - 100 * i, 21 - i);
  }

  std::array<QString, 4> row(int i) {
    return THighScoreDelegate::rowTexts(i, frmMain->HighScores->GetEntry(i));
  }
};

// Without a high-score file the box is empty.
TEST_F(HighScoreBoxTest, NoFileEmptyBox) {
  start();
  EXPECT_EQ(frmMain->lbHighScore->count(), 0);
}

// A file of 20 results fills the box, ranks 1 to 20, best first.
TEST_F(HighScoreBoxTest, TwentyResultsFromTheFile) {
  storeTwenty();
  start();
  ASSERT_EQ(frmMain->lbHighScore->count(), 20);
  EXPECT_EQ(row(0), (std::array<QString, 4>{"1", "P1", "2000", "20"}));
  EXPECT_EQ(row(19), (std::array<QString, 4>{"20", "P20", "100", "1"}));
  EXPECT_EQ(frmMain->lbHighScore->item(0)->text(), "P1");
}

// The columns start at the header's sections and move at once when one is dragged wider.
TEST_F(HighScoreBoxTest, ColumnsFollowTheHeader) {
  start();
  QHeaderView* hdr = frmMain->Hdr;
  EXPECT_EQ(THighScoreDelegate::columnStarts(hdr, 2), (std::array<int, 4>{2, 21, 123, 174}));
  hdr->resizeSection(0, 40);
  EXPECT_EQ(THighScoreDelegate::columnStarts(hdr, 2), (std::array<int, 4>{2, 42, 144, 195}));
}

// Each column is cut at the start of the next, so a huge score leaves the level column as it
// would be beside a small one.
TEST_F(HighScoreBoxTest, ColumnsAreClippedToTheirSections) {
  {
    THighScoreList list(program.file("highscore.dat"), 20);
    list.AddScore("Huge", INT32_MIN + 1, 1);
    list.AddScore("Tiny", INT32_MIN, 1);
  }
  start();
  const QImage rows = frmMain->lbHighScore->viewport()->grab().toImage();
  const QRect first = frmMain->lbHighScore->visualItemRect(frmMain->lbHighScore->item(0));
  const int levelStart = THighScoreDelegate::columnStarts(frmMain->Hdr, first.left())[3];
  const QRect level(levelStart, first.top(), first.right() - levelStart, first.height());
  EXPECT_EQ(rows.copy(level), rows.copy(level.translated(0, first.height())));
}

// A result is stored as soon as the game window closes. A save that fails (the file is
// write-protected) says so with the path and the system's reason, in a box while the program
// runs and on standard error as it ends; the result stays for the next save.
TEST_F(HighScoreBoxTest, ResultIsStoredWhenTheGameCloses) {
  const std::string file = program.file("highscore.dat");
  const std::string failure = "Could not write high scores: " + file + ": Permission denied.";
  auto playGame = [](int32_t score) {
    QTimer::singleShot(0, [score] {
      frmGame->AddScore("Winner", score, 3);
      frmGame->close();
    });
    frmMain->btnPlayGameClick();
  };
  SetGameDataFolder(VORKA_OUTPUT_DIR);
  program.write("highscore.dat", "");
  start();
  frmMain->Settings.FullScreen = false;
  playGame(900);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(int32_t{THighScoreList(file, 20).GetEntry(0).Score}, 900);

  chmod(file.c_str(), 0444);
  playGame(700);
  EXPECT_EQ(boxes, std::vector<std::string>{failure});
  EXPECT_EQ(frmMain->lbHighScore->count(), 2);
  ::testing::internal::CaptureStderr();
  frmMain->close();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(failure), std::string::npos);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(THighScoreList(file, 20).Count(), 1);
}

// Results entered during a run show after the refill; one too low for the full list changes
// nothing; closing the main window writes them.
TEST_F(HighScoreBoxTest, RefillAndWriteAtClose) {
  storeTwenty();
  start();
  frmMain->HighScores->AddScore("Low", 50, 1);
  frmMain->FillHighScores();
  EXPECT_EQ(frmMain->lbHighScore->count(), 20);
  EXPECT_EQ(row(19)[1], "P20");
  frmMain->HighScores->AddScore("Best", 9999, 7);
  EXPECT_EQ(frmMain->lbHighScore->item(0)->text(), "P1");
  frmMain->FillHighScores();
  EXPECT_EQ(frmMain->lbHighScore->item(0)->text(), "Best");
  EXPECT_EQ(row(0), (std::array<QString, 4>{"1", "Best", "9999", "7"}));
  frmMain->close();
  THighScoreList reread(program.file("highscore.dat"), 20);
  EXPECT_EQ(reread.GetEntry(0).name(), "Best");
  EXPECT_EQ(reread.GetEntry(19).name(), "P19");
}

} // namespace

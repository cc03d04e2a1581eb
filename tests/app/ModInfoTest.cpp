#include "app/modinfo.h"

#include "tests/app/ProgramTest.h"

#include "app/Startup.h"
#include "app/Settings.h"
#include "app/main.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

QStringList lines(const QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }

class ModInfoTest : public TProgramTest {
protected:
  void start(const std::vector<std::string>& songs) {
    storePlaylist(songs);
    TProgramTest::start();
  }

  // Presses F8's command and reports whether the dialog came up; it is closed again at once.
  bool f8Shows() {
    bool shown = false;
    QTimer::singleShot(0, [&] {
      shown = frmInfo->isVisible();
      frmInfo->btnOkClick();
    });
    frmMain->mnuModinfoClick();
    QCoreApplication::processEvents();
    return shown;
  }

  TempDir music;
};

// The General page lines up its five values behind 12-character labels; the file name part
// follows the last "/", "\" or ":".
TEST_F(ModInfoTest, LinesAndFileNamePart) {
  ModuleInfo info{};
  info.SongLength = 24;
  info.PatternCount = 18;
  info.InstrumentCount = 15;
  info.ChannelCount = 4;
  EXPECT_EQ(TfrmInfo::InfoLines(info, "/home/u/music/tune.xm"),
            (std::vector<std::string>{"Length      : 24 patterns", "Patterns    : 18",
                                      "Instruments : 15", "Channels    : 4",
                                      "Filename    : tune.xm"}));
  EXPECT_EQ(TfrmInfo::FileNamePart("c:\\music\\tune.xm"), "tune.xm");
  EXPECT_EQ(TfrmInfo::FileNamePart("c:tune.xm"), "tune.xm");
  EXPECT_EQ(TfrmInfo::FileNamePart("tune.xm"), "tune.xm");
  EXPECT_EQ(TfrmInfo::FileNamePart("/music/"), "");
}

// F8 does nothing while stopped or paused; while playing it shows the module's facts and one
// line per instrument, an empty name giving an empty line.
TEST_F(ModInfoTest, ShowsThePlayingModule) {
  std::vector<std::string> names;
  for (int i = 0; i < 15; ++i) names.push_back(i == 3 ? "" : "Instrument " + std::to_string(i));
  testmod::Module m = testmod::simpleSong("Known Tune", 4, 18, 16, names);
  m.orders.clear();
  for (int i = 0; i < 24; ++i) m.orders.push_back(i % 18);
  std::string tune = music.write("tune.xm", testmod::writeXm(m));
  start({tune});
  EXPECT_FALSE(f8Shows());
  playNext();
  frmMain->btnPauseClick();
  EXPECT_FALSE(f8Shows());
  frmMain->btnPauseClick();
  EXPECT_TRUE(f8Shows());

  EXPECT_EQ(frmInfo->eName->text(), "Known Tune");
  EXPECT_EQ(lines(frmInfo->mModInfo),
            (QStringList{"Length      : 24 patterns", "Patterns    : 18", "Instruments : 15",
                         "Channels    : 4", "Filename    : tune.xm"}));
  QStringList instruments = lines(frmInfo->mInst);
  ASSERT_EQ(instruments.size(), 15);
  EXPECT_EQ(instruments[0], "Instrument 0");
  EXPECT_EQ(instruments[3], "");
  EXPECT_EQ(instruments[14], "Instrument 14");
  EXPECT_TRUE(frmInfo->mModInfo->font().fixedPitch());
}

// The Message page shows the module's message as written; the Details page lists what the
// module tells: its format and tracker, its subsongs with their lengths, instruments and samples.
TEST_F(ModInfoTest, MessageAndDetailsPages) {
  testmod::Module m = testmod::simpleSong("Told", 4, 2, 16, {"Lead", "Bass"});
  m.patterns[0].notes.push_back({15, 1, 0, 0, testmod::kEffectJump, 0});
  m.message = "Greetings to all\nwho listen.\n  -- the composer";
  start({music.write("told.it", testmod::writeIt(m))});
  playNext();
  EXPECT_TRUE(f8Shows());
  EXPECT_EQ(frmInfo->Notebook->tabText(2), "Message");
  EXPECT_EQ(frmInfo->mMessage->toPlainText().toStdString(), m.message);
  EXPECT_TRUE(frmInfo->mMessage->font().fixedPitch());
  EXPECT_EQ(lines(frmInfo->mDetails),
            (QStringList{"Title       : Told", "Artist      : ", "Format      : Impulse Tracker 2.14",
                         "Tracker     : Impulse Tracker 2.14", "Date        : ", "Subsongs    : 2",
                         "   1  0:01  Subsong 1", "   2  0:01  Subsong 2", "Instruments : 2",
                         "   1  Lead", "   2  Bass", "Samples     : 2", "   1  Lead", "   2  Bass"}));
}

// A double-click on an instrument, or Return on it, lets it be heard; the same again silences
// it, another one takes its place, and closing the dialog silences it.
TEST_F(ModInfoTest, InstrumentsCanBeHeard) {
  start({music.write("two.xm", testmod::writeXm(testmod::simpleSong("Two", 4, 1, 64, {"Lead", "Bass"})))});
  playNext();
  frmInfo->show();
  QWidget* lines = frmInfo->mInst->viewport();
  const QPoint firstLine = frmInfo->mInst->cursorRect().center();
  QTest::mouseDClick(lines, Qt::LeftButton, {}, firstLine);
  EXPECT_EQ(frmInfo->Preview.sounding(), 0);
  QTest::mouseDClick(lines, Qt::LeftButton, {}, firstLine);
  EXPECT_EQ(frmInfo->Preview.sounding(), -1);
  frmInfo->mInst->moveCursor(QTextCursor::Down);
  QTest::keyClick(frmInfo->mInst, Qt::Key_Return);
  EXPECT_EQ(frmInfo->Preview.sounding(), 1);
  EXPECT_TRUE(frmInfo->isVisible());
  frmInfo->hide();
  EXPECT_EQ(frmInfo->Preview.sounding(), -1);
  EXPECT_TRUE(boxes.empty());
}

// F8 opens the dialog without holding the main window; while it is open it follows the song
// that plays (the instrument heard of the song before falls silent), and it comes back with the
// size the user gave it. A module without instruments leaves the Instruments page empty.
TEST_F(ModInfoTest, FollowsThePlayingSongAndKeepsItsSize) {
  std::string first = music.write("first.mod", testmod::writeMod(testmod::simpleSong("First", 4, 2, 64, {"a"})));
  testmod::Module bare = testmod::simpleSong("Bare", 4, 1, 64, {});
  std::string second = music.write("bare.s3m", testmod::writeS3m(bare));
  start({first, second});
  playNext();
  frmMain->mnuModinfoClick();
  ASSERT_TRUE(frmInfo->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(frmInfo->eName->text(), "First");
  EXPECT_EQ(lines(frmInfo->mInst).size(), 31);
  frmInfo->HearInstrument(0);
  EXPECT_EQ(frmInfo->Preview.sounding(), 0);
  playNext();
  EXPECT_EQ(frmInfo->eName->text(), "Bare");
  EXPECT_EQ(frmInfo->Preview.sounding(), -1);
  EXPECT_EQ(frmInfo->mInst->toPlainText(), "");
  EXPECT_EQ(lines(frmInfo->mModInfo)[2], "Instruments : 0");
  EXPECT_EQ(lines(frmInfo->mModInfo)[4], "Filename    : bare.s3m");
  EXPECT_EQ(frmInfo->mMessage->toPlainText(), "");

  frmInfo->resize(520, 460);
  frmInfo->btnOkClick();
  EXPECT_FALSE(frmInfo->isVisible());
  EXPECT_TRUE(frmMain->Settings.InfoPlace.ends_with(",520,460")) << frmMain->Settings.InfoPlace;
  frmInfo->resize(300, 330);
  frmMain->mnuModinfoClick();
  EXPECT_EQ(frmInfo->size(), QSize(520, 460));
  EXPECT_GT(frmInfo->Notebook->width(), 500);
  frmInfo->hide();
}

} // namespace

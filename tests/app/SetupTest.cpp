#include "app/setup.h"

#include "app/GamePage.h"
#include "app/MixingPage.h"
#include "app/Settings.h"
#include "controls/GfxBtn.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

class SetupTest : public ::testing::Test {
protected:
  void SetUp() override {
    testApp();
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    SetMessageBoxHandler([this](const std::string& text, const std::string&, TMessageKind kind) {
      boxes.push_back(text);
      kinds.push_back(kind);
    });
  }
  void TearDown() override {
    setup.reset();
    settings.reset();
    SetMessageBoxHandler(nullptr);
  }

  void writeIni(const std::string& text) {
    std::filesystem::create_directories(config.path() / "vorka");
    std::ofstream(config.file("vorka/vorka.ini")) << text;
  }

  std::string stored(const char* section, const char* key) {
    return GetPrivateProfileString(section, key, "<missing>", 1024, "vorka.ini");
  }

  // A start of the program: the settings read from the file, and the dialog over them.
  TfrmSetup& make() {
    setup.reset();
    settings = std::make_unique<TSettings>();
    setup = std::make_unique<TfrmSetup>(&mainWindow, *settings);
    return *setup;
  }

  TempDir config;
  QWidget mainWindow;
  std::vector<std::string> boxes;
  std::vector<TMessageKind> kinds;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TfrmSetup> setup;
};

// On a first start the welcome message shows, and the dialog holds every default.
TEST_F(SetupTest, FirstStartShowsWelcomeAndDefaults) {
  TfrmSetup& s = make();
  ASSERT_EQ(boxes, std::vector<std::string>{"Welcome to VORKA. \nThis is a music player with built "
                                            "in Tetris game. \n\nPlease see the About box for a "
                                            "quick guide."});
  EXPECT_EQ(kinds[0], TMessageKind::Information);
  EXPECT_EQ(s.TrackBar->value(), 44100);
  EXPECT_EQ(s.eMixFreq->text(), "44100");
  EXPECT_EQ(s.selectedOutputMode(), 10);
  EXPECT_EQ(s.rgModesItems->checkedButton()->text(), "16 bit stereo");
  EXPECT_EQ(s.cbHighQuality->checkState(), Qt::Checked);
  EXPECT_EQ(s.ePlayername->text(), "Player1");
  EXPECT_TRUE(s.cbFullscreen->isChecked());
  EXPECT_EQ(settings->LastDir, "/");
}

// The welcome shows once, when the dialog is made, and not at a Cancel; after a save it never
// shows again.
TEST_F(SetupTest, WelcomeOnceAtTheFirstStart) {
  TfrmSetup& s = make();
  s.btnCancelClick();
  s.btnCancelClick();
  EXPECT_EQ(boxes.size(), 1u);
  s.btnOkClick();
  EXPECT_EQ(stored("generaloptions", "FIRSTTIME"), "0");
  s.btnCancelClick();
  make();
  EXPECT_EQ(boxes.size(), 1u);
}

// A stored rate shows as it is, also one above the slider's 44100, and is saved as it is until
// the user moves the slider; one out of range (or no number) shows and saves the default, as
// does a volume out of range.
TEST_F(SetupTest, MixingRateAndVolumeAsStored) {
  for (auto [storedRate, shown] : {std::pair{"22050", 22050}, {"0x5622", 22050}, {"96000", 96000},
                                   {"3000", 44100}, {"0", 44100}}) {
    writeIni(std::string("[midasoptions]\nMIXRATE=") + storedRate + "\n[soundoptions]\nVOLUME=-5\n");
    TfrmSetup& s = make();
    EXPECT_EQ(s.eMixFreq->text().toInt(), shown) << storedRate;
    EXPECT_EQ(settings->Volume, 100);
    s.btnCancelClick();
    s.SaveSettings();
    EXPECT_EQ(stored("midasoptions", "MIXRATE"), std::to_string(shown));
    EXPECT_EQ(stored("soundoptions", "VOLUME"), "100");
  }
  TfrmSetup& s = make();
  s.TrackBar->setValue(11025);
  EXPECT_EQ(s.eMixFreq->text(), "11025");
  s.SaveSettings();
  EXPECT_EQ(stored("midasoptions", "MIXRATE"), "11025");
}

// Each mode item stands for its OUTPUTMODE; any other stored mode selects nothing and is left
// as it is in the file.
TEST_F(SetupTest, OutputModeMapping) {
  const std::pair<int, const char*> items[] = {{0, "5"}, {1, "6"}, {2, "9"}, {3, "10"}};
  for (auto [index, mode] : items) {
    writeIni(std::string("[midasoptions]\nOUTPUTMODE=") + mode + "\n");
    TfrmSetup& s = make();
    EXPECT_EQ(s.rgModesItems->checkedId(), index);
    s.rgModesItems->button(3 - index)->setChecked(true);
    s.SaveSettings();
    EXPECT_EQ(stored("midasoptions", "OUTPUTMODE"), items[3 - index].second);
  }
  writeIni("[midasoptions]\nOUTPUTMODE=7\n");
  TfrmSetup& s = make();
  EXPECT_EQ(s.rgModesItems->checkedId(), -1);
  s.SaveSettings();
  EXPECT_EQ(stored("midasoptions", "OUTPUTMODE"), "7");
}

// A mixing mode other than 0 or 1 shows the box undetermined and saves 0; a click on it
// leaves the undetermined state for good.
TEST_F(SetupTest, MixingModeStates) {
  writeIni("[midasoptions]\nMIXINGMODE=0\n");
  EXPECT_EQ(make().cbHighQuality->checkState(), Qt::Unchecked);
  writeIni("[midasoptions]\nMIXINGMODE=2\n");
  TfrmSetup& s = make();
  EXPECT_EQ(s.cbHighQuality->checkState(), Qt::PartiallyChecked);
  s.SaveSettings();
  EXPECT_EQ(stored("midasoptions", "MIXINGMODE"), "0");
  s.cbHighQuality->click();
  EXPECT_EQ(s.cbHighQuality->checkState(), Qt::Checked);
  s.cbHighQuality->click();
  s.cbHighQuality->click();
  EXPECT_EQ(s.cbHighQuality->checkState(), Qt::Checked);
}

// The Mixing page shows the stored choices (those out of range as their defaults), announces every change at once,
// stores them on OK, and Cancel brings back (and announces) the stored ones.
TEST_F(SetupTest, MixingChoicesAreHeardAtOnceAndStoredOnOk) {
  writeIni("[soundoptions]\nSTEREOSEPARATION=250\nVOLUMERAMPING=-7\nAMIGARESAMPLER=2\n");
  TfrmSetup& s = make();
  TMixingPage& page = *s.Mixing;
  EXPECT_EQ(page.Separation->value(), 100);
  EXPECT_EQ(page.SeparationValue->text(), "100 %");
  EXPECT_EQ(page.Ramping->currentText(), "Library default");
  EXPECT_EQ(page.Amiga->currentText(), "Amiga 1200");
  std::vector<TRenderOptions> heard;
  QObject::connect(&page, &TMixingPage::optionsChanged,
                   [&](const TRenderOptions& options) { heard.push_back(options); });
  page.Separation->setValue(40);
  page.Ramping->setCurrentIndex(1);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard.back().StereoSeparation, 40);
  EXPECT_EQ(heard.back().VolumeRamping, 0);
  EXPECT_EQ(heard.back().Amiga, TAmigaResampler::A1200);
  s.btnCancelClick();
  EXPECT_EQ(heard.back().StereoSeparation, 100);
  EXPECT_EQ(heard.back().VolumeRamping, -1);
  page.Ramping->setCurrentText("10");
  page.Amiga->setCurrentText("Off");
  s.btnOkClick();
  EXPECT_EQ(stored("soundoptions", "STEREOSEPARATION"), "100");
  EXPECT_EQ(stored("soundoptions", "VOLUMERAMPING"), "10");
  EXPECT_EQ(stored("soundoptions", "AMIGARESAMPLER"), "3");
}

// The Game page shows the stored handling (a time out of range as the classic one) and says the
// pace it gives; OK stores it, Classic brings the classic rhythm back, and Cancel the stored one.
TEST_F(SetupTest, GameChoicesAreStored) {
  writeIni("[tetrisoptions]\nKEYDELAY=9000\nKEYREPEAT=33\nSHOWNEXT=1\n");
  TfrmSetup& s = make();
  TGamePage& page = *s.Game;
  EXPECT_EQ(page.RepeatDelay->value(), 100);
  EXPECT_EQ(page.RepeatInterval->value(), 33);
  EXPECT_EQ(page.SoftDropInterval->value(), 100);
  EXPECT_TRUE(page.ShowNext->isChecked());
  EXPECT_FALSE(page.ShowGhost->isChecked());
  EXPECT_TRUE(page.Pace->text().contains("30 cells a second")) << page.Pace->text().toStdString();
  page.RepeatDelay->setValue(150);
  page.SoftDropInterval->setValue(25);
  page.ShowGhost->setChecked(true);
  page.MusicFollows->setChecked(true);
  s.btnOkClick();
  EXPECT_EQ(stored("tetrisoptions", "KEYDELAY"), "150");
  EXPECT_EQ(stored("tetrisoptions", "KEYREPEAT"), "33");
  EXPECT_EQ(stored("tetrisoptions", "SOFTDROP"), "25");
  EXPECT_EQ(stored("tetrisoptions", "SHOWGHOST"), "1");
  EXPECT_EQ(stored("tetrisoptions", "MUSICFOLLOWS"), "1");
  EXPECT_EQ(settings->Game.SoftDropInterval, 25);
  page.Classic->click();
  EXPECT_TRUE(page.options().ClassicHandling());
  EXPECT_TRUE(page.options().ShowGhost);
  s.btnCancelClick();
  EXPECT_EQ(page.RepeatDelay->value(), 150);
}

// An empty player name is saved empty and loads as empty, not as the default.
TEST_F(SetupTest, EmptyPlayerNameStaysEmpty) {
  TfrmSetup& s = make();
  s.ePlayername->clear();
  s.cbFullscreen->setChecked(false);
  s.btnOkClick();
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "");
  EXPECT_EQ(stored("tetrisoptions", "FULLSCREEN"), "0");
  TfrmSetup& again = make();
  EXPECT_EQ(again.ePlayername->text(), "");
  EXPECT_FALSE(again.cbFullscreen->isChecked());
}

// The close box neither saves nor reloads: the edits are the run's settings (the game plays
// under that name) and are written at the end of the program.
TEST_F(SetupTest, CloseBoxKeepsTheEdits) {
  TfrmSetup& s = make();
  s.show();
  s.ePlayername->setText("Ann");
  s.cbFullscreen->setChecked(false);
  s.close();
  EXPECT_EQ(s.ePlayername->text(), "Ann");
  EXPECT_EQ(settings->PlayerName, "Ann");
  EXPECT_FALSE(settings->FullScreen);
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "<missing>");
  s.FormDestroy();
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "Ann");
}

// Escape is Cancel: the edits go and the stored settings come back. Return in a field is OK;
// Tab reaches OK and Cancel, which show the focus and answer Space.
TEST_F(SetupTest, KeyboardConfirmsAndCancels) {
  writeIni("[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nPLAYERNAME=Kept\n");
  TfrmSetup& s = make();
  s.show();
  s.ePlayername->setText("Edited");
  QTest::keyClick(s.ePlayername, Qt::Key_Escape);
  EXPECT_EQ(s.result(), QDialog::Rejected);
  EXPECT_FALSE(s.isVisible());
  EXPECT_EQ(s.ePlayername->text(), "Kept");

  s.show();
  s.ePlayername->setText("Typed");
  QTest::keyClick(s.ePlayername, Qt::Key_Return);
  EXPECT_EQ(s.result(), QDialog::Accepted);
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "Typed");

  s.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
  s.ePlayername->setText("Dropped");
  const QImage unfocused = s.btnCancel->grab().toImage();
  for (int i = 0; i < 20 && !s.btnCancel->hasFocus(); ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_TRUE(s.btnCancel->hasFocus());
  EXPECT_NE(s.btnCancel->grab().toImage(), unfocused) << "no focus mark";
  EXPECT_EQ(s.btnCancel->accessibleName(), "Cancel");
  QTest::keyClick(s.btnCancel, Qt::Key_Space);
  EXPECT_EQ(s.result(), QDialog::Rejected);
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "Typed");
}

// A save writes every key in one replacement of the file, one rename into its folder, so that
// an end at any moment leaves wholly the old settings or wholly the new ones.
TEST_F(SetupTest, SaveReplacesTheFileOnce) {
  writeIni("[generaloptions]\nFIRSTTIME=0\n");
  TfrmSetup& s = make();
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, config.file("vorka").c_str(), IN_CREATE | IN_MOVED_TO), 0);
  s.ePlayername->setText("Once");
  settings->LastDir = "/music/";
  s.SaveSettings();
  int created = 0, renamed = 0;
  alignas(inotify_event) char events[4096];
  for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;) {
    for (char* at = events; at < events + got;) {
      auto* event = reinterpret_cast<inotify_event*>(at);
      created += (event->mask & IN_CREATE) != 0;
      renamed += (event->mask & IN_MOVED_TO) != 0 && std::string(event->name) == "vorka.ini";
      at += sizeof(inotify_event) + event->len;
    }
  }
  close(watch);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(renamed, 1);
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "Once");
  EXPECT_EQ(stored("midasoptions", "MIXINGMODE"), "1");
  EXPECT_EQ(stored("generaloptions", "LASTDIR"), "/music/");
}

// A failed save raises "Unable to write to" the file; OK says so in a box, the dialog stays open
// and nothing is written.
TEST_F(SetupTest, FailedSaveSaysSoAndStaysOpen) {
  TfrmSetup& s = make();
  s.show();
  boxes.clear();
  std::ofstream(config.file("vorka")) << "a file where the folder belongs";
  const std::string failure = "Unable to write to " + config.file("vorka/vorka.ini");
  try {
    s.SaveSettings();
    ADD_FAILURE() << "the save did not fail";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), failure);
  }
  EXPECT_NO_THROW(s.btnOkClick());
  EXPECT_EQ(boxes, std::vector<std::string>{failure});
  EXPECT_EQ(kinds.back(), TMessageKind::Error);
  EXPECT_TRUE(s.isVisible());
}

// The last folder is kept to its first 80 bytes.
TEST_F(SetupTest, LastDirIsCutTo80) {
  std::string longDir = "/" + std::string(99, 'm') + "/";
  writeIni("[generaloptions]\nLASTDIR=" + longDir + "\n");
  make();
  EXPECT_EQ(settings->LastDir, longDir.substr(0, 80));
}

// A player name stored in Latin-1 by an older file shows as its letters and is written back
// byte for byte while unchanged; a name the user types is written as UTF-8.
TEST_F(SetupTest, Latin1PlayerNameRoundTrips) {
  writeIni("[tetrisoptions]\nPLAYERNAME=J\xF6rg\n");
  TfrmSetup& s = make();
  EXPECT_EQ(s.ePlayername->text(), QString::fromUtf8("J\xC3\xB6rg"));
  s.SaveSettings();
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "J\xF6rg");
  s.ePlayername->setText(QString::fromUtf8("J\xC3\xB6rgen"));
  s.SaveSettings();
  EXPECT_EQ(stored("tetrisoptions", "PLAYERNAME"), "J\xC3\xB6rgen");
}

} // namespace

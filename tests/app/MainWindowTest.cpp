#include "app/MusicMenu.h"
#include "desktop/MprisState.h"
#include "app/Settings.h"
#include "app/main.h"
#include "library/Library.h"

#include "tests/app/ProgramTest.h"
#include "app/SubsongMenu.h"
#include "desktop/MprisService.h"
#include "controls/ElidedLabel.h"
#include "controls/SeekBar.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "playlist/PlaylistBox.h"
#include "playlist/playlist.h"
#include "tests/support/ModuleWriter.h"
#include "visual/PatternCanvas.h"
#include "visual/PatternWindow.h"
#include "tests/support/QtApp.h"
#include "tests/support/StandInOpener.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QDBusObjectPath>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace std::chrono_literals;

namespace {

class MainWindowTest : public TProgramTest {
protected:
  void SetUp() override {
    TProgramTest::SetUp();
    root = music.path().string() + "/";
  }

  std::string song(const std::string& title, int rows = 64) {
    testmod::Module m = testmod::simpleSong(title, 4, 2, rows, {"Square"}, rows < 64 ? 3 : 6, 150);
    return music.write(title + ".mod", testmod::writeMod(m));
  }

  // Runs the event loop until `done` holds, for at most `limit`.
  bool processUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(5ms);
    }
    return done();
  }

  // Once the song a command waits for plays: the one that follows a Next of the desktop's
  // controls, or a song chosen or opened.
  void settle() {
    ASSERT_TRUE(processUntil([] { return !frmMain->Controller->awaitingSong(); }));
  }

  QString caption() const { return frmMain->windowTitle(); }

  TempDir music;
  std::string root;
};

// A stored playlist reaches the player at start, but nothing plays until asked, and the timer
// waits for a song.
TEST_F(MainWindowTest, PlaylistIsHandedOverWithoutPlaying) {
  std::string a = song("Alpha"), b = song("Beta");
  storePlaylist({a, b});
  start();
  EXPECT_EQ(frmMain->Player->Songs, (std::vector<std::string>{a, b}));
  EXPECT_EQ(frmMain->Player->State, psIdle);
  EXPECT_FALSE(frmMain->Controller->watching());
  EXPECT_EQ(caption(), "VORKA");
}

// Play with an empty playlist starts nothing and the caption shows no song.
TEST_F(MainWindowTest, PlayWithAnEmptyPlaylist) {
  start();
  frmMain->SpeedButton1->click();
  EXPECT_EQ(frmMain->Player->State, psIdle);
  EXPECT_EQ(caption(), "VORKA - ");
  EXPECT_EQ(ApplicationTitle(), "VORKA - ");
  EXPECT_EQ(frmMain->FilePanelText(), "");
}

// Play shows the song in the caption, the application title and the status bar; the
// song-started message shows it again.
TEST_F(MainWindowTest, PlayShowsTheSong) {
  std::string a = song("Alpha");
  storePlaylist({a});
  start();
  frmMain->SpeedButton1->click();
  EXPECT_EQ(caption(), "VORKA - Alpha");
  EXPECT_EQ(ApplicationTitle(), "VORKA - Alpha");
  EXPECT_EQ(frmMain->FilePanelText().toStdString(), a);
  EXPECT_EQ(frmMain->StatePanelText(), "Playing");
  frmMain->setWindowTitle("changed");
  QApplication::sendPostedEvents(frmMain->Controller);
  EXPECT_EQ(caption(), "VORKA - Alpha");
}

// A module with several subsongs shows the one playing in the caption and lists them in the
// Music menu, where choosing one plays it; a module with one has the menu disabled.
TEST_F(MainWindowTest, SubsongsInTheCaptionAndMenu) {
  testmod::Module multi = testmod::simpleSong("Multi", 4, 2, 64, {"Square"});
  multi.patterns[0].notes.push_back({63, 1, 0, 0, testmod::kEffectJump, 0});
  storePlaylist({music.write("multi.mod", testmod::writeMod(multi)), song("Beta")});
  start();
  playNext();
  EXPECT_EQ(caption(), "VORKA - Multi (1/2)");
  ASSERT_TRUE(frmMain->MusicMenu->Subsongs->isEnabled());
  const QList<QAction*> items = frmMain->MusicMenu->Subsongs->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[1]->text(), "Subsong 2\t0:07");
  EXPECT_TRUE(items[0]->isChecked());
  items[1]->trigger();
  EXPECT_EQ(caption(), "VORKA - Multi (2/2)");
  EXPECT_TRUE(items[1]->isChecked());
  EXPECT_EQ(TPlayerView::of(*frmMain->Controller, true).Subsong, 1);
  playNext();
  EXPECT_EQ(caption(), "VORKA - Beta");
  EXPECT_FALSE(frmMain->MusicMenu->Subsongs->isEnabled());
}

// Pause twice pauses and resumes; Stop while paused changes nothing; Play while paused starts
// the next song, not the paused one. The timer runs only while a song plays.
TEST_F(MainWindowTest, PauseStopAndPlayWhilePaused) {
  storePlaylist({song("Alpha"), song("Beta")});
  start();
  playNext();
  EXPECT_TRUE(frmMain->Controller->watching());
  frmMain->btnPauseClick();
  EXPECT_EQ(frmMain->Player->State, psPaused);
  EXPECT_EQ(frmMain->StatePanelText(), "Paused");
  EXPECT_FALSE(frmMain->Controller->watching());
  frmMain->btnStopClick();
  EXPECT_EQ(frmMain->Player->State, psPaused);
  frmMain->btnPauseClick();
  EXPECT_EQ(frmMain->Player->State, psPlaying);
  frmMain->btnPauseClick();
  playNext();
  EXPECT_EQ(frmMain->Player->State, psPlaying);
  EXPECT_EQ(caption(), "VORKA - Beta");
  frmMain->btnStopClick();
  EXPECT_EQ(frmMain->Player->State, psStopped);
  EXPECT_EQ(frmMain->StatePanelText(), "Stopped");
}

// The timer moves the progress bar (in milliseconds of the song's length) and the time panel
// through the song, and plays the next song once the short song has played through.
TEST_F(MainWindowTest, TimerFollowsTheSongAndPlaysTheNext) {
  storePlaylist({song("Short", 4), song("Next")});
  start();
  playNext();
  EXPECT_EQ(frmMain->ProgressBar->maximum(), static_cast<int>(frmMain->Player->Duration * 1000));
  EXPECT_EQ(frmMain->TimePanelText(), "0:00 / 0:00");
  bool moved = false;
  ASSERT_TRUE(processUntil([&] {
    moved = moved || frmMain->ProgressBar->value() > 0;
    return frmMain->Player->SongIndex == 1;
  }));
  EXPECT_TRUE(moved);
  processUntil([&] { return caption() == "VORKA - Next"; }, 1000ms);
  EXPECT_EQ(caption(), "VORKA - Next");
}

// Forward and Rewind move through the song's positions, from the menu as from the buttons.
TEST_F(MainWindowTest, ForwardAndRewind) {
  storePlaylist({song("Alpha")});
  start();
  playNext();
  frmMain->MusicMenu->Forward->trigger();
  PlayStatus s{};
  frmMain->Player->GetPlayStatus(s);
  EXPECT_EQ(s.Position, 1u);
  frmMain->btnRew->click();
  frmMain->Player->GetPlayStatus(s);
  EXPECT_EQ(s.Position, 0u);
}

// A transport command from another thread runs later on the GUI thread.
TEST_F(MainWindowTest, CommandsFromAnotherThreadAreQueued) {
  storePlaylist({song("Alpha")});
  start();
  std::thread heartbeat([] { frmMain->btnPlayNextClick(); });
  heartbeat.join();
  EXPECT_EQ(frmMain->Player->State, psIdle);
  ASSERT_TRUE(processUntil([] { return frmMain->Player->State == psPlaying; }));
  EXPECT_EQ(caption(), "VORKA - Alpha");
  EXPECT_EQ(frmMain->StatePanelText(), "Playing");
  std::thread([] { frmMain->btnPauseClick(); }).join();
  ASSERT_TRUE(processUntil([] { return frmMain->StatePanelText() == "Paused"; }));
}

// When no file of the playlist loads, playback stops and the status bar says why; a file
// passed over on the way to one that plays is named in the status bar with the reason.
TEST_F(MainWindowTest, UnloadableSongIsShownInTheStatusBar) {
  std::string broken = music.write("broken.xm", "this is no module");
  storePlaylist({broken});
  start();
  playNext();
  EXPECT_EQ(frmMain->Player->State, psStopped);
  EXPECT_EQ(frmMain->FilePanelText().toStdString(),
            "Cannot play " + broken + ": Unable to load module: the file is not a module");
  EXPECT_TRUE(boxes.empty());

  frmMain->OpenFiles({song("Alpha")});
  settle();
  EXPECT_EQ(frmMain->Player->State, psPlaying);
  playNext();
  EXPECT_EQ(caption(), "VORKA - Alpha");
  EXPECT_EQ(frmMain->statusBar()->currentMessage().toStdString(),
            "Skipped broken.xm: Unable to load module: the file is not a module");
}

// A playlist handed over (OK in the playlist dialog) keeps the song playing where it still is:
// Next goes on from it; one whose row was removed plays on as the track "none" with every
// property readable, and the song now at its row comes next. Cancel hands nothing over. Play
// (over MPRIS, from the menu) after Stop starts the stopped song over, with the time at 0:00.
// Titles are shown whole.
TEST_F(MainWindowTest, PlaylistHandOverKeepsThePlaceAndPlayRestarts) {
  testmod::Module wide = testmod::simpleSong(std::string(20, '\x82'), 4, 2, 64, {"Square"}, 6, 150);
  const std::string a = song("Alpha"), b = song("Beta"), c = song("Gamma"),
                    d = music.write("wide.s3m", testmod::writeS3m(wide));
  std::string eAcutes;
  for (int i = 0; i < 20; ++i) eAcutes += "\xC3\xA9";
  storePlaylist({a, b, c, d});
  start();
  TMprisService mpris(MprisLinks());
  auto properties = [&] { return TMprisState::playerProperties(mpris.view()); };
  auto trackId = [&] {
    return properties()["Metadata"].toMap()["mpris:trackid"].value<QDBusObjectPath>().path().toStdString();
  };
  auto editPlaylist = [](std::function<void()> edit) {
    QTimer::singleShot(0, [edit] {
      edit();
      frmPlayList->btnOkClick();
    });
    frmMain->btnPlayListClick();
  };
  auto removeRow = [](int row) {
    frmPlayList->lbPlaylist->setCurrentRow(row);
    frmPlayList->btnDelClick();
  };
  mpris.play();
  mpris.next();
  settle();
  EXPECT_EQ(caption(), "VORKA - Beta");
  frmMain->Settings.LastDir = root;
  QTimer::singleShot(0, [] {
    frmPlayList->btnAddAllClick();
    frmPlayList->btnCancelClick();
  });
  frmMain->btnPlayListClick();
  EXPECT_EQ(frmMain->Player->Songs, (std::vector<std::string>{a, b, c, d}));
  editPlaylist([] {});
  EXPECT_EQ(trackId(), "/example/vorka/Vorka/Track/1/0");
  editPlaylist([&] { removeRow(0); });
  EXPECT_EQ(frmMain->Player->Songs, (std::vector<std::string>{b, c, d}));
  EXPECT_EQ(trackId(), "/example/vorka/Vorka/Track/0/0");
  mpris.next();
  settle();
  EXPECT_EQ(caption(), "VORKA - Gamma");

  editPlaylist([&] { removeRow(1); });
  EXPECT_EQ(frmMain->Player->State, psPlaying);
  EXPECT_EQ(frmMain->Player->FileName, c);
  EXPECT_EQ(trackId(), "/example/vorka/Vorka/Track/none/0");
  const QVariantMap all = properties();
  for (const char* name : {"PlaybackStatus", "Metadata", "Volume", "LoopStatus", "Shuffle", "CanPlay",
                           "CanPause", "CanGoNext", "CanGoPrevious", "CanSeek"})
    EXPECT_TRUE(all.value(name).isValid()) << name;
  EXPECT_EQ(all["PlaybackStatus"].toString(), "Playing");
  EXPECT_EQ(all["Metadata"].toMap()["xesam:title"].toString(), "Gamma");
  mpris.next();
  settle();
  EXPECT_EQ(caption().toStdString(), "VORKA - " + eAcutes);
  EXPECT_EQ(properties()["Metadata"].toMap()["xesam:title"].toString().toStdString(), eAcutes);
  EXPECT_EQ(trackId(), "/example/vorka/Vorka/Track/1/0");

  frmMain->SeekTo(5.5);
  EXPECT_EQ(frmMain->TimePanelText().toStdString(), "0:05 / 0:12");
  mpris.stop();
  EXPECT_EQ(frmMain->TimePanelText().toStdString(), "0:00 / 0:12");
  for (const std::function<void()>& play : std::vector<std::function<void()>>{
           [&] { mpris.play(); }, [&] { mpris.playPause(); }, [] { frmMain->MusicMenu->Play->trigger(); }}) {
    frmMain->SeekTo(5);
    frmMain->btnStopClick();
    play();
    EXPECT_EQ(frmMain->Player->State, psPlaying);
    EXPECT_EQ(frmMain->Player->FileName, d);
    EXPECT_LT(frmMain->Player->PlaySeconds(), 1.0);
  }
}

// The pattern view fits its scroll bar to the song heard when it opens and to each song that
// follows: an 8-channel song whose columns do not all fit gets a bar that reaches its last
// channel, a 4-channel one none.
TEST_F(MainWindowTest, PatternViewScrollsToEverySongsLastChannel) {
  testmod::Module wide = testmod::simpleSong("Wide", 8, 1, 64, {"Square"});
  storePlaylist({music.write("wide.it", testmod::writeIt(wide)), song("Alpha")});
  start();
  playNext();
  frmMain->mnuPatternClick();
  TPatternWindow* view = frmMain->PatternWindow;
  auto fitsChannels = [&](int32_t channels) {
    EXPECT_TRUE(processUntil([&] { return view->Model.view().Channels == channels; }));
    QApplication::processEvents();
    const int32_t hidden = std::max(0, channels - view->Canvas->columnsShown());
    EXPECT_EQ(view->Channels->isVisible(), hidden > 0);
    EXPECT_EQ(view->Channels->maximum(), hidden);
    return hidden;
  };
  EXPECT_GT(fitsChannels(8), 0);
  playNext();
  EXPECT_EQ(fitsChannels(4), 0);
  playNext();
  EXPECT_GT(fitsChannels(8), 0);
}

// The picture opens the maker's home page and F1 the help page beside the program; when
// nothing can open the page, a box says so and names it.
TEST_F(MainWindowTest, HomePageAndHelp) {
  start();
  const std::string help = DataDir() + "help/VORKA.htm";
  {
    StandInOpener opener;
    QTest::mouseDClick(frmMain->Image, Qt::RightButton);
    QTest::mouseDClick(frmMain->Image, Qt::LeftButton);
    EXPECT_EQ(opener.opened(1), std::vector<std::string>{"https://vorka.example/"});
    frmMain->mnuContents->trigger();
    EXPECT_EQ(opener.opened(2).back(), help);
  }
  EXPECT_TRUE(boxes.empty());
  StandInOpener failing(3);
  frmMain->mnuContents->trigger();
  failing.opened(1);
  EXPECT_EQ(boxes, std::vector<std::string>{"The help page could not be opened: " + help +
                                            ": no program to open it was found."});
}

// Module files dropped on the window go to the end of the playlist and the first of them
// plays; a file that is no module is named in the status bar.
TEST_F(MainWindowTest, DroppedFilesAreAddedAndPlayed) {
  std::string a = song("Alpha"), b = song("Beta"), notes = music.write("notes.txt", "x");
  std::string latin1 = root + "B\xe4r.mod", lineFeed = root + "odd\nname.mod";
  std::filesystem::copy_file(b, latin1);
  std::filesystem::copy_file(b, lineFeed);
  storePlaylist({a});
  start();
  QMimeData data;
  // A file manager escapes a name's bytes; one that is not UTF-8 arrives as its own bytes.
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(b)),
                QUrl::fromLocalFile(QString::fromStdString(notes)),
                QUrl::fromLocalFile(QString::fromStdString(lineFeed)),
                QUrl("file://" + QString::fromStdString(root) + "B%E4r.mod")});
  QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QApplication::sendEvent(frmMain, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frmMain, &drop);
  // What was dropped is read off the GUI thread.
  EXPECT_TRUE(QTest::qWaitFor([] { return frmMain->Library->playlist().size() == 3; }, 10000));
  settle();
  EXPECT_EQ(frmMain->Library->playlist().entries(), (std::vector<std::string>{a, b, latin1}));
  EXPECT_EQ(frmMain->Player->Songs, (std::vector<std::string>{a, b, latin1}));
  EXPECT_EQ(caption(), "VORKA - Beta");
  EXPECT_EQ(frmMain->statusBar()->currentMessage().toStdString(),
            notes + " is not a module the player can read.");
  playNext();
  EXPECT_EQ(frmMain->Player->FileName, latin1);
  EXPECT_EQ(frmMain->Player->State, psPlaying);

  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(lineFeed))});
  QDragEnterEvent oddEnter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frmMain, &oddEnter);
  QDropEvent odd(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frmMain, &odd);
  EXPECT_TRUE(QTest::qWaitFor([] { return frmMain->findChildren<QThread*>().isEmpty(); }, 10000));
  EXPECT_EQ(frmMain->Library->playlist().size(), 3u);
  EXPECT_EQ(frmMain->statusBar()->currentMessage().toStdString(),
            root + "odd\\nname.mod cannot be kept in the playlist: its name holds a line break or "
                   "Ctrl-Z character.");
}

// When the timer finds nothing playable any more, the caption and both status-bar panels say
// so; the long text is cut in the middle and whole in the tool tip.
TEST_F(MainWindowTest, NothingLeftToPlayIsShownEverywhere) {
  std::string shortSong = song("Short", 4);
  storePlaylist({shortSong});
  start();
  playNext();
  std::filesystem::remove(shortSong);
  ASSERT_TRUE(processUntil([] { return frmMain->Player->State == psStopped; }));
  EXPECT_EQ(caption(), "VORKA - ");
  EXPECT_EQ(frmMain->StatePanelText(), "Stopped");
  const QString whole = QString::fromStdString(
      "Cannot play " + shortSong + ": Unable to load module: No such file or directory");
  EXPECT_EQ(frmMain->FilePanelText(), whole);
  auto* panel = frmMain->statusBar()->findChild<TElidedLabel*>();
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->toolTip(), whole);
  EXPECT_TRUE(panel->text().startsWith("Cannot play /")) << panel->text().toStdString();
  EXPECT_TRUE(panel->text().contains(QChar(0x2026)));
  EXPECT_TRUE(panel->text().endsWith("directory"));
  EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width());
}

} // namespace


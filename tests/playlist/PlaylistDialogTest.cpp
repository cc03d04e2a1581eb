#include "playlist/playlist.h"

#include "controls/GfxBtn.h"
#include "library/Playlist.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "playlist/DirListBox.h"
#include "playlist/DirListDelegate.h"
#include "playlist/DriveComboBox.h"
#include "playlist/PlaylistBox.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>

namespace {

using Paths = std::vector<std::string>;

class PlaylistDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageBoxHandler([this](const std::string& text, const std::string&, TMessageKind) {
      boxes.push_back(text);
    });
    root = music.path().string() + "/";
    std::filesystem::create_directories(music.path() / "tunes");
    // Real modules: the dialog takes files by what they hold.
    for (const char* f : {"Zeta.mod", "alpha.xm", "Beta.it", "tunes/deep.s3m"}) music.write(f, testmod::moduleFor(f));
    programDir = program.path().string() + "/";
  }
  void TearDown() override {
    dialog.reset();
    playlist.reset();
    SetMessageBoxHandler(nullptr);
    SetCurrentDir(startDir);
  }

  TfrmPlayList& open(const std::string& last) {
    lastDir = last;
    if (!dialog) {
      playlist = std::make_unique<TPlaylist>(programDir);
      playlist->load();
      dialog = std::make_unique<TfrmPlayList>(&mainWindow, lastDir, place, *playlist);
    }
    dialog->show();
    return *dialog;
  }

  // Selects the folder-list row named `name`.
  void select(const std::string& name) {
    for (int i = 0; i < dialog->lbDir->count(); ++i)
      if (dialog->lbDir->item(i)->text().toStdString() == name) {
        dialog->lbDir->setCurrentRow(i);
        return;
      }
    FAIL() << name << " is not listed";
  }

  Paths listed() const {
    Paths n;
    for (int i = 0; i < dialog->lbDir->count(); ++i) n.push_back(dialog->lbDir->item(i)->text().toStdString());
    return n;
  }

  std::string stored() const {
    std::ifstream in(programDir + "playlist.dat", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  QApplication& app = testApp();
  const std::string startDir = GetCurrentDir();
  TempDir music, program;
  std::string root, programDir, lastDir, place;
  QWidget mainWindow;
  std::vector<std::string> boxes;
  std::unique_ptr<TPlaylist> playlist;
  std::unique_ptr<TfrmPlayList> dialog;
};

// A last folder without its final "/" opens with it, listing folders then modules.
TEST_F(PlaylistDialogTest, OpensTheLastFolder) {
  TfrmPlayList& d = open(music.path().string());
  EXPECT_EQ(d.eDir->text().toStdString(), root);
  EXPECT_EQ(d.Browser().CurDir, root);
  EXPECT_EQ(listed(), (Paths{"..", "tunes", "Beta.it", "Zeta.mod", "alpha.xm"}));
  EXPECT_EQ(d.cbDrive->Drive(), DriveOfPath(root, Drives()));
  EXPECT_TRUE(boxes.empty());
}

// An empty folder field and "..." list the root; ".." leads to the parent; the root has none.
TEST_F(PlaylistDialogTest, ChangingFolders) {
  TfrmPlayList& d = open(root + "tunes/");
  EXPECT_EQ(listed(), (Paths{"..", "deep.s3m"}));
  select("..");
  d.lbDirDblClick();
  EXPECT_EQ(d.eDir->text().toStdString(), root);
  select("tunes");
  QTest::keyClick(d.lbDir, Qt::Key_Return);
  EXPECT_EQ(d.Browser().CurDir, root + "tunes/");

  d.eDir->clear();
  d.btnChangeClick();
  EXPECT_EQ(d.Browser().CurDir, "/");
  EXPECT_EQ(d.eDir->text(), "/");
  ASSERT_GT(d.lbDir->count(), 0);
  EXPECT_NE(d.lbDir->item(0)->text(), "..");
}

// A module added twice by double-click is there twice; Add all adds only what is missing, so
// pressing it twice adds each module once.
TEST_F(PlaylistDialogTest, AddingModules) {
  TfrmPlayList& d = open(root);
  select("Zeta.mod");
  d.lbDirDblClick();
  d.btnAdd->click();
  EXPECT_EQ(d.Playlist(), (Paths{root + "Zeta.mod", root + "Zeta.mod"}));
  d.btnAddAllClick();
  d.btnAddAllClick();
  EXPECT_EQ(d.Playlist(), (Paths{root + "Zeta.mod", root + "Zeta.mod", root + "Beta.it",
                                 root + "alpha.xm"}));
  d.lbPlaylist->setCurrentRow(1);
  d.btnDelClick();
  EXPECT_EQ(d.Playlist().size(), 3u);
  d.btnDelAllClick();
  EXPECT_TRUE(d.Playlist().empty());
  d.lbDir->clearSelection();
  d.lbDirDblClick();
  EXPECT_TRUE(d.Playlist().empty());

  // A folder whose name is not UTF-8 stays itself through the folder field; a module whose name
  // the playlist file cannot hold is refused with a box.
  const std::string odd = root + "J\xf6rg/";
  std::filesystem::create_directory(odd);
  for (const char* f : {"J\xf6rg/fine.mod", "J\xf6rg/line\nfeed.mod"}) music.write(f, testmod::moduleFor(f));
  d.btnChangeClick();
  const std::vector<TDirEntry>& entries = d.Browser().Entries();
  auto folder = std::find_if(entries.begin(), entries.end(),
                             [](const TDirEntry& e) { return e.Name == "J\xf6rg"; });
  ASSERT_NE(folder, entries.end());
  d.lbDir->setCurrentRow(static_cast<int>(folder - entries.begin()));
  d.lbDirDblClick();
  d.btnChangeClick();
  EXPECT_EQ(d.Browser().CurDir, odd);
  d.btnAddAllClick();
  EXPECT_EQ(d.Playlist(), Paths{odd + "fine.mod"});
  EXPECT_EQ(boxes, Paths{"1 file was left out: its name holds a line break or Ctrl-Z character."});

  // Files are known by what they hold, and Add all takes sub-folders when asked: a text file
  // and an empty file named as modules stay out, told in one line.
  boxes.clear();
  d.btnDelAllClick();
  music.write("tunes/notes.It", "just text");
  music.write("tunes/empty.xm", "");
  d.eDir->setText(QString::fromStdString(root));
  d.btnChangeClick();
  d.cbSubFolders->setChecked(true);
  d.btnAddAllClick();
  EXPECT_EQ(d.Playlist(), (Paths{odd + "fine.mod", root + "tunes/deep.s3m", root + "Beta.it", root + "Zeta.mod",
                                 root + "alpha.xm"}));
  EXPECT_EQ(boxes, (Paths{"2 files were left out: they hold no module the player can read. 1 file was left "
                          "out: its name holds a line break or Ctrl-Z character."}));
}

// Drags the folder-list row onto the playlist with the mouse, `modifiers` held, as a user does,
// through the window system: the drag runs its own event loop, so the drop is made from inside
// it.
void dragToPlaylist(TfrmPlayList& d, QListWidgetItem* row, Qt::KeyboardModifiers modifiers) {
  QWindow* window = d.windowHandle();
  const QPoint from = d.lbDir->viewport()->mapTo(&d, d.lbDir->visualItemRect(row).center());
  const QPoint to = d.lbPlaylist->viewport()->mapTo(&d, d.lbPlaylist->viewport()->rect().center());
  QTimer::singleShot(100, [&] {
    QTest::mouseMove(window, to);
    QTest::mouseRelease(window, Qt::LeftButton, modifiers, to);
  });
  QTest::mousePress(window, Qt::LeftButton, modifiers, from);
  QTest::mouseMove(window, from + QPoint(2, 0));
  QTest::mouseMove(window, from + QPoint(QApplication::startDragDistance() + 10, 0));
}

// A module dragged onto the playlist is added and a folder dragged there opens; a drag never
// changes the folder list, even with Shift held, so each row goes on adding its own entry.
// Qt's offscreen platform has no drag and drop: this test runs on X11 under Xvfb.
TEST_F(PlaylistDialogTest, DraggingEntries) {
  TfrmPlayList& d = open(root);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
  const Paths before = listed();
  dragToPlaylist(d, d.lbDir->item(3), Qt::ShiftModifier);
  EXPECT_EQ(listed(), before);
  EXPECT_EQ(d.Playlist(), Paths{root + "Zeta.mod"});
  dragToPlaylist(d, d.lbDir->item(4), Qt::ShiftModifier);
  EXPECT_EQ(d.Playlist(), (Paths{root + "Zeta.mod", root + "alpha.xm"}));
  dragToPlaylist(d, d.lbDir->item(1), Qt::NoModifier);
  EXPECT_EQ(d.Browser().CurDir, root + "tunes/");
  EXPECT_EQ(d.Playlist().size(), 2u);
}

// The header's sections keep their widths, and a long name ends in "…" before the size column,
// which stays free for the size.
TEST_F(PlaylistDialogTest, LongNamesStopAtTheSizeColumn) {
  music.write("finally_the_longest_module_name_of_all.mod", "data");
  TfrmPlayList& d = open(root);
  EXPECT_EQ(d.Header->sectionSize(0), 103);
  EXPECT_EQ(d.Header->sectionSize(1), 44);
  select("finally_the_longest_module_name_of_all.mod");
  d.lbDir->clearSelection();
  const QRect row = d.lbDir->visualItemRect(d.lbDir->currentItem());
  const QImage shot = d.lbDir->viewport()->grab().toImage();
  const QRgb base = d.lbDir->palette().color(QPalette::Base).rgb();
  int ink = 0;
  for (int x = 103 - 3; x < 103; ++x)
    for (int y = row.top(); y <= row.bottom(); ++y) ink += shot.pixel(x, y) != base;
  EXPECT_EQ(ink, 0);
}

// OK stores the playlist and accepts; Cancel, and Escape with it, brings back the stored one and
// rejects; the close box rejects and keeps the edits. Every ending keeps the folder, cut to 80
// bytes.
TEST_F(PlaylistDialogTest, OkCancelAndCloseBox) {
  std::string deep = root + std::string(60, 'd') + "/" + std::string(40, 'e') + "/";
  std::filesystem::create_directories(deep);
  TfrmPlayList& d = open(deep);
  d.eDir->setText(QString::fromStdString(root));
  d.btnChangeClick();
  d.btnAddAllClick();
  d.btnOkClick();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(stored(), root + "Beta.it\r\n" + root + "Zeta.mod\r\n" + root + "alpha.xm\r\n");
  EXPECT_EQ(lastDir, root);

  open(deep);
  EXPECT_EQ(d.eDir->text().toStdString(), deep);
  d.btnDelAllClick();
  d.btnCancelClick();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.Playlist().size(), 3u);
  EXPECT_EQ(lastDir, deep.substr(0, 80));

  open(root);
  d.btnDelAllClick();
  QTest::keyClick(d.lbPlaylist, Qt::Key_Escape);
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.Playlist().size(), 3u);

  open(root);
  d.btnDelAllClick();
  d.close();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_TRUE(d.Playlist().empty());
  playlist->storeAtEnd();
  EXPECT_EQ(stored(), "");
}

// From the keyboard alone: Tab reaches the folder field, OK and Cancel; Return in the field
// lists the folder typed and says when there is none, without closing; Alt+C cancels without
// typing into the field, and a folder that was not found is not kept; Return on a control that
// does not use it confirms, as OK does.
TEST_F(PlaylistDialogTest, KeyboardOnly) {
  TfrmPlayList& d = open(root);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  std::vector<QWidget*> chain;
  for (QWidget* w = d.nextInFocusChain(); w != &d; w = w->nextInFocusChain())
    if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
  for (QWidget* w : {static_cast<QWidget*>(d.eDir), static_cast<QWidget*>(d.btnOk), static_cast<QWidget*>(d.btnCancel)})
    EXPECT_NE(std::find(chain.begin(), chain.end(), w), chain.end()) << w->accessibleName().toStdString();

  const std::string missing = root + "no such folder/";
  d.eDir->setFocus();
  d.eDir->setText(QString::fromStdString(missing));
  QTest::keyClick(d.eDir, Qt::Key_Return);
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(listed().empty());
  auto* notFound = d.lbDir->viewport()->findChild<QLabel*>();
  ASSERT_TRUE(notFound);
  EXPECT_TRUE(notFound->isVisible());
  EXPECT_EQ(notFound->text(), "Folder not found");
  QTest::keyClick(d.eDir, Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.eDir->text().toStdString(), missing);
  EXPECT_EQ(lastDir, root);

  open(root);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  EXPECT_FALSE(d.lbDir->viewport()->findChild<QLabel*>()->isVisible());
  d.btnAddAll->setFocus();
  QTest::keyClick(d.btnAddAll, Qt::Key_Space);
  QTest::keyClick(d.btnAddAll, Qt::Key_Return);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.Playlist().size(), 3u);
}

// The stored playlist is loaded when the dialog is made, an entry whose file is gone kept and
// greyed; a playlist that cannot be written says so and the dialog still closes.
TEST_F(PlaylistDialogTest, LoadAtCreationAndFailedSave) {
  std::ofstream(programDir + "playlist.dat", std::ios::binary)
      << root << "alpha.xm\n" << root << "gone.mod\n";
  TfrmPlayList& d = open(root);
  EXPECT_EQ(d.Playlist(), (Paths{root + "alpha.xm", root + "gone.mod"}));
  const QColor grey = d.palette().color(QPalette::Disabled, QPalette::Text);
  EXPECT_NE(d.lbPlaylist->item(0)->foreground().color(), grey);
  EXPECT_EQ(d.lbPlaylist->item(1)->foreground().color(), grey);
  EXPECT_FALSE(d.lbPlaylist->item(1)->toolTip().isEmpty());
  std::filesystem::remove_all(program.path());
  d.btnOkClick();
  EXPECT_EQ(boxes, std::vector<std::string>{"Could not write playlist: " + programDir +
                                            "playlist.dat: No such file or directory."});
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_FALSE(d.isVisible());
}

// A playlist file that cannot be read is reported and never written over; at the end it is
// kept quietly unless the user changed the playlist.
TEST_F(PlaylistDialogTest, UnreadableFileIsLeftAsItIs) {
  const std::string file = programDir + "playlist.dat";
  ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
  TfrmPlayList& d = open(root);
  ASSERT_EQ(boxes, std::vector<std::string>{"Could not read playlist: Not a regular file.\n" + file +
                                            " was not read and is left as it is."});
  playlist->storeAtEnd();
  EXPECT_EQ(boxes.size(), 1u);
  select("alpha.xm");
  d.lbDirDblClick();
  d.btnOkClick();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "Could not write playlist: " + file + ": it could not be read, so it is left as it is.");
  playlist->storeAtEnd();
  EXPECT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(std::filesystem::is_fifo(file));
}

// The dialog grows: both lists take what it gains, the buttons follow. Return or a double-click
// on a playlist row stores the playlist, ends as OK does and chooses that row; the dialog
// comes back at its place and size.
TEST_F(PlaylistDialogTest, GrowsChoosesAndComesBack) {
  TfrmPlayList& d = open(root);
  EXPECT_EQ(d.size(), QSize(352, 444));
  d.btnAddAllClick();
  d.resize(452, 544);
  EXPECT_EQ(d.lbPlaylist->geometry(), QRect(8, 322, 428, 152));
  EXPECT_EQ(d.lbDir->geometry(), QRect(8, 121, 225, 194));
  EXPECT_EQ(d.btnAdd->geometry(), QRect(242, 121, 194, 24));
  EXPECT_EQ(d.btnOk->pos(), QPoint(288, 512));

  d.move(30, 40);
  d.lbPlaylist->setCurrentRow(1);
  QTest::keyClick(d.lbPlaylist, Qt::Key_Return);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.ChosenSong(), 1);
  EXPECT_EQ(stored(), root + "Beta.it\r\n" + root + "Zeta.mod\r\n" + root + "alpha.xm\r\n");
  EXPECT_EQ(place, "30,40,452,544");
  dialog.reset();
  TfrmPlayList& again = open(root);
  EXPECT_EQ(again.ChosenSong(), -1);
  EXPECT_EQ(again.size(), QSize(452, 544));
  EXPECT_EQ(again.pos(), QPoint(30, 40));
  const QPoint third = again.lbPlaylist->visualItemRect(again.lbPlaylist->item(2)).center();
  QTest::mouseClick(again.lbPlaylist->viewport(), Qt::LeftButton, {}, third);
  QTest::mouseDClick(again.lbPlaylist->viewport(), Qt::LeftButton, {}, third);
  EXPECT_EQ(again.result(), QDialog::Accepted);
  EXPECT_EQ(again.ChosenSong(), 2);
}

// Sizes fit the size column at any size: bytes, kilobytes rounded up, megabytes.
TEST(DirListDelegateTest, SizeTexts) {
  EXPECT_EQ(TDirListDelegate::sizeText(999, 0x20), "999 B");
  EXPECT_EQ(TDirListDelegate::sizeText(123456, 0x21), "121 KB");
  EXPECT_EQ(TDirListDelegate::sizeText(5000000, 0x20), "4.8 MB");
  EXPECT_EQ(TDirListDelegate::sizeText(0, 0x30), "<DIR>");
}

} // namespace

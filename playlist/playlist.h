#pragma once

#include "library/DirBrowser.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QToolButton;
class TDirListBox;
class TDriveComboBox;
class TGfxBtn;
class TPlaylistBox;
class TPlaylist;

// The playlist dialog: browses drives and folders on the left (folders and module files with
// icon, name and size) and edits the program's one playlist in lbPlaylist. Add and Add all take
// files by what they hold (Add all with every sub-folder when asked), saying in one line how
// many were left out. OK gives the edits to the playlist and ends with the Accepted result; a
// double-click or Return on a playlist row does the same and chooses that row to play; Cancel
// (and Escape) drops them and ends with Rejected; the close box ends with Rejected and keeps
// them. Each showing starts from the playlist as it is. Every ending keeps the folder, cut to 80
// bytes, in the last-directory text it was given, and the dialog's place and size in the place
// text. Entries whose file cannot be found now stay in the playlist, greyed. The dialog can be
// made larger than its first size; both lists grow with it. GUI thread only.
class TfrmPlayList : public QDialog {
  Q_OBJECT

public:
  // `mainWindow` is the window to centre on; `lastDir` the last-directory text the dialog
  // reads when shown and writes when closed (empty or "/": the user's music folder); `place`
  // the place it comes back to, kept the same way ("left,top,width,height", empty: centred at
  // its smallest); `playlist` the playlist it edits.
  TfrmPlayList(QWidget* mainWindow, std::string& lastDir, std::string& place, TPlaylist& playlist);

  // The playlist as the dialog shows it, first to last.
  std::vector<std::string> Playlist() const;
  // The row chosen to play when the dialog last ended with a double-click or Return on it; -1
  // when it ended otherwise.
  int32_t ChosenSong() const { return m_chosen; }
  // Adds `paths` to the end of the playlist at once, and to the list shown while the dialog is
  // open; each must be one the playlist file can hold (TPlaylistFile::CanHold).
  void AppendEntries(const std::vector<std::string>& paths);

  // Controls, named as the dialog's description names them; tests drive them directly.
  QTabWidget* Notebook;
  TDriveComboBox* cbDrive;
  QLineEdit* eDir;
  QPushButton* btnChange;
  QHeaderView* Header;
  TDirListBox* lbDir;
  QToolButton* btnAdd;
  QToolButton* btnAddAll;
  QCheckBox* cbSubFolders; // Add all takes every sub-folder too
  QToolButton* btnDel;
  QToolButton* btnDelAll;
  TPlaylistBox* lbPlaylist;
  TGfxBtn* btnOk;
  TGfxBtn* btnCancel;

  void btnChangeClick();
  void cbDriveChange();
  void lbDirDblClick();
  void btnAddAllClick();
  void btnDelClick();
  void btnDelAllClick();
  void btnOkClick();
  void btnCancelClick();
  // Ends the dialog as OK does, with `row` of the playlist chosen to play.
  void lbPlaylistDblClick(int row);

  const TDirBrowser& Browser() const { return m_browser; }

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildGeneralPage(QWidget* page);
  void buildButtons(QWidget* page);
  // Places the controls for the dialog's size: the lists take what it has grown by.
  void layOut();
  // Shows the playlist's entries in lbPlaylist.
  void showPlaylist();
  void showIfMissing(QListWidgetItem* item) const;
  void ChangeDir(const std::string& piece);
  void fillDirList();
  void addToPlaylist(const std::string& path);
  // Adds the modules that `paths` (files, or folders with their sub-folders) hold, reading them
  // on a thread of their own under a progress box with Cancel; what was left out is said in one
  // box of one line.
  void addBrowsed(const std::vector<std::string>& paths);
  bool ListContains(const QListWidget* list, const std::string& path) const;
  std::string eDirText() const;
  void setEDirText(const std::string& text);
  void FormShow();
  void FormClose();

  QWidget* m_mainWindow;
  std::string& m_lastDir;
  std::string& m_place;
  TPlaylist& m_playlist;
  int32_t m_chosen = -1;
  bool m_cancelling = false;
  QWidget* m_rule = nullptr;
  std::string m_eDirBytes;           // the folder text as last set, in the file system's bytes
  QLabel* m_dirMessage = nullptr;    // "Folder not found", over the folder list
  TDirBrowser m_browser;
};

extern TfrmPlayList* frmPlayList;

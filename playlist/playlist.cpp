#include "playlist/playlist.h"

#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/DialogPlacement.h"
#include "controls/GfxBtn.h"
#include "controls/WindowPlace.h"
#include "platform/ArchiveFile.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/utf8.h"
#include "library/Playlist.h"
#include "library/ScanJob.h"
#include "playlist/DirListBox.h"
#include "playlist/DirListDelegate.h"
#include "playlist/DriveComboBox.h"
#include "playlist/PlaylistBox.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

TfrmPlayList* frmPlayList = nullptr;

namespace {

constexpr int kClientWidth = 352;
constexpr int kClientHeight = 444;
constexpr int kNotebookHeight = 405;
constexpr std::size_t kLastDirBytes = 80;
constexpr int kPlaylistRowHeight = 13;

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::string toBytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

bool endsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '/' || path.back() == '\\');
}


QToolButton* speedButton(QWidget* parent, const QString& caption, QRect where) {
  auto* button = new QToolButton(parent);
  button->setText(caption);
  button->setAutoRaise(true);
  button->setGeometry(where);
  return button;
}


} // namespace

TfrmPlayList::TfrmPlayList(QWidget* mainWindow, std::string& lastDir, std::string& place, TPlaylist& playlist)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow), m_lastDir(lastDir), m_place(place), m_playlist(playlist) {
  setWindowTitle("Playlist");
  setMinimumSize(kClientWidth, kClientHeight);
  resize(kClientWidth, kClientHeight);
  Notebook = new QTabWidget(this);
  Notebook->setGeometry(0, 0, kClientWidth, kNotebookHeight);
  Notebook->setAccessibleName("Playlist pages");
  auto* page = new QWidget;
  Notebook->addTab(page, "General");
  buildGeneralPage(page);
  buildButtons(page);
  btnOk = TGfxBtn::okButton(this, {188, 412});
  btnCancel = TGfxBtn::cancelButton(this, {268, 412});
  connect(btnOk, &TGfxBtn::OnClick, this, &TfrmPlayList::btnOkClick);
  connect(btnCancel, &TGfxBtn::OnClick, this, &TfrmPlayList::btnCancelClick);
  showPlaylist();
}

void TfrmPlayList::buildGeneralPage(QWidget* page) {
  NewPicture(page, "playlisticon.bmp", {8, 6, 32, 32});
  NewPicture(page, "playlisttitle.bmp", {48, 10, 150, 24});
  m_rule = NewBevel(page, {8, 42, 328, 4});

  cbDrive = new TDriveComboBox(page);
  cbDrive->setGeometry(8, 52, 175, 22);
  cbDrive->setAccessibleName("Drive");
  connect(cbDrive, &TDriveComboBox::driveChanged, this, &TfrmPlayList::cbDriveChange);
  eDir = new QLineEdit(page);
  eDir->setGeometry(8, 78, 151, 21);
  eDir->setAccessibleName("Folder");
  eDir->setToolTip("Type a folder and press Return to list it");
  // Return in the field lists the folder typed; it does not confirm the dialog.
  eDir->installEventFilter(this);
  btnChange = new QPushButton("...", page);
  btnChange->setGeometry(161, 78, 22, 21);
  btnChange->setToolTip("Change dir...");
  btnChange->setAccessibleName("Change folder");
  btnChange->setAutoDefault(false);
  connect(btnChange, &QPushButton::clicked, this, &TfrmPlayList::btnChangeClick);

  Header = new QHeaderView(Qt::Horizontal, page);
  auto* columns = new QStandardItemModel(0, 2, Header);
  columns->setHorizontalHeaderLabels({"Name", "Size"});
  Header->setModel(columns);
  Header->setSectionResizeMode(QHeaderView::Interactive);
  Header->setMinimumSectionSize(8);
  Header->setStretchLastSection(false);
  Header->resizeSection(0, 103);
  Header->resizeSection(1, 44);
  Header->setGeometry(8, 104, 175, 17);

  lbDir = new TDirListBox(page);
  lbDir->setGeometry(8, 121, 175, 144);
  lbDir->setAccessibleName("Folders and modules");
  m_dirMessage = new QLabel("Folder not found", lbDir->viewport());
  m_dirMessage->move(6, 6);
  m_dirMessage->adjustSize();
  m_dirMessage->hide();
  lbDir->setUniformItemSizes(true);
  lbDir->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lbDir->setItemDelegate(new TDirListDelegate(Header, lbDir));
  lbDir->installEventFilter(this);
  connect(lbDir, &QListWidget::itemDoubleClicked, this, &TfrmPlayList::lbDirDblClick);
  connect(Header, &QHeaderView::sectionResized, lbDir->viewport(), qOverload<>(&QWidget::update));

  lbPlaylist = new TPlaylistBox(page);
  lbPlaylist->setGeometry(8, 272, 328, 102);
  lbPlaylist->setAccessibleName("Playlist");
  lbPlaylist->setUniformItemSizes(true);
  connect(lbPlaylist, &TPlaylistBox::droppedFromList, this, &TfrmPlayList::lbDirDblClick);
  connect(lbPlaylist, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { lbPlaylistDblClick(lbPlaylist->row(item)); });
  lbPlaylist->installEventFilter(this);
}

void TfrmPlayList::layOut() {
  // What the dialog has grown by beyond its smallest size: half of each goes to the folder
  // list, the other half to the playlist; the buttons beside the folder list move along.
  const int dx = width() - kClientWidth, dy = height() - kClientHeight;
  const int dirWidth = 175 + dx / 2, right = 8 + dirWidth + 9, dirHeight = 144 + dy / 2;
  Notebook->setGeometry(0, 0, kClientWidth + dx, kNotebookHeight + dy);
  m_rule->setGeometry(8, 42, 328 + dx, 4);
  cbDrive->setGeometry(8, 52, dirWidth, 22);
  eDir->setGeometry(8, 78, dirWidth - 24, 21);
  btnChange->setGeometry(8 + dirWidth - 22, 78, 22, 21);
  // The name column takes what the list grows by, keeping any width the user gave it.
  Header->resizeSection(0, std::max(8, Header->sectionSize(0) + dirWidth - Header->width()));
  Header->setGeometry(8, 104, dirWidth, 17);
  lbDir->setGeometry(8, 121, dirWidth, dirHeight);
  const int buttonWidth = 336 + dx - right;
  btnAdd->setGeometry(right, 121, buttonWidth, 24);
  btnAddAll->setGeometry(right, 149, buttonWidth, 24);
  cbSubFolders->setGeometry(right + 6, 175, buttonWidth - 6, 18);
  btnDel->setGeometry(right, 199, buttonWidth, 24);
  btnDelAll->setGeometry(right, 227, buttonWidth, 24);
  lbPlaylist->setGeometry(8, 128 + dirHeight, 328 + dx, 102 + dy - dy / 2);
  btnOk->move(188 + dx, 412 + dy);
  btnCancel->move(268 + dx, 412 + dy);
}

void TfrmPlayList::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (m_rule) layOut();
}

void TfrmPlayList::buildButtons(QWidget* page) {
  btnAdd = speedButton(page, "A&dd", {192, 121, 144, 24});
  btnAddAll = speedButton(page, "&Add all", {192, 149, 144, 24});
  cbSubFolders = new QCheckBox("with sub-&folders", page);
  cbSubFolders->setGeometry(198, 175, 138, 18);
  cbSubFolders->setToolTip("Add all takes the modules of every sub-folder too");
  btnDel = speedButton(page, "D&elete", {192, 199, 144, 24});
  btnDelAll = speedButton(page, "Dele&te All", {192, 227, 144, 24});
  connect(btnAdd, &QToolButton::clicked, this, &TfrmPlayList::lbDirDblClick);
  connect(btnAddAll, &QToolButton::clicked, this, &TfrmPlayList::btnAddAllClick);
  connect(btnDel, &QToolButton::clicked, this, &TfrmPlayList::btnDelClick);
  connect(btnDelAll, &QToolButton::clicked, this, &TfrmPlayList::btnDelAllClick);
}

std::vector<std::string> TfrmPlayList::Playlist() const {
  std::vector<std::string> paths;
  for (int i = 0; i < lbPlaylist->count(); ++i)
    paths.push_back(lbPlaylist->item(i)->data(Qt::UserRole).toByteArray().toStdString());
  return paths;
}

void TfrmPlayList::AppendEntries(const std::vector<std::string>& paths) {
  m_playlist.append(paths);
  if (isVisible())
    for (const std::string& path : paths) addToPlaylist(path);
}

void TfrmPlayList::addToPlaylist(const std::string& path) {
  auto* item = new QListWidgetItem(fromBytes(path));
  item->setData(Qt::UserRole, QByteArray::fromStdString(path));
  item->setSizeHint({0, kPlaylistRowHeight});
  showIfMissing(item);
  lbPlaylist->addItem(item);
}

void TfrmPlayList::showIfMissing(QListWidgetItem* item) const {
  QByteArray path = item->data(Qt::UserRole).toByteArray();
  // An archive's entry counts as there while its archive is: listing every archive for every
  // row would make the dialog slow to open.
  const std::optional<TArchivePath> inside = SplitArchivePath(path.toStdString());
  bool missing = !FileExists(inside ? inside->Archive : path.toStdString());
  item->setData(Qt::ForegroundRole,
                missing ? QVariant(palette().brush(QPalette::Disabled, QPalette::Text)) : QVariant());
  item->setToolTip(missing ? fromBytes(path.toStdString()) + " cannot be found now" : QString());
}

bool TfrmPlayList::ListContains(const QListWidget* list, const std::string& path) const {
  QByteArray wanted = QByteArray::fromStdString(path);
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->data(Qt::UserRole).toByteArray() == wanted) return true;
  return false;
}

void TfrmPlayList::showPlaylist() {
  lbPlaylist->clear();
  for (const std::string& entry : m_playlist.entries()) addToPlaylist(entry);
}

std::string TfrmPlayList::eDirText() const {
  // A folder name that is not valid UTF-8 shows with replacement characters; the bytes it was
  // set from stay the text until the user edits it.
  QString shown = eDir->text();
  return shown == fromBytes(m_eDirBytes) ? m_eDirBytes : toBytes(shown);
}

void TfrmPlayList::setEDirText(const std::string& text) {
  m_eDirBytes = text;
  eDir->setText(fromBytes(text));
}

void TfrmPlayList::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmPlayList::FormShow() {
  m_chosen = -1;
  m_cancelling = false;
  if (!RestorePlace(this, m_place)) CenterOnWindow(this, m_mainWindow);
  showPlaylist();
  cbDrive->refresh();
  // A first showing opens the user's music folder (or home), not the root of the system.
  std::string start = m_lastDir;
  if (start.empty() || start == "/") {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!DirectoryExists(toBytes(music))) music = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    if (!music.isEmpty()) start = toBytes(music);
  }
  setEDirText(start);
  btnChangeClick();
}

void TfrmPlayList::btnChangeClick() {
  std::string typed = eDirText();
  if (!typed.empty() && typed.front() == '/') {
    cbDrive->setDrive(DriveOfPath(typed, Drives()));
    setEDirText(typed);
  }
  if (!endsWithSeparator(typed)) setEDirText(typed + "/");
  m_browser.CurDir.clear();
  ChangeDir(eDirText());
}

void TfrmPlayList::cbDriveChange() {
  m_browser.CurDir.clear();
  ChangeDir(cbDrive->Drive());
}

void TfrmPlayList::ChangeDir(const std::string& piece) {
  m_browser.ChangeDir(piece);
  fillDirList();
  setEDirText(m_browser.CurDir);
}

void TfrmPlayList::fillDirList() {
  lbDir->clear();
  m_dirMessage->setVisible(!DirectoryExists(m_browser.CurDir));
  for (const TDirEntry& entry : m_browser.Entries()) {
    auto* item = new QListWidgetItem(fromBytes(entry.Name));
    item->setData(TDirListDelegate::SizeRole, entry.Size);
    item->setData(TDirListDelegate::AttrRole, entry.Attr);
    lbDir->addItem(item);
  }
}

void TfrmPlayList::lbDirDblClick() {
  int row = lbDir->currentRow();
  if (row < 0 || !lbDir->currentItem()->isSelected()) return;
  const TDirEntry entry = m_browser.Entries()[row];
  if (TDirBrowser::IsFolder(entry))
    ChangeDir(entry.Name + "/");
  else
    addBrowsed({m_browser.CurDir + entry.Name});
}

void TfrmPlayList::btnAddAllClick() {
  std::vector<std::string> paths;
  for (const TDirEntry& entry : m_browser.Entries()) {
    std::string path = m_browser.CurDir + entry.Name;
    if (TDirBrowser::IsFolder(entry)) {
      if (cbSubFolders->isChecked() && entry.Name != "..") paths.push_back(path + "/");
    } else if (!ListContains(lbPlaylist, path)) {
      paths.push_back(path);
    }
  }
  addBrowsed(paths);
}

void TfrmPlayList::addBrowsed(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  TScanJob job(paths);
  QProgressDialog progress("Reading folders...", "Cancel", 0, 0, this);
  progress.setWindowTitle("Add");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(400);
  QEventLoop wait;
  TFolderScanResult found;
  connect(&job, &TScanJob::progress, &progress, [&progress](qulonglong looked) {
    progress.setLabelText(QString("Reading folders: %1 files looked at").arg(looked));
  });
  connect(&progress, &QProgressDialog::canceled, &job, &TScanJob::cancel);
  connect(&job, &TScanJob::finished, &wait, [&](const TFolderScanResult& result) {
    found = result;
    wait.quit();
  });
  wait.exec();
  progress.reset();
  for (const std::string& module : found.Modules)
    if (!cbSubFolders->isChecked() || !ListContains(lbPlaylist, module)) addToPlaylist(module);
  if (const std::string note = found.summary(); !note.empty())
    ShowMessageBox(note, "", TMessageKind::Information);
}

void TfrmPlayList::btnDelClick() {
  QListWidgetItem* item = lbPlaylist->currentItem();
  if (item && item->isSelected()) delete item;
}

void TfrmPlayList::btnDelAllClick() { lbPlaylist->clear(); }

void TfrmPlayList::btnOkClick() {
  // OK always writes the file, also when nothing changed: it may have gone meanwhile.
  if (Playlist() == m_playlist.entries())
    m_playlist.store();
  else
    m_playlist.setEntries(Playlist());
  accept();
}

void TfrmPlayList::lbPlaylistDblClick(int row) {
  if (row < 0 || row >= lbPlaylist->count()) return;
  m_chosen = row;
  btnOkClick();
}

void TfrmPlayList::keyPressEvent(QKeyEvent* event) {
  // Escape is Cancel, through Cancel's own handler, rather than Qt's bare reject.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    btnCancelClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmPlayList::btnCancelClick() {
  m_cancelling = true;
  reject();
}

void TfrmPlayList::done(int result) {
  // The close box keeps the edits, OK has given them already, Cancel drops them.
  if (m_cancelling)
    showPlaylist();
  else
    m_playlist.setEntries(Playlist());
  FormClose();
  QDialog::done(result);
}

void TfrmPlayList::FormClose() {
  // A folder typed but not found is not kept for the next time.
  if (DirectoryExists(eDirText())) m_lastDir = Utf8Prefix(eDirText(), kLastDirBytes);
  m_place = PlaceOf(this, true);
}

bool TfrmPlayList::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == lbDir || watched == lbPlaylist || watched == eDir) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (watched == eDir)
        btnChangeClick();
      else if (watched == lbDir)
        lbDirDblClick();
      else if (lbPlaylist->currentItem() && lbPlaylist->currentItem()->isSelected())
        lbPlaylistDblClick(lbPlaylist->currentRow());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

#include "app/about.h"

#include "app/main.h"
#include "controls/Bitmaps.h"
#include "controls/DialogPlacement.h"
#include "controls/GfxBtn.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShowEvent>

TfrmAbout* frmAbout = nullptr;

namespace {

const QString kRule(38, '-');

} // namespace

QStringList TfrmAbout::MemoLines() {
  return {"VORKA - Vorka Music Player",
          "Freeware by the VORKA developers, 2026.",
          "",
          QString("Home page: ") + TfrmMain::HomePage,
          "Mail: vorka@vorka.example",
          "",
          "Game Keys Quick guide:",
          "",
          "[Left] : Move brick left",
          "[Right] : Move brick right",
          "[Down] : Move brick down",
          "[Up] : Rotate brick",
          "[Space] : Drop bomb",
          "",
          "Watch the Bomb%. You can only drop",
          "the bomb if there's enough bomb%.",
          "",
          kRule,
          "New in beta 3:",
          "- VORKA runs on Linux: windows by Qt,",
          "  music by libopenmpt and SDL.",
          "- A module that cannot be loaded is",
          "  skipped; the status bar says why",
          "  when none of the playlist plays.",
          "- Playlist, settings and high scores",
          "  are saved safely: a failed save",
          "  keeps the old file.",
          "- Choose a song in the playlist",
          "  (double-click or Return), play the",
          "  previous one (Shift+N).",
          "- Click or drag the progress bar to",
          "  seek; Ctrl+Left/Right seek 5 s. The",
          "  time played shows in the status bar.",
          "- A volume control (Ctrl+Up/Down, M",
          "  mutes); Repeat all, Repeat one, No",
          "  repeat and Shuffle (Music menu).",
          "- Pause keeps the song where it is.",
          "- Keys for every music command; the",
          "  windows come back where they were.",
          kRule,
          "New in beta 2:",
          "- The game runs full screen or in a",
          "  window (F4 switches).",
          "- The bomb and its meter.",
          "- Module information (F8).",
          kRule,
          "Planned:",
          "- Playlists saved under their own names.",
          kRule};
}

TfrmAbout::TfrmAbout(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow) {
  setWindowTitle("About VORKA");
  setFixedSize(287, 286);
  Image1 = NewPicture(this, "appicon.bmp", {8, 12, 32, 32});
  Label1 = new QLabel("VORKA", this);
  QFont title = Label1->font();
  title.setBold(true);
  title.setPointSize(14);
  Label1->setFont(title);
  Label1->move(48, 12);
  Label1->adjustSize();
  lVersion = new QLabel("version beta 3", this);
  lVersion->move(48, 36);
  lVersion->adjustSize();

  Memo1 = new QPlainTextEdit(this);
  Memo1->setGeometry(8, 56, 269, 193);
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette colours = Memo1->palette();
  colours.setColor(QPalette::Base, Qt::black);
  colours.setColor(QPalette::Text, Qt::yellow);
  Memo1->setPalette(colours);
  Memo1->setPlainText(MemoLines().join('\n'));

  Label2 = new QLabel(TfrmMain::HomePage, this);
  QFont link = Label2->font();
  link.setUnderline(true);
  Label2->setFont(link);
  QPalette blue = Label2->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  Label2->setPalette(blue);
  Label2->setCursor(Qt::PointingHandCursor);
  Label2->setToolTip("Tarnwell homepage");
  Label2->move(8, 260);
  Label2->adjustSize();
  Label2->installEventFilter(this);

  btnOk = TGfxBtn::okButton(this, {207, 255});
  connect(btnOk, &TGfxBtn::OnClick, this, &TfrmAbout::btnOkClick);
}

void TfrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  CenterOnWindow(this, m_mainWindow);
  lVersion->setText("Version: beta 3");
  lVersion->adjustSize();
}

void TfrmAbout::Label2Click() { TfrmMain::openHomePage(); }

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
  // A link follows the left button only, released over it.
  if (watched == Label2 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      Label2->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
    Label2Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

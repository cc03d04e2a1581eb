#include "app/modinfo.h"

#include "app/main.h"
#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/DialogPlacement.h"
#include "controls/GfxBtn.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTabWidget>

#include <cstring>

TfrmInfo* frmInfo = nullptr;

namespace {

QPalette buttonFace(QPalette palette) {
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  return palette;
}


std::string line(const char* label, const std::string& value) {
  std::string text = label;
  text.resize(12, ' ');
  return text + ": " + value;
}

} // namespace

TfrmInfo::TfrmInfo(TfrmMain* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow) {
  setWindowTitle("Module Info");
  setFixedSize(256, 320);
  Notebook = new QTabWidget(this);
  Notebook->setGeometry(0, 0, 256, 285);
  Notebook->setAccessibleName("Module information pages");
  Notebook->addTab(buildGeneralPage(), "General");
  auto* instruments = new QWidget;
  mInst = memo(instruments);
  mInst->setAccessibleName("Instruments");
  mInst->setGeometry(4, 4, 242, 248);
  Notebook->addTab(instruments, "Instruments");
  btnOk = TGfxBtn::okButton(this, {176, 291});
  connect(btnOk, &TGfxBtn::OnClick, this, &TfrmInfo::btnOkClick);
}

QWidget* TfrmInfo::buildGeneralPage() {
  auto* page = new QWidget;
  NewPicture(page, "infoicon.bmp", {8, 6, 32, 32});
  NewPicture(page, "infotitle.bmp", {48, 8, 86, 27});
  NewBevel(page, {8, 42, 234, 4});
  auto* nameLabel = new QLabel("Name:", page);
  nameLabel->move(8, 57);
  nameLabel->adjustSize();
  eName = new QLineEdit(page);
  eName->setReadOnly(true);
  eName->setPalette(buttonFace(eName->palette()));
  eName->setGeometry(52, 54, 185, 21);
  nameLabel->setBuddy(eName);
  mModInfo = memo(page);
  mModInfo->setAccessibleName("Module details");
  mModInfo->setGeometry(8, 84, 234, 164);
  return page;
}

QPlainTextEdit* TfrmInfo::memo(QWidget* parent) {
  auto* m = new QPlainTextEdit(parent);
  m->setReadOnly(true);
  m->setPalette(buttonFace(m->palette()));
  QFont courier("Courier", 10);
  courier.setStyleHint(QFont::TypeWriter);
  courier.setFixedPitch(true);
  m->setFont(courier);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  return m;
}

std::string TfrmInfo::FileNamePart(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::vector<std::string> TfrmInfo::InfoLines(const ::ModuleInfo& info, const std::string& fileName) {
  return {line("Length", std::to_string(info.SongLength) + " patterns"),
          line("Patterns", std::to_string(info.PatternCount)),
          line("Instruments", std::to_string(info.InstrumentCount)),
          line("Channels", std::to_string(info.ChannelCount)),
          line("Filename", FileNamePart(fileName))};
}

void TfrmInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmInfo::FormShow() {
  CenterOnWindow(this, m_mainWindow);
  TMusicPlayer& player = *m_mainWindow->Player;
  Info = player.ModuleInfo;
  mModInfo->clear();
  mInst->clear();
  eName->setText(QString::fromStdString(std::string(Info.SongName, strnlen(Info.SongName, sizeof Info.SongName))));
  std::string path = QFile::encodeName(m_mainWindow->FilePanelText()).toStdString();
  for (const std::string& text : InfoLines(Info, path)) mModInfo->appendPlainText(QString::fromStdString(text));
  for (uint32_t i = 0; i < Info.InstrumentCount; ++i) {
    InstrumentInfo instrument{};
    player.GetInstrumentInfo(static_cast<int32_t>(i), instrument);
    mInst->appendPlainText(QString::fromStdString(
        std::string(instrument.InstrumentName, strnlen(instrument.InstrumentName, sizeof instrument.InstrumentName))));
  }
  mModInfo->moveCursor(QTextCursor::Start);
  mInst->moveCursor(QTextCursor::Start);
}

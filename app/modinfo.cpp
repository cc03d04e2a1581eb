#include "app/modinfo.h"

#include "app/main.h"
#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/DialogPlacement.h"
#include "controls/GfxBtn.h"
#include "music/PlayTime.h"
#include "platform/msgbox.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTabWidget>

#include <cstring>

TfrmInfo* frmInfo = nullptr;

namespace {

// The dialog is this much wider than the two-page original, so that the tabs of all four pages
// show; the pages' texts grow with it.
constexpr int kWider = 40;

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
  setFixedSize(256 + kWider, 320);
  Notebook = new QTabWidget(this);
  Notebook->setGeometry(0, 0, 256 + kWider, 285);
  Notebook->setAccessibleName("Module information pages");
  Notebook->addTab(buildGeneralPage(), "General");
  mInst = memoPage("Instruments", "Instruments");
  mInst->setToolTip("Double-click an instrument, or press Return on it, to hear it; again to stop it");
  mInst->setAccessibleDescription(mInst->toolTip());
  mInst->installEventFilter(this);
  mInst->viewport()->installEventFilter(this);
  mMessage = memoPage("Message", "Message");
  mMessage->setPlaceholderText("This module has no message.");
  mDetails = memoPage("Details", "Details");
  btnOk = TGfxBtn::okButton(this, {176 + kWider, 291});
  connect(btnOk, &TGfxBtn::OnClick, this, &TfrmInfo::btnOkClick);
}

QWidget* TfrmInfo::buildGeneralPage() {
  auto* page = new QWidget;
  NewPicture(page, "infoicon.bmp", {8, 6, 32, 32});
  NewPicture(page, "infotitle.bmp", {48, 8, 86, 27});
  NewBevel(page, {8, 42, 234 + kWider, 4});
  auto* nameLabel = new QLabel("Name:", page);
  nameLabel->move(8, 57);
  nameLabel->adjustSize();
  eName = new QLineEdit(page);
  eName->setReadOnly(true);
  eName->setPalette(buttonFace(eName->palette()));
  eName->setGeometry(52, 54, 185 + kWider, 21);
  nameLabel->setBuddy(eName);
  mModInfo = memo(page);
  mModInfo->setAccessibleName("Module details");
  mModInfo->setGeometry(8, 84, 234 + kWider, 164);
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

QPlainTextEdit* TfrmInfo::memoPage(const QString& title, const QString& name) {
  auto* page = new QWidget;
  QPlainTextEdit* text = memo(page);
  text->setAccessibleName(name);
  text->setGeometry(4, 4, 242 + kWider, 248);
  Notebook->addTab(page, title);
  return text;
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

std::vector<std::string> TfrmInfo::DetailLines(const TModuleDetails& details) {
  std::vector<std::string> lines = {line("Title", details.Title), line("Artist", details.Artist),
                                    line("Format", details.Format), line("Tracker", details.Tracker),
                                    line("Date", details.Date)};
  auto numbered = [&](std::size_t index, const std::string& text) {
    std::string number = std::to_string(index + 1);
    lines.push_back(std::string(number.size() < 4 ? 4 - number.size() : 0, ' ') + number + "  " + text);
  };
  lines.push_back(line("Subsongs", std::to_string(details.Subsongs.size())));
  for (std::size_t i = 0; i < details.Subsongs.size(); ++i) {
    const double seconds = details.Subsongs[i].Seconds;
    numbered(i, FormatPlayTime(seconds, seconds >= 3600) + "  " +
                    SubsongName(details.Subsongs[i], static_cast<int32_t>(i)));
  }
  lines.push_back(line("Instruments", std::to_string(details.Instruments.size())));
  for (std::size_t i = 0; i < details.Instruments.size(); ++i) numbered(i, details.Instruments[i]);
  lines.push_back(line("Samples", std::to_string(details.Samples.size())));
  for (std::size_t i = 0; i < details.Samples.size(); ++i) numbered(i, details.Samples[i]);
  return lines;
}

void TfrmInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmInfo::hideEvent(QHideEvent* event) {
  Preview.stop();
  QDialog::hideEvent(event);
}

bool TfrmInfo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mInst->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const auto* click = static_cast<QMouseEvent*>(event);
    HearInstrument(mInst->cursorForPosition(click->position().toPoint()).blockNumber());
    return true;
  }
  if (watched == mInst && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      HearInstrument(mInst->textCursor().blockNumber());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmInfo::HearInstrument(int32_t line) {
  if (line < 0 || line >= static_cast<int32_t>(Info.InstrumentCount) || m_path.empty()) return;
  std::string error;
  if (!Preview.toggle(m_path, line, error))
    ShowMessageBox("The instrument cannot be heard: " + error + ".", "", TMessageKind::Error);
}

void TfrmInfo::FormShow() {
  CenterOnWindow(this, m_mainWindow);
  TMusicPlayer& player = *m_mainWindow->Player;
  m_path = player.FileName;
  Info = player.ModuleInfo;
  mModInfo->clear();
  mInst->clear();
  eName->setText(QString::fromStdString(player.Details.Title));
  std::string path = QFile::encodeName(m_mainWindow->FilePanelText()).toStdString();
  for (const std::string& text : InfoLines(Info, path)) mModInfo->appendPlainText(QString::fromStdString(text));
  for (uint32_t i = 0; i < Info.InstrumentCount; ++i) {
    InstrumentInfo instrument{};
    player.GetInstrumentInfo(static_cast<int32_t>(i), instrument);
    mInst->appendPlainText(QString::fromStdString(
        std::string(instrument.InstrumentName, strnlen(instrument.InstrumentName, sizeof instrument.InstrumentName))));
  }
  mMessage->setPlainText(QString::fromStdString(player.Details.Message));
  QStringList details;
  for (const std::string& text : DetailLines(player.Details)) details << QString::fromStdString(text);
  mDetails->setPlainText(details.join('\n'));
  for (QPlainTextEdit* text : {mModInfo, mInst, mMessage, mDetails}) text->moveCursor(QTextCursor::Start);
}

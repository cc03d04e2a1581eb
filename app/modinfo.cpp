#include "app/modinfo.h"

#include "app/main.h"
#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/DialogPlacement.h"
#include "controls/GfxBtn.h"
#include "controls/WindowPlace.h"
#include "music/PlayTime.h"
#include "platform/msgbox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

TfrmInfo* frmInfo = nullptr;

namespace {

// The first size, larger than the two-page original so that the tabs of all four pages and the
// lines of the Details page show, and the smallest: the original's height, wide enough for the
// four tabs.
constexpr QSize kFirstSize{420, 380};
constexpr QSize kSmallestSize{296, 320};

QPalette buttonFace(QPalette palette) {
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  return palette;
}

std::string line(const char* label, const std::string& value) {
  std::string text = label;
  text.resize(12, ' ');
  return text + ": " + value;
}

// A picture of the art's size that a layout keeps as it is.
QLabel* fixedPicture(QWidget* parent, const char* bitmap, QSize size) {
  QLabel* picture = NewPicture(parent, bitmap, {{0, 0}, size});
  picture->setFixedSize(size);
  return picture;
}

} // namespace

TfrmInfo::TfrmInfo(TfrmMain* mainWindow, std::string& place)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow), m_place(place) {
  setWindowTitle("Module Info");
  setMinimumSize(kSmallestSize);
  resize(kFirstSize);
  Notebook = new QTabWidget;
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
  btnOk = TGfxBtn::okButton(this, {0, 0});
  btnOk->setFixedSize(btnOk->size());
  connect(btnOk, &TGfxBtn::OnClick, this, &TfrmInfo::btnOkClick);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(4, 4, 4, 4);
  buttons->addStretch();
  buttons->addWidget(btnOk);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Notebook, 1);
  layout->addLayout(buttons);
  connect(mainWindow, &TfrmMain::playerChanged, this, &TfrmInfo::followPlayer);
}

QWidget* TfrmInfo::buildGeneralPage() {
  auto* page = new QWidget;
  auto* heading = new QHBoxLayout;
  heading->addWidget(fixedPicture(page, "infoicon.bmp", {32, 32}));
  heading->addSpacing(8);
  heading->addWidget(fixedPicture(page, "infotitle.bmp", {86, 27}));
  heading->addStretch();
  QFrame* bevel = NewBevel(page, {});
  bevel->setFixedHeight(4);
  auto* nameLabel = new QLabel("Name:", page);
  eName = new QLineEdit(page);
  eName->setReadOnly(true);
  eName->setPalette(buttonFace(eName->palette()));
  nameLabel->setBuddy(eName);
  auto* name = new QHBoxLayout;
  name->addWidget(nameLabel);
  name->addWidget(eName, 1);
  mModInfo = memo(page);
  mModInfo->setAccessibleName("Module details");
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(8, 6, 8, 8);
  layout->addLayout(heading);
  layout->addWidget(bevel);
  layout->addLayout(name);
  layout->addWidget(mModInfo, 1);
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
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(text);
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
  if (!event->spontaneous()) m_place = PlaceOf(this, true);
  QDialog::hideEvent(event);
}

void TfrmInfo::followPlayer() {
  const TMusicPlayer* player = m_mainWindow->Player;
  if (!isVisible() || !player || player->FileName == m_path) return;
  if (player->State != psPlaying && player->State != psPaused) return;
  // The instrument heard is one of the module shown before.
  Preview.stop();
  showModule();
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
  if (!RestorePlace(this, m_place)) CenterOnWindow(this, m_mainWindow);
  showModule();
}

void TfrmInfo::showModule() {
  TMusicPlayer& player = *m_mainWindow->Player;
  m_path = player.FileName;
  Info = player.ModuleInfo;
  mModInfo->clear();
  mInst->clear();
  eName->setText(QString::fromStdString(player.Details.Title));
  for (const std::string& text : InfoLines(Info, player.FileName))
    mModInfo->appendPlainText(QString::fromStdString(text));
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

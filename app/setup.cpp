#include "app/setup.h"

#include "app/GamePage.h"
#include "app/MixingPage.h"
#include "app/Settings.h"
#include "controls/Bevel.h"
#include "controls/Bitmaps.h"
#include "controls/DialogPlacement.h"
#include "controls/GfxBtn.h"
#include "platform/msgbox.h"
#include "platform/utf8.h"
#include "scores/Score.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>


TfrmSetup* frmSetup = nullptr;

const char* const kWelcomeMessage = "Welcome to VORKA. \nThis is a music player with built in "
                                    "Tetris game. \n\nPlease see the About box for a quick guide.";

namespace {

constexpr int kMinRate = 5000;
constexpr int kMaxRate = 44100;

// The mode items in order, with the OUTPUTMODE each stands for.
struct ModeItem {
  const char* caption;
  int32_t outputMode;
};
constexpr ModeItem kModes[] = {
    {"8 bit mono", 5}, {"8 bit stereo", 6}, {"16 bit mono", 9}, {"16 bit stereo", 10}};

QLabel* label(QWidget* parent, const QString& text, QPoint where) {
  auto* l = new QLabel(text, parent);
  l->move(where);
  l->adjustSize();
  return l;
}

QLabel* boldLabel(QWidget* parent, const QString& text, QPoint where, int pointSize = 0) {
  auto* l = new QLabel(text, parent);
  QFont font = l->font();
  font.setBold(true);
  if (pointSize) font.setPointSize(pointSize);
  l->setFont(font);
  l->move(where);
  l->adjustSize();
  return l;
}


} // namespace

TfrmSetup::TfrmSetup(QWidget* mainWindow, TSettings& settings)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow), m_settings(settings) {
  setWindowTitle("Setup");
  setFixedSize(346, 338);
  Notebook = new QTabWidget(this);
  Notebook->setGeometry(0, 0, 346, 301);
  Notebook->setAccessibleName("Setup pages");
  Notebook->addTab(buildGeneralPage(), "General");
  Notebook->addTab(buildSoundPage(), "Sound");
  Mixing = new TMixingPage;
  Notebook->addTab(Mixing, "Mixing");
  Game = new TGamePage;
  Notebook->addTab(Game, "Game");
  btnOk = TGfxBtn::okButton(this, {188, 306});
  btnCancel = TGfxBtn::cancelButton(this, {268, 306});
  connect(btnOk, &TGfxBtn::OnClick, this, &TfrmSetup::btnOkClick);
  connect(btnCancel, &TGfxBtn::OnClick, this, &TfrmSetup::btnCancelClick);
  // The playing song hears every Mixing choice at once; Cancel brings back the stored ones.
  connect(Mixing, &TMixingPage::optionsChanged, &m_settings, &TSettings::setRenderOptions);
  LoadSettings();
  if (m_settings.FirstStart()) ShowMessageBox(kWelcomeMessage, "", TMessageKind::Information);
}

QWidget* TfrmSetup::buildGeneralPage() {
  auto* page = new QWidget;
  NewPicture(page, "setupicon.bmp", {8, 8, 32, 32});
  boldLabel(page, "VORKA Setup", {48, 14}, 12);
  NewBevel(page, {8, 44, 322, 4});

  boldLabel(page, "Tetris settings:", {8, 58});
  QLabel* nameLabel = label(page, "&Player name:", {16, 86});
  ePlayername = new QLineEdit("Player1", page);
  ePlayername->setGeometry(96, 82, 160, 21);
  // A result keeps at most this many characters of the name.
  ePlayername->setMaxLength(static_cast<int>(THighScoreRec::kNameBytes));
  ePlayername->setToolTip(QString("Your name in the game and in the high-score list, at most %1 characters")
                              .arg(THighScoreRec::kNameBytes));
  nameLabel->setBuddy(ePlayername);
  cbFullscreen = new QCheckBox("Run in &Fullscreen", page);
  cbFullscreen->move(16, 114);
  cbFullscreen->adjustSize();
  return page;
}

QWidget* TfrmSetup::buildSoundPage() {
  auto* page = new QWidget;
  rgModes = new QGroupBox("Modes", page);
  rgModes->setGeometry(8, 8, 322, 76);
  rgModesItems = new QButtonGroup(rgModes);
  for (int i = 0; i < 4; ++i) {
    auto* item = new QRadioButton(kModes[i].caption, rgModes);
    item->move(12 + (i % 2) * 150, 22 + (i / 2) * 24);
    item->adjustSize();
    rgModesItems->addButton(item, i);
  }

  TrackBar = new QSlider(Qt::Horizontal, page);
  TrackBar->setGeometry(8, 94, 322, 28);
  TrackBar->setAccessibleName("Mixing frequency");
  TrackBar->setRange(kMinRate, kMaxRate);
  TrackBar->setTickInterval(2200);
  TrackBar->setTickPosition(QSlider::TicksBelow);
  TrackBar->setSingleStep(100);
  TrackBar->setPageStep(2200);
  TrackBar->setValue(kMaxRate);
  connect(TrackBar, &QSlider::valueChanged, this, &TfrmSetup::TrackBarChange);
  label(page, "Mixing frequency:                         Hz", {12, 134});
  eMixFreq = new QLineEdit("44100", page);
  eMixFreq->setReadOnly(true);
  eMixFreq->setAccessibleName("Mixing frequency in Hz");
  eMixFreq->setGeometry(118, 130, 56, 21);

  cbHighQuality = new QCheckBox("&High Quality mixing mode", page);
  cbHighQuality->move(12, 164);
  cbHighQuality->adjustSize();
  // A stored mode other than 0 or 1 shows the undetermined state; a click leaves it for good.
  connect(cbHighQuality, &QCheckBox::clicked, this, [this] { cbHighQuality->setTristate(false); });

  boldLabel(page, "NOTE!", {12, 206});
  auto* note = new QLabel("Changes in sound setup will only apply after VORKA has been restarted.", page);
  note->setWordWrap(true);
  note->setGeometry(12, 222, 310, 34);
  return page;
}

int32_t TfrmSetup::selectedOutputMode() const {
  int index = rgModesItems->checkedId();
  return index < 0 ? 0 : kModes[index].outputMode;
}

void TfrmSetup::selectOutputMode(int32_t mode) {
  rgModesItems->setExclusive(false);
  for (int i = 0; i < 4; ++i) rgModesItems->button(i)->setChecked(kModes[i].outputMode == mode);
  rgModesItems->setExclusive(true);
}

void TfrmSetup::LoadSettings() {
  // A rate the slider does not reach (above 44100 Hz) is shown and kept as it is, until the
  // user moves the slider.
  m_mixRate = m_settings.MixRate;
  {
    const QSignalBlocker quiet(TrackBar);
    TrackBar->setValue(m_mixRate);
  }
  eMixFreq->setText(QString::number(m_mixRate));
  selectOutputMode(m_settings.OutputMode);
  const int32_t mixing = m_settings.MixingMode;
  cbHighQuality->setTristate(mixing != 0 && mixing != 1);
  cbHighQuality->setCheckState(mixing == 0 ? Qt::Unchecked
                               : mixing == 1 ? Qt::Checked
                                             : Qt::PartiallyChecked);
  ePlayername->setText(QString::fromStdString(AsUtf8(m_settings.PlayerName)));
  cbFullscreen->setChecked(m_settings.FullScreen);
  Game->showOptions(m_settings.Game);
  Mixing->showOptions(m_settings.renderOptions());
}

void TfrmSetup::applyControls() {
  m_settings.MixRate = m_mixRate;
  if (int32_t mode = selectedOutputMode()) m_settings.OutputMode = mode;
  m_settings.MixingMode = cbHighQuality->checkState() == Qt::Checked ? 1 : 0;
  m_settings.PlayerName = PlayerName();
  m_settings.FullScreen = cbFullscreen->isChecked();
  m_settings.Game = Game->options();
  m_settings.setRenderOptions(Mixing->options());
}

void TfrmSetup::SaveSettings() {
  applyControls();
  m_settings.save();
}

std::string TfrmSetup::PlayerName() const {
  // A stored name in another encoding than UTF-8 is shown as Latin-1 and kept as it was read
  // until the user changes it.
  QString shown = ePlayername->text();
  if (shown == QString::fromStdString(AsUtf8(m_settings.PlayerName))) return m_settings.PlayerName;
  return shown.toStdString();
}

void TfrmSetup::TrackBarChange() {
  m_mixRate = TrackBar->value();
  eMixFreq->setText(QString::number(m_mixRate));
}

void TfrmSetup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) CenterOnWindow(this, m_mainWindow);
}

void TfrmSetup::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) applyControls();
  QDialog::hideEvent(event);
}

void TfrmSetup::btnOkClick() {
  // A file that cannot be written is said in a box, and the dialog stays open to try again.
  try {
    SaveSettings();
  } catch (const std::runtime_error& error) {
    ShowMessageBox(error.what(), "", TMessageKind::Error);
    return;
  }
  accept();
}

void TfrmSetup::keyPressEvent(QKeyEvent* event) {
  // Escape is Cancel, through Cancel's own handler, rather than Qt's bare reject.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    btnCancelClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmSetup::btnCancelClick() {
  m_settings.reloadChoices();
  LoadSettings();
  reject();
}

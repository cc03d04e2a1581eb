#include "app/PlayerStatusBar.h"

#include "controls/ElidedLabel.h"
#include "music/PlayTime.h"
#include "music/PlayerController.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSlider>

namespace {

constexpr int kHeight = 19;
constexpr int kStateWidth = 50;
constexpr int kVolumeWidth = 56;
constexpr int kVolumeStep = 5;
constexpr int kEdgeGap = 4;
constexpr int kSkippedMessageMs = 6000;

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

QString stateName(TPlayerState state) {
  switch (state) {
  case psPlaying: return "Playing";
  case psPaused: return "Paused";
  case psStopped: return "Stopped";
  default: return "";
  }
}

} // namespace

TPlayerStatusBar::TPlayerStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  setFixedHeight(kHeight);
  // The volume slider's handle keeps clear of the window's edge.
  setContentsMargins(0, 0, kEdgeGap, 0);
  m_state = new QLabel;
  m_state->setFixedWidth(kStateWidth);
  // A screen reader reads a label's text as its name; the description says what it is.
  m_state->setAccessibleDescription("Play state");
  m_file = new TElidedLabel(Qt::ElideMiddle);
  m_file->setMinimumWidth(kStateWidth);
  m_file->setAccessibleDescription("File");
  m_time = new QLabel;
  m_time->setAccessibleDescription("Time played out of the song's length");
  VolumeSlider = new QSlider(Qt::Horizontal);
  VolumeSlider->setRange(0, 100);
  VolumeSlider->setSingleStep(kVolumeStep);
  VolumeSlider->setPageStep(2 * kVolumeStep);
  VolumeSlider->setFixedSize(kVolumeWidth, kHeight - 4);
  VolumeSlider->setAccessibleName("Volume");
  addWidget(m_state);
  addWidget(m_file, 1);
  addPermanentWidget(m_time);
  addPermanentWidget(VolumeSlider);
  connect(VolumeSlider, &QSlider::valueChanged, this, &TPlayerStatusBar::volumeChosen);
}

void TPlayerStatusBar::setStateText(const QString& text) { m_state->setText(text); }

QString TPlayerStatusBar::stateText() const { return m_state->text(); }

void TPlayerStatusBar::setFileText(const QString& text) { m_file->setFullText(text); }

QString TPlayerStatusBar::fileText() const { return m_file->fullText(); }

void TPlayerStatusBar::setTimes(double elapsed, double total) {
  const QString text = QString::fromStdString(FormatPlayTimes(elapsed, total));
  if (text == m_time->text()) return;
  // The panel keeps its width while the digits change, so that the bar is not laid out anew
  // (and the file's name cut anew) every second.
  QString widest = QString::fromStdString(FormatPlayTimes(total, total));
  widest.replace(QRegularExpression("[0-9]"), "0");
  const int width = m_time->fontMetrics().horizontalAdvance(widest) + 2 * m_time->margin() + 4;
  // Fixed in both directions, a new text does not ask the bar for a new layout at all.
  const int height = m_time->fontMetrics().height() + 2 * (m_time->margin() + m_time->frameWidth());
  if (m_time->minimumWidth() != width) m_time->setFixedSize(width, height);
  m_time->setText(text);
}

void TPlayerStatusBar::clearTimes() {
  m_time->clear();
  m_time->setMinimumSize(0, 0);
  m_time->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

QString TPlayerStatusBar::timeText() const { return m_time->text(); }

void TPlayerStatusBar::showSkipped(const std::vector<TSkippedSong>& skipped) {
  QStringList lines;
  for (const TSkippedSong& song : skipped)
    lines << "Skipped " + QFileInfo(fromBytes(song.Path)).fileName() + ": " +
                 QString::fromStdString(song.Reason);
  if (!lines.isEmpty()) showMessage(lines.join("  "), kSkippedMessageMs);
}

void TPlayerStatusBar::showOutputProblem(const QString& problem) {
  if (problem.isEmpty())
    clearMessage();
  else
    showMessage("No sound output: " + problem);
}

void TPlayerStatusBar::showVolume(int percent, bool muted) {
  const QSignalBlocker quiet(VolumeSlider);
  VolumeSlider->setValue(muted ? 0 : percent);
  VolumeSlider->setToolTip(muted ? QString("Volume: muted (M)")
                                 : QString("Volume: %1 % (Ctrl+Up, Ctrl+Down; M mutes)").arg(percent));
  VolumeSlider->setAccessibleDescription(VolumeSlider->toolTip());
}

void TPlayerStatusBar::follow(TPlayerController& controller) {
  connect(this, &TPlayerStatusBar::volumeChosen, &controller, &TPlayerController::setVolume);
  connect(&controller, &TPlayerController::songChanged, this, [this, &controller] { showSong(controller); });
  connect(&controller, &TPlayerController::ticked, this, [this, &controller] { showTime(controller); });
  connect(&controller, &TPlayerController::settingsChanged, this, [this, &controller] {
    if (const TMusicPlayer* player = controller.player()) showVolume(player->Volume(), player->Muted());
  });
  connect(&controller, &TPlayerController::waitingForSong, this, [this](bool waiting) {
    if (waiting)
      showMessage("Loading the song...");
    else
      clearMessage();
  });
  connect(&controller, &TPlayerController::outputProblemChanged, this,
          [this, &controller] { showOutputProblem(QString::fromStdString(controller.outputProblem())); });
}

void TPlayerStatusBar::showSong(const TPlayerController& controller) {
  TMusicPlayer* player = controller.player();
  if (!player) return;
  setFileText(fromBytes(player->FileName));
  showTime(controller);
  setStateText(stateName(player->State));
  const std::vector<TSkippedSong> skipped = player->TakeSkipped();
  // With nothing left to play the file panel says why.
  if (player->State == psPlaying)
    showSkipped(skipped);
  else if (!player->LoadError.empty())
    setFileText("Cannot play " + fromBytes(player->LoadError));
}

void TPlayerStatusBar::showTime(const TPlayerController& controller) {
  TMusicPlayer* player = controller.player();
  if (!player) return;
  if (player->FileName.empty())
    clearTimes();
  else
    setTimes(player->PlaySeconds(), player->Duration);
}

#include "app/GamePage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace {

constexpr int kLeft = 12, kBoxLeft = 216, kBoxWidth = 96;

QSpinBox* msBox(QWidget* page, const char* text, const char* name, int top, int least, int most) {
  auto* box = new QSpinBox(page);
  box->setGeometry(kBoxLeft, top, kBoxWidth, 24);
  box->setRange(least, most);
  box->setSingleStep(5);
  box->setSuffix(" ms");
  box->setValue(TGameOptions::kClassicRepeat);
  box->setAccessibleName(name);
  auto* label = new QLabel(text, page);
  label->setBuddy(box);
  label->move(kLeft, top + 4);
  label->adjustSize();
  return box;
}

// Repeats a second at one every `ms`, as the player reads it.
QString perSecond(int ms) { return QString::number(1000.0 / ms, 'f', ms > 100 ? 1 : 0); }

} // namespace

TGamePage::TGamePage(QWidget* parent) : QWidget(parent) {
  auto* heading = new QLabel("Held keys:", this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  heading->move(kLeft, 12);
  heading->adjustSize();
  RepeatDelay = msBox(this, "First &repeat after:", "Key repeat delay in milliseconds", 34, 50, 500);
  RepeatInterval = msBox(this, "&Then one move every:", "Key repeat interval in milliseconds", 64, 10, 500);
  SoftDropInterval = msBox(this, "&Soft drop, one row every:", "Soft drop interval in milliseconds", 94, 10, 500);
  Pace = new QLabel(this);
  Pace->setGeometry(kLeft, 124, 314, 36);
  Pace->setWordWrap(true);
  Pace->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Classic = new QPushButton("&Classic", this);
  Classic->setGeometry(kBoxLeft, 162, kBoxWidth, 26);
  Classic->setToolTip("The classic rhythm: every key repeats every 100 ms");
  connect(Classic, &QPushButton::clicked, this, [this] {
    TGameOptions classic = options();
    classic.RepeatDelay = classic.RepeatInterval = classic.SoftDropInterval = TGameOptions::kClassicRepeat;
    showOptions(classic);
  });
  for (QSpinBox* box : {RepeatDelay, RepeatInterval, SoftDropInterval})
    connect(box, &QSpinBox::valueChanged, this, &TGamePage::showPace);

  ShowNext = new QCheckBox("Show the &next brick", this);
  ShowNext->setGeometry(kLeft, 200, 314, 22);
  ShowGhost = new QCheckBox("Show where the brick &lands", this);
  ShowGhost->setGeometry(kLeft, 224, 314, 22);
  MusicFollows = new QCheckBox("&Music follows the game", this);
  MusicFollows->setGeometry(kLeft, 248, 314, 22);
  MusicFollows->setToolTip("The tempo rises 2 % a level; while the pile reaches the top quarter of "
                           "the field, all but the first channel play at 30 %");
  showPace();
}

TGameOptions TGamePage::options() const {
  TGameOptions options;
  options.RepeatDelay = RepeatDelay->value();
  options.RepeatInterval = RepeatInterval->value();
  options.SoftDropInterval = SoftDropInterval->value();
  options.ShowNext = ShowNext->isChecked();
  options.ShowGhost = ShowGhost->isChecked();
  options.MusicFollows = MusicFollows->isChecked();
  return options;
}

void TGamePage::showOptions(const TGameOptions& options) {
  RepeatDelay->setValue(std::clamp(options.RepeatDelay, RepeatDelay->minimum(), RepeatDelay->maximum()));
  RepeatInterval->setValue(
      std::clamp(options.RepeatInterval, RepeatInterval->minimum(), RepeatInterval->maximum()));
  SoftDropInterval->setValue(
      std::clamp(options.SoftDropInterval, SoftDropInterval->minimum(), SoftDropInterval->maximum()));
  ShowNext->setChecked(options.ShowNext);
  ShowGhost->setChecked(options.ShowGhost);
  MusicFollows->setChecked(options.MusicFollows);
}

void TGamePage::showPace() {
  if (options().ClassicHandling()) {
    Pace->setText("The classic rhythm: a held key acts on every second tick of the game, about "
                  "10 times a second.");
    return;
  }
  Pace->setText(QString("A held Left or Right moves %1 cells a second, a held Down drops %2 rows "
                        "a second.")
                    .arg(perSecond(RepeatInterval->value()), perSecond(SoftDropInterval->value())));
}

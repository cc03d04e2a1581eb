#include "app/MixingPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>

namespace {

QLabel* label(QWidget* parent, const QString& text, QWidget* buddy, QPoint where) {
  auto* l = new QLabel(text, parent);
  l->setBuddy(buddy);
  l->move(where);
  l->adjustSize();
  return l;
}

} // namespace

TMixingPage::TMixingPage(QWidget* parent) : QWidget(parent) {
  Separation = new QSlider(Qt::Horizontal, this);
  Separation->setGeometry(8, 30, 262, 28);
  Separation->setRange(0, 200);
  Separation->setSingleStep(5);
  Separation->setPageStep(25);
  Separation->setTickInterval(25);
  Separation->setTickPosition(QSlider::TicksBelow);
  Separation->setValue(100);
  Separation->setAccessibleName("Stereo separation in percent");
  label(this, "Stereo &separation:", Separation, {12, 12});
  SeparationValue = new QLabel("100 %", this);
  SeparationValue->setGeometry(278, 34, 52, 20);
  connect(Separation, &QSlider::valueChanged, this, [this](int percent) {
    SeparationValue->setText(QString("%1 %").arg(percent));
    announce();
  });

  Ramping = new QComboBox(this);
  Ramping->setGeometry(150, 76, 176, 24);
  Ramping->addItem("Library default");
  Ramping->addItem("Off");
  for (int strength = 1; strength <= 10; ++strength) Ramping->addItem(QString::number(strength));
  label(this, "&Volume ramping:", Ramping, {12, 80});
  connect(Ramping, &QComboBox::currentIndexChanged, this, &TMixingPage::announce);

  Amiga = new QComboBox(this);
  Amiga->setGeometry(150, 108, 176, 24);
  Amiga->addItems({"Automatic", "Amiga 500", "Amiga 1200", "Off"});
  label(this, "&Amiga resampler:", Amiga, {12, 112});
  connect(Amiga, &QComboBox::currentIndexChanged, this, &TMixingPage::announce);

  EvenLoudness = new QCheckBox("Even out &loudness", this);
  EvenLoudness->setGeometry(12, 140, 314, 22);
  EvenLoudness->setChecked(true);
  connect(EvenLoudness, &QCheckBox::toggled, this, &TMixingPage::announce);
  SkipSilentEnd = new QCheckBox("S&kip silence at the end", this);
  SkipSilentEnd->setGeometry(12, 164, 314, 22);
  SkipSilentEnd->setChecked(true);
  connect(SkipSilentEnd, &QCheckBox::toggled, this, &TMixingPage::announce);

  Loops = new QSpinBox(this);
  Loops->setGeometry(150, 190, 48, 24);
  Loops->setRange(1, 9);
  Loops->setValue(2);
  Loops->setAccessibleName("Loops before the fade");
  label(this, "Loops before a &fade:", Loops, {12, 194});
  connect(Loops, &QSpinBox::valueChanged, this, &TMixingPage::announce);
  FadeSeconds = new QSpinBox(this);
  FadeSeconds->setGeometry(254, 190, 72, 24);
  FadeSeconds->setRange(1, 60);
  FadeSeconds->setValue(10);
  FadeSeconds->setSuffix(" s");
  FadeSeconds->setAccessibleName("Seconds of the fade");
  label(this, "Fa&de:", FadeSeconds, {212, 194});
  connect(FadeSeconds, &QSpinBox::valueChanged, this, &TMixingPage::announce);

  auto* note = new QLabel(
      "Songs are measured in the background; one not yet measured plays as loud as others of its "
      "kind. Music > Loop chooses whether songs loop. These settings take effect at once.",
      this);
  note->setWordWrap(true);
  note->setGeometry(12, 220, 314, 48);
  note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

TRenderOptions TMixingPage::options() const {
  TRenderOptions options = m_shown;
  options.StereoSeparation = Separation->value();
  options.VolumeRamping = Ramping->currentIndex() - 1;
  options.Amiga = static_cast<TAmigaResampler>(Amiga->currentIndex());
  options.EvenLoudness = EvenLoudness->isChecked();
  options.SkipSilentEnd = SkipSilentEnd->isChecked();
  options.Loops = Loops->value();
  options.FadeSeconds = FadeSeconds->value();
  return options;
}

void TMixingPage::showOptions(const TRenderOptions& options) {
  m_shown = options;
  Separation->setValue(std::clamp(options.StereoSeparation, 0, 200));
  Ramping->setCurrentIndex(std::clamp(options.VolumeRamping, -1, 10) + 1);
  Amiga->setCurrentIndex(std::clamp(static_cast<int>(options.Amiga), 0, 3));
  EvenLoudness->setChecked(options.EvenLoudness);
  SkipSilentEnd->setChecked(options.SkipSilentEnd);
  Loops->setValue(std::clamp(options.Loops, 1, 9));
  FadeSeconds->setValue(std::clamp(options.FadeSeconds, 1, 60));
}

void TMixingPage::announce() {
  const TRenderOptions now = options();
  if (now == m_announced) return;
  m_announced = now;
  emit optionsChanged(now);
}

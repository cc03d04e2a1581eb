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

  auto checkBox = [this](const char* text, int top) {
    auto* box = new QCheckBox(text, this);
    box->setGeometry(12, top, 314, 22);
    box->setChecked(true);
    connect(box, &QCheckBox::toggled, this, &TMixingPage::announce);
    return box;
  };
  EvenLoudness = checkBox("Even out &loudness", 140);
  SkipSilentEnd = checkBox("S&kip silence at the end", 164);

  auto spinBox = [this](const char* text, const char* name, QRect place, int labelLeft, int most, int value) {
    auto* box = new QSpinBox(this);
    box->setGeometry(place);
    box->setRange(1, most);
    box->setValue(value);
    box->setAccessibleName(name);
    label(this, text, box, {labelLeft, place.top() + 4});
    connect(box, &QSpinBox::valueChanged, this, &TMixingPage::announce);
    return box;
  };
  Loops = spinBox("Loops before a &fade:", "Loops before the fade", {150, 190, 48, 24}, 12, 9, 2);
  FadeSeconds = spinBox("Fa&de:", "Seconds of the fade", {254, 190, 72, 24}, 212, 60, 10);
  FadeSeconds->setSuffix(" s");

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

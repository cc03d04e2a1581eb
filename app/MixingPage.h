#pragma once

#include "music/RenderOptions.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

// Setup's "Mixing" page: stereo separation (0 to 200 %), volume ramping (the library's default,
// off, or 1 to 10), the Amiga resampler (automatic, A500, A1200, off), evening out loudness,
// skipping silent ends, and the loops before a fade and the fade's length (for Music > Loop).
// Every change is announced at once, so that the playing song follows it. GUI thread only.
class TMixingPage : public QWidget {
  Q_OBJECT

public:
  explicit TMixingPage(QWidget* parent = nullptr);

  // The choices shown, in `options`' terms; what the page does not show (the interpolation, the
  // loop mode) as last shown.
  TRenderOptions options() const;
  // Shows `options`, each brought into its range; announces them when they differ.
  void showOptions(const TRenderOptions& options);

  QSlider* Separation;
  QLabel* SeparationValue;
  QComboBox* Ramping;
  QComboBox* Amiga;
  QCheckBox* EvenLoudness;
  QCheckBox* SkipSilentEnd;
  QSpinBox* Loops;
  QSpinBox* FadeSeconds;

signals:
  void optionsChanged(const TRenderOptions& options);

private:
  void announce();

  TRenderOptions m_shown;
  TRenderOptions m_announced;
};

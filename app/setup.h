#pragma once

#include <QDialog>

#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QSlider;
class QTabWidget;
class TGfxBtn;
class TGamePage;
class TMixingPage;
class TSettings;

// The setup dialog over the run's settings: it shows them when made (and the welcome message on
// a first start), hands its edits to them when it closes, reads the stored choices again when
// cancelled (Cancel or Escape), and writes the file on OK and at the end of the program. The
// Mixing choices reach the settings at once, so that the playing song follows them. GUI thread
// only.
class TfrmSetup : public QDialog {
  Q_OBJECT

public:
  // Shows `settings`, and the welcome message on a first start. `mainWindow` is the window to
  // centre on.
  TfrmSetup(QWidget* mainWindow, TSettings& settings);

  // Shows every setting the dialog offers in its controls.
  void LoadSettings();
  // Hands the controls to the settings and writes them in one replacement of the file; throws
  // std::runtime_error "Unable to write to ..." when it cannot be written, leaving it as it was.
  void SaveSettings();
  // The end of the program: saves once more.
  void FormDestroy() { SaveSettings(); }

  // The user moved the slider: its rate is the one stored from now on.
  void TrackBarChange();
  void btnOkClick();
  void btnCancelClick();

  // The player name as it is stored: the field's text, or the bytes read from the file while
  // the field shows them unchanged.
  std::string PlayerName() const;

  // The OUTPUTMODE of the selected mode item, or 0 when none is selected.
  int32_t selectedOutputMode() const;

  QTabWidget* Notebook;
  QLineEdit* ePlayername;
  QCheckBox* cbFullscreen;
  QGroupBox* rgModes;
  QButtonGroup* rgModesItems;
  QSlider* TrackBar;
  QLineEdit* eMixFreq;
  QCheckBox* cbHighQuality;
  TMixingPage* Mixing;
  TGamePage* Game;
  TGfxBtn* btnOk;
  TGfxBtn* btnCancel;

protected:
  void showEvent(QShowEvent* event) override;
  // Closed other than by Cancel (OK, the close box): the edits are the run's settings.
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  QWidget* buildGeneralPage();
  QWidget* buildSoundPage();
  void selectOutputMode(int32_t mode);
  // Hands what the controls show to the settings.
  void applyControls();

  QWidget* m_mainWindow;
  TSettings& m_settings;
  int32_t m_mixRate = 44100; // Hz, as stored or as the slider last set it
};

extern TfrmSetup* frmSetup;

// The welcome message of a first start, line breaks as "\n".
extern const char* const kWelcomeMessage;

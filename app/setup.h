#pragma once

#include "music/PlayOrder.h"
#include "music/SettingsFile.h"

#include <QDialog>

#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QSlider;
class QTabWidget;
class TGfxBtn;
class TMixingPage;

// The setup dialog, and for the whole run the holder of the current settings: the game reads
// its player name and full-screen box, the playlist dialog its LastDir. It loads the settings
// file when made (showing the welcome message on a first start, and removing the temporary files
// an ended writer left) and when cancelled (Cancel or Escape), and writes it on OK and at the
// end of the program. GUI thread only.
class TfrmSetup : public QDialog {
  Q_OBJECT

public:
  // Loads the settings, and shows the welcome message while FIRSTTIME is true (a first start).
  // `mainWindow` is the window to centre on.
  explicit TfrmSetup(QWidget* mainWindow);

  // Reads every key into the controls.
  void LoadSettings();
  // Writes every key from the controls in one replacement of the file; throws
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

  // The playlist dialog's last folder, at most 80 bytes.
  std::string LastDir;

  // Settings that the main window and the playlist dialog keep current for the whole run: read
  // once when the dialog is made (Cancel does not read them again) and written with every save.
  int32_t Volume = 100; // percent
  TRepeatMode Repeat = TRepeatMode::All;
  bool Shuffle = false;
  std::string MainWindowPlace; // "left,top", or empty
  std::string PlaylistPlace;   // "left,top,width,height", or empty
  std::string PatternPlace;    // "left,top,width,height", or empty
  std::string SongsPlace;      // of the playlist window: "left,top,width,height", or empty
  std::string InfoPlace;       // "left,top,width,height", or empty
  std::string ExportDir;       // the last export's folder, ending in "/"; or empty

  QTabWidget* Notebook;
  QLineEdit* ePlayername;
  QCheckBox* cbFullscreen;
  QGroupBox* rgModes;
  QButtonGroup* rgModesItems;
  QSlider* TrackBar;
  QLineEdit* eMixFreq;
  QCheckBox* cbHighQuality;
  TMixingPage* Mixing;
  TGfxBtn* btnOk;
  TGfxBtn* btnCancel;

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  QWidget* buildGeneralPage();
  QWidget* buildSoundPage();
  void selectOutputMode(int32_t mode);
  void loadRunSettings();

  QWidget* m_mainWindow;
  TSettingsFile m_settings;
  std::string m_storedPlayerName; // as read from the file, in whatever encoding it has
  int32_t m_mixRate = 44100;      // Hz, as stored or as the slider last set it
};

extern TfrmSetup* frmSetup;

// The welcome message of a first start, line breaks as "\n".
extern const char* const kWelcomeMessage;

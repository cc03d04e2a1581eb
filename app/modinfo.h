#pragma once

#include "music/InstrumentPreview.h"
#include "music/midasdll.h"

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class TfrmMain;
class TGfxBtn;

// The module information dialog: the playing module's name, length, patterns, instruments,
// channels and file name, its instrument names, its message, and the details of what it tells
// (format, tracker, artist, date, subsongs, instruments and samples, whole). Not modal: while it
// is open it follows the module that plays. The user may resize it; it comes back with its
// place and size. A double-click or Return on an instrument lets the user hear it, until the
// same again, another one, another module, or the dialog closes. GUI thread only.
class TfrmInfo : public QDialog {
  Q_OBJECT

public:
  // `place` holds where the dialog was and its size ("left,top,width,height"; empty: centred on
  // the main window at its first size); the dialog reads it when shown and writes it when hidden.
  TfrmInfo(TfrmMain* mainWindow, std::string& place);

  // The dialog's copy of the facts of the module shown.
  ::ModuleInfo Info{};

  QTabWidget* Notebook;
  QLineEdit* eName;
  QPlainTextEdit* mModInfo;
  QPlainTextEdit* mInst;
  QPlainTextEdit* mMessage;
  QPlainTextEdit* mDetails;
  TGfxBtn* btnOk;

  void btnOkClick() { accept(); }
  // Sounds the instrument of line `line` of the Instruments page, or silences it.
  void HearInstrument(int32_t line);
  TInstrumentPreview Preview;

  // The part of `path` after its last "/", "\" or ":" (all of it without one).
  static std::string FileNamePart(const std::string& path);
  // The five lines of the General page, values lined up behind 12-character labels.
  static std::vector<std::string> InfoLines(const ::ModuleInfo& info, const std::string& fileName);
  // The lines of the Details page: title, artist, format, tracker and date behind 12-character
  // labels, then the subsongs with their lengths, the instruments and the samples, numbered.
  static std::vector<std::string> DetailLines(const TModuleDetails& details);

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* buildGeneralPage();
  QPlainTextEdit* memo(QWidget* parent);
  // A page holding one memo named `name`.
  QPlainTextEdit* memoPage(const QString& title, const QString& name);
  void FormShow();
  // Fills the pages with the loaded module's facts.
  void showModule();
  // Shows the module that plays now, when it is another one.
  void followPlayer();

  TfrmMain* m_mainWindow;
  std::string& m_place;
  std::string m_path; // of the module shown
};

extern TfrmInfo* frmInfo;

#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class TGfxBtn;

// The about box: the program's name and version, a short guide to the game's keys and the
// release notes, and a link to the maker's home page. GUI thread only.
class TfrmAbout : public QDialog {
  Q_OBJECT

public:
  explicit TfrmAbout(QWidget* mainWindow);

  QLabel* Image1;
  QLabel* Label1;
  QLabel* lVersion;
  QPlainTextEdit* Memo1;
  QLabel* Label2;
  TGfxBtn* btnOk;

  void Label2Click();
  void btnOkClick() { accept(); }

  // The text of Memo1, line by line.
  static QStringList MemoLines();

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* m_mainWindow;
};

extern TfrmAbout* frmAbout;

#pragma once

#include <QComboBox>
#include <string>

// A drop-down of the machine's drives (mount paths). It reports driveChanged when the user
// picks another drive or the program sets a different one; setting the current one again is
// quiet.
class TDriveComboBox : public QComboBox {
  Q_OBJECT

public:
  explicit TDriveComboBox(QWidget* parent = nullptr);

  // The current drive's mount path, ending in "/"; empty while none is selected.
  std::string Drive() const;
  // Selects `drive` (one of the listed mount paths).
  void setDrive(const std::string& drive);
  // Lists the drives anew, keeping the current one selected when it is still there.
  void refresh();

signals:
  void driveChanged();

private:
  void selectionChanged(int index);

  int m_reported = -1;
};

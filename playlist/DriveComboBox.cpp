#include "playlist/DriveComboBox.h"

#include "platform/filesys.h"

#include <QFile>
#include <QSignalBlocker>

namespace {

QString displayName(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  refresh();
  connect(this, &QComboBox::currentIndexChanged, this, &TDriveComboBox::selectionChanged);
}

std::string TDriveComboBox::Drive() const {
  return currentIndex() < 0 ? std::string() : currentData().toByteArray().toStdString();
}

void TDriveComboBox::setDrive(const std::string& drive) {
  int index = findData(QByteArray::fromStdString(drive));
  if (index >= 0) setCurrentIndex(index);
}

void TDriveComboBox::refresh() {
  std::string current = Drive();
  QSignalBlocker quiet(this);
  clear();
  for (const std::string& drive : Drives()) addItem(displayName(drive), QByteArray::fromStdString(drive));
  m_reported = current.empty() ? -1 : findData(QByteArray::fromStdString(current));
  setCurrentIndex(m_reported);
}

void TDriveComboBox::selectionChanged(int index) {
  if (index == m_reported || index < 0) return;
  m_reported = index;
  emit driveChanged();
}

#pragma once

#include "library/FolderScan.h"

#include <QObject>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// One folder scan on a thread of its own, so that the window goes on while a large folder is
// read. Made, started and cancelled on the GUI thread; its signals arrive there. Deleting it
// cancels the scan and waits for the file being probed.
class TScanJob : public QObject {
  Q_OBJECT

public:
  // Scans `paths` as TFolderScan does, starting at once.
  explicit TScanJob(std::vector<std::string> paths, QObject* parent = nullptr);
  ~TScanJob() override;

  // Ends the scan after the file being probed; finished still comes, with Cancelled set.
  void cancel() { m_cancel = true; }

signals:
  // How many files were looked at so far.
  void progress(qulonglong looked);
  void finished(TFolderScanResult result);

private:
  std::atomic<bool> m_cancel = false;
  std::thread m_thread;
};

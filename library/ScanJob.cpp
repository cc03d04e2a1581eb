#include "library/ScanJob.h"

TScanJob::TScanJob(std::vector<std::string> paths, QObject* parent) : QObject(parent) {
  m_thread = std::thread([this, paths = std::move(paths)] {
    TFolderScanResult result = TFolderScan::scan(paths, m_cancel, [this](std::size_t looked) {
      QMetaObject::invokeMethod(this, [this, looked] { emit progress(looked); }, Qt::QueuedConnection);
    });
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)] { emit finished(result); }, Qt::QueuedConnection);
  });
}

TScanJob::~TScanJob() {
  m_cancel = true;
  m_thread.join();
}

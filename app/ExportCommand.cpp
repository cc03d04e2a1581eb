#include "app/ExportCommand.h"

#include "music/AudioExport.h"

#include <cmath>
#include <csignal>
#include <iterator>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void interrupt(int) { g_interrupted = 1; }

// While it lives, SIGINT, SIGTERM and SIGHUP (the terminal closed) cancel the export, and
// SIGXFSZ is ignored, so that a file grown past the size limit fails to grow and the export
// fails as any failed write does, rather than the program ending with its partial file.
class TSignalsCancel {
public:
  TSignalsCancel() {
    g_interrupted = 0;
    for (std::size_t i = 0; i < std::size(kCancelling); ++i) m_before[i] = std::signal(kCancelling[i], interrupt);
    m_fileSize = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~TSignalsCancel() {
    for (std::size_t i = 0; i < std::size(kCancelling); ++i) std::signal(kCancelling[i], m_before[i]);
    std::signal(SIGXFSZ, m_fileSize);
  }
  TSignalsCancel(const TSignalsCancel&) = delete;
  TSignalsCancel& operator=(const TSignalsCancel&) = delete;

private:
  static constexpr int kCancelling[] = {SIGINT, SIGTERM, SIGHUP};
  void (*m_before[std::size(kCancelling)])(int);
  void (*m_fileSize)(int);
};

} // namespace

int TExportCommand::run(const std::string& module, int32_t subsong, const std::string& output, bool channels,
                        bool force, std::ostream& err, bool showProgress) {
  const std::string written = TAudioExport::firstFile(output, channels);
  switch (TAudioExport::outputOf(module, written)) {
  case TAudioExport::TOutput::IsModule:
    err << "vorka: " << written << " is the module itself; give another name for the audio file.\n";
    return Refused;
  case TAudioExport::TOutput::NotAFile:
    err << "vorka: " << written << " is not a regular file; the export writes only to a file.\n";
    return Refused;
  case TAudioExport::TOutput::Exists:
    if (force) break;
    err << "vorka: " << written << " exists; give --force to replace it.\n";
    return Refused;
  case TAudioExport::TOutput::Free: break;
  }
  TSignalsCancel signalsCancel;
  int shown = -1;
  TExportJob job = TExportJob::withSettings(module, subsong, output);
  job.Stems = channels;
  const TAudioExport::TResult result = TAudioExport::run(job, [&](double share) {
    const int percent = static_cast<int>(std::floor(share * 100));
    if (showProgress && percent != shown) {
      shown = percent;
      err << "\rvorka: exporting " << percent << " %" << std::flush;
    }
    return g_interrupted == 0;
  });
  if (showProgress && result.Status == TAudioExport::TStatus::Written) err << "\rvorka: exporting 100 %";
  if (showProgress && shown >= 0) err << '\n';
  switch (result.Status) {
  case TAudioExport::TStatus::Written: return 0;
  case TAudioExport::TStatus::Cancelled: err << "vorka: the export was cancelled; nothing was written.\n"; return Failed;
  case TAudioExport::TStatus::Failed: err << "vorka: " << result.Error << '\n'; return Failed;
  }
  return Failed;
}

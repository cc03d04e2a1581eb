#include "app/ExportCommand.h"

#include "music/AudioExport.h"

#include <csignal>
#include <cmath>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void interrupt(int) { g_interrupted = 1; }

// Holds SIGINT and SIGTERM to a cancellation while it lives.
class TSignalsCancel {
public:
  TSignalsCancel() {
    g_interrupted = 0;
    m_int = std::signal(SIGINT, interrupt);
    m_term = std::signal(SIGTERM, interrupt);
  }
  ~TSignalsCancel() {
    std::signal(SIGINT, m_int);
    std::signal(SIGTERM, m_term);
  }
  TSignalsCancel(const TSignalsCancel&) = delete;
  TSignalsCancel& operator=(const TSignalsCancel&) = delete;

private:
  void (*m_int)(int);
  void (*m_term)(int);
};

} // namespace

int TExportCommand::run(const std::string& module, int32_t subsong, const std::string& output,
                        std::ostream& err, bool showProgress) {
  TSignalsCancel signalsCancel;
  int shown = -1;
  const TAudioExport::TResult result =
      TAudioExport::run(TExportJob::withSettings(module, subsong, output), [&](double share) {
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
  case TAudioExport::TStatus::Cancelled: err << "vorka: the export was cancelled; nothing was written.\n"; return 1;
  case TAudioExport::TStatus::Failed: err << "vorka: " << result.Error << '\n'; return 1;
  }
  return 1;
}

#include "app/ExportDialog.h"

#include "music/PlayTime.h"
#include "platform/msgbox.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QProgressBar>
#include <QTimer>

#include <cmath>

namespace {

constexpr int kSteps = 1000;
constexpr int kFollowMs = 50;
// The time left is told once the export has run this long and done this share: an estimate
// from less would jump about.
constexpr double kEstimateAfterSeconds = 0.5;
constexpr double kEstimateAfterShare = 0.01;

QString fromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

QString nameOf(const std::string& path) { return fromBytes(path).section('/', -1); }

constexpr const char* kTitle = "Export to audio file";
constexpr const char* kFlacFilter = "FLAC audio (*.flac)";
constexpr const char* kWavFilter = "WAV audio (*.wav)";
// The same types, one file for each of the module's channels.
constexpr const char* kFlacStemsFilter = "FLAC audio, one file per channel (*.flac)";
constexpr const char* kWavStemsFilter = "WAV audio, one file per channel (*.wav)";

// Where the save dialog starts: `lastFolder`, or else the user's music folder, or home, with the
// module's name.
QString suggestedPath(const std::string& module, int32_t subsong, const std::string& lastFolder) {
  QString folder = fromBytes(lastFolder);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QString name = nameOf(module);
  if (name.contains('.')) name = name.section('.', 0, -2);
  if (subsong > 0) name += QString(" (%1)").arg(subsong + 1);
  return folder + '/' + name + ".flac";
}

} // namespace

TExportDialog::TExportDialog(QWidget* parent, TExportJob job)
    : QProgressDialog(parent), m_job(std::move(job)), m_timer(new QTimer(this)) {
  setWindowTitle(kTitle);
  m_saving = QString("Saving %1 as %2...").arg(nameOf(m_job.Module), nameOf(m_job.Output));
  setLabelText(m_saving);
  auto* bar = new QProgressBar(this);
  bar->setAccessibleName("Share saved");
  setBar(bar);
  setRange(0, kSteps);
  setMinimumDuration(0);
  setAutoClose(false);
  setAutoReset(false);
  setWindowModality(Qt::ApplicationModal);
  connect(this, &QProgressDialog::canceled, this, [this] { m_cancel = true; });
  m_timer->setInterval(kFollowMs);
  connect(m_timer, &QTimer::timeout, this, &TExportDialog::follow);
}

TExportDialog::~TExportDialog() {
  m_cancel = true;
  if (m_worker.joinable()) m_worker.join();
}

TAudioExport::TResult TExportDialog::run() {
  m_worker = std::thread([this] {
    m_result = TAudioExport::run(m_job, [this](double share) {
      m_share = share;
      return !m_cancel;
    });
    m_done = true;
  });
  m_started = std::chrono::steady_clock::now();
  m_timer->start();
  exec();
  m_timer->stop();
  m_cancel = m_cancel || !m_done;
  m_worker.join();
  return m_result;
}

void TExportDialog::follow() {
  // A pass may end a little before the length the library estimated for it.
  const double share = m_share;
  setValue(m_done ? kSteps : static_cast<int>(share * kSteps));
  if (m_done) return accept();
  // A long render (a long module, the Amiga resampler) says how long it still takes.
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
  if (elapsed < kEstimateAfterSeconds || share < kEstimateAfterShare) return;
  const double left = std::ceil(elapsed * (1 - share) / share);
  setLabelText(m_saving + "\nAbout " + QString::fromStdString(FormatPlayTime(left, false)) + " left");
}

std::optional<TExportDialog::TOutputChoice> TExportDialog::askOutput(QWidget* parent, const std::string& module,
                                                                     int32_t subsong, const std::string& folder) {
  QString start = suggestedPath(module, subsong, folder);
  const QString filters = QStringList{kFlacFilter, kWavFilter, kFlacStemsFilter, kWavStemsFilter}.join(";;");
  while (true) {
    QString filter = kFlacFilter;
    // The dialog would ask about the name as typed; the file written may have the extension
    // added, so the question is asked here, about that file.
    QString chosen = QFileDialog::getSaveFileName(parent, kTitle, start, filters, &filter, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return {};
    const bool wav = filter == kWavFilter || filter == kWavStemsFilter;
    const bool stems = filter == kFlacStemsFilter || filter == kWavStemsFilter;
    if (!TAudioExport::typeOf(QFile::encodeName(chosen).toStdString())) chosen += wav ? ".wav" : ".flac";
    start = chosen;
    const std::string output = QFile::encodeName(chosen).toStdString();
    const std::string written = TAudioExport::firstFile(output, stems);
    const TAudioExport::TOutput what = TAudioExport::outputOf(module, written);
    const QString question = stems ? nameOf(written) + " and the files of the other channels may exist already. Do "
                                                       "you want to replace them?"
                                   : nameOf(written) + " already exists. Do you want to replace it?";
    switch (what) {
    case TAudioExport::TOutput::Free: return TOutputChoice{chosen, stems};
    case TAudioExport::TOutput::Exists:
      if (QMessageBox::question(parent, kTitle, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
          QMessageBox::Yes)
        return TOutputChoice{chosen, stems};
      break;
    case TAudioExport::TOutput::IsModule:
    case TAudioExport::TOutput::NotAFile:
      ShowMessageBox(TAudioExport::refusal(what, nameOf(written).toStdString()), "", TMessageKind::Error);
      break;
    }
  }
}

std::optional<QString> TExportDialog::exportModule(QWidget* parent, const std::string& module, int32_t subsong,
                                                   std::string& folder) {
  const std::optional<TOutputChoice> chosen = askOutput(parent, module, subsong, folder);
  if (!chosen) return {};
  const std::string output = QFile::encodeName(chosen->Path).toStdString();
  folder = output.substr(0, output.rfind('/') + 1);
  TExportJob job = TExportJob::withSettings(module, subsong, output);
  job.Stems = chosen->Stems;
  TExportDialog dialog(parent, job);
  const TAudioExport::TResult result = dialog.run();
  if (result.Status == TAudioExport::TStatus::Failed)
    ShowMessageBox(result.Error, "", TMessageKind::Error);
  if (result.Status != TAudioExport::TStatus::Written) return {};
  return fromBytes(TAudioExport::firstFile(output, chosen->Stems));
}

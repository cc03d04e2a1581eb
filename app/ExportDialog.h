#pragma once

#include "music/AudioExport.h"

#include <QProgressDialog>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

class QTimer;

// Saves a module as an audio file on a thread of its own behind a progress dialog that tells the
// time left once it can estimate it; Cancel stops the export, which then leaves no file. GUI
// thread only.
class TExportDialog : public QProgressDialog {
  Q_OBJECT

public:
  TExportDialog(QWidget* parent, TExportJob job);
  // Cancels an export still running and waits for its thread.
  ~TExportDialog() override;

  // Shows the dialog, modal, until the export has ended; what it came to.
  TAudioExport::TResult run();

  // Where an export goes: the audio file, or with Stems the name the channels' files are named
  // after ("Tune.flac" gives "Tune - 01.flac" ...).
  struct TOutputChoice {
    QString Path;
    bool Stems = false;
    bool operator==(const TOutputChoice&) const = default;
  };

  // Asks where to save subsong `subsong` of `module`, starting in `folder` (the last export's,
  // empty for the music folder), exports it with the sound settings behind the dialog and says
  // in a box why when it fails. `folder` becomes the chosen file's. The file written (the first
  // channel's when each channel has its own); nothing when the user cancelled or it failed.
  static std::optional<QString> exportModule(QWidget* parent, const std::string& module, int32_t subsong,
                                             std::string& folder);
  // The file to save to: FLAC or WAV, the type from the name or else the chosen filter, and
  // one file per channel when a filter of those is chosen. An existing file (for the channels',
  // the first channel's) is replaced only when the user says so, the module itself and what is
  // not a regular file never; each asks for another name. Nothing when the user cancelled.
  static std::optional<TOutputChoice> askOutput(QWidget* parent, const std::string& module, int32_t subsong,
                                                const std::string& folder);

private:
  void follow();

  TExportJob m_job;
  QString m_saving; // what is saved as what
  std::chrono::steady_clock::time_point m_started;
  std::atomic<double> m_share{0};
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_done{false};
  TAudioExport::TResult m_result;
  std::thread m_worker;
  QTimer* m_timer;
};

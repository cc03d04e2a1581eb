#include "app/ExportDialog.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace {

// The dialog follows the export to its end on a bar a screen reader can name, tells the time
// left of a long one, and Cancel stops it with nothing written.
TEST(ExportDialogTest, RunsToTheEndOrIsCancelled) {
  testApp();
  TempDir dir;
  TExportJob job;
  // Minutes of a MOD through the Amiga resampler, which takes seconds to render.
  job.Module = dir.write("long.mod", testmod::writeMod(testmod::simpleSong("Long", 4, 60, 64, {"Lead"})));
  job.Render.Amiga = TAmigaResampler::A500;
  job.Output = dir.file("long.wav");
  {
    TExportDialog dialog(nullptr, job);
    QString told;
    QTimer watch;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    QObject::connect(&watch, &QTimer::timeout, &dialog, [&] {
      if (dialog.labelText().contains(" left")) told = dialog.labelText();
      if (!told.isEmpty() || std::chrono::steady_clock::now() > deadline) dialog.cancel();
    });
    watch.start(20);
    EXPECT_EQ(dialog.run().Status, TAudioExport::TStatus::Cancelled);
    EXPECT_TRUE(told.contains(QRegularExpression("^Saving long.mod as long.wav...\nAbout \\d+:\\d\\d left$")))
        << told.toStdString();
  }
  EXPECT_FALSE(std::filesystem::exists(job.Output));
  job.Module = dir.write("short.xm", testmod::writeXm(testmod::simpleSong("Short", 4, 1, 16, {"Lead"})));
  TExportDialog dialog(nullptr, job);
  EXPECT_EQ(dialog.run().Status, TAudioExport::TStatus::Written);
  EXPECT_EQ(dialog.value(), dialog.maximum());
  EXPECT_EQ(dialog.findChild<QProgressBar*>()->accessibleName(), "Share saved");
  EXPECT_GT(std::filesystem::file_size(job.Output), 44u);
}

// Answers the modal windows that come up, one step each: the file dialog with a name typed or
// Cancel, the question whether to replace with Yes or No.
class TModalAnswers {
public:
  explicit TModalAnswers(std::vector<std::function<bool(QWidget*)>> steps) : m_steps(std::move(steps)) {
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal && m_next < m_steps.size() && m_steps[m_next](modal)) ++m_next;
    });
    m_timer.start();
  }
  std::size_t done() const { return m_next; }

private:
  std::vector<std::function<bool(QWidget*)>> m_steps;
  std::size_t m_next = 0;
  QTimer m_timer;
};

std::function<bool(QWidget*)> typeName(const QString& name, const QString& filter = "FLAC audio (*.flac)") {
  return [name, filter](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    auto* field = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
    if (!field) return false;
    dialog->selectNameFilter(filter);
    field->setText(name);
    static_cast<QDialog*>(dialog)->accept();
    return true;
  };
}

std::function<bool(QWidget*)> answer(QMessageBox::StandardButton button) {
  return [button](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) return false;
    box->button(button)->click();
    return true;
  };
}

// A name typed without its extension asks before the file with the extension is replaced: No
// asks for another name (here the dialog is cancelled) and leaves the file as it was, Yes
// replaces it; the folder chosen is the next export's.
TEST(ExportDialogTest, AsksBeforeReplacingTheFileItWrites) {
  testApp();
  TempDir dir;
  const std::string module = dir.write("tune.xm", testmod::writeXm(testmod::simpleSong("Tune", 4, 1, 16, {"Lead"})));
  const std::string precious = dir.write("precious.flac", "precious");
  std::string folder = dir.path().string() + "/";
  {
    TModalAnswers answers({typeName("precious"), answer(QMessageBox::No), [](QWidget* modal) {
                             if (!qobject_cast<QFileDialog*>(modal)) return false;
                             static_cast<QDialog*>(modal)->reject();
                             return true;
                           }});
    EXPECT_EQ(TExportDialog::askOutput(nullptr, module, 0, folder), std::nullopt);
    EXPECT_EQ(answers.done(), 3u);
  }
  EXPECT_EQ(std::filesystem::file_size(precious), 8u);
  TModalAnswers answers({typeName(QString::fromStdString(dir.file("precious"))), answer(QMessageBox::Yes)});
  folder = "/";
  const std::optional<QString> saved = TExportDialog::exportModule(nullptr, module, 0, folder);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->toStdString(), precious);
  EXPECT_GT(std::filesystem::file_size(precious), 8u);
  EXPECT_EQ(folder, dir.path().string() + "/");

  // "One file per channel": the name typed names the channels' files.
  TModalAnswers stems({typeName(QString::fromStdString(dir.file("Parts")), "WAV audio, one file per channel (*.wav)")});
  const std::optional<QString> first = TExportDialog::exportModule(nullptr, module, 0, folder);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->toStdString(), dir.file("Parts - 01.wav"));
  for (const char* part : {"Parts - 01.wav", "Parts - 02.wav", "Parts - 03.wav", "Parts - 04.wav"})
    EXPECT_TRUE(std::filesystem::exists(dir.file(part))) << part;
  EXPECT_FALSE(std::filesystem::exists(dir.file("Parts.wav")));
}

} // namespace

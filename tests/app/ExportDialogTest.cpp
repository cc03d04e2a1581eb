#include "app/ExportDialog.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The dialog follows the export to its end on a bar a screen reader can name, and Cancel stops
// it with nothing written.
TEST(ExportDialogTest, RunsToTheEndOrIsCancelled) {
  testApp();
  TempDir dir;
  TExportJob job;
  // About five minutes of music, which takes a while even faster than real time.
  job.Module = dir.write("long.it", testmod::writeIt(testmod::simpleSong("Long", 8, 40, 64, {"Lead"})));
  job.Output = dir.file("long.wav");
  {
    TExportDialog dialog(nullptr, job);
    QTimer::singleShot(100, &dialog, [&] { dialog.cancel(); });
    EXPECT_EQ(dialog.run().Status, TAudioExport::TStatus::Cancelled);
  }
  EXPECT_FALSE(std::filesystem::exists(job.Output));
  job.Module = dir.write("short.xm", testmod::writeXm(testmod::simpleSong("Short", 4, 1, 16, {"Lead"})));
  TExportDialog dialog(nullptr, job);
  EXPECT_EQ(dialog.run().Status, TAudioExport::TStatus::Written);
  EXPECT_EQ(dialog.value(), dialog.maximum());
  EXPECT_EQ(dialog.findChild<QProgressBar*>()->accessibleName(), "Share saved");
  EXPECT_GT(std::filesystem::file_size(job.Output), 44u);
}

} // namespace

#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What reading folders for modules found.
struct TFolderScanResult {
  std::vector<std::string> Modules; // in the order found
  std::size_t LeftOut = 0;          // files named as modules that hold none the player reads
  std::size_t Unholdable = 0;       // names the playlist cannot keep (a line break in them)
  std::vector<std::string> Damaged; // one sentence for each archive that could not be read
  bool Cancelled = false;

  // One line for what was left out ("3 files were left out: they hold no module the player
  // can read."), with the first damaged archive's sentence; empty when nothing was.
  std::string summary() const;
};

// Finds the modules that files and folders hold: a folder's with every sub-folder's, in the
// order of the playlist dialog's folder list (sub-folders first, then the module files, each
// by name), going into each folder once however links lead to it. A file is taken by what it
// holds: a file given, or named as a module in a folder, is probed and left out when it holds
// none; other files in folders are passed over. An archive (zip, 7z, lha, gz, mdz...) stands
// for the modules among its entries, as ARCHIVE#ENTRY paths, in its own order. Runs on the calling thread, any thread;
// `cancel` is looked at between files and `progress` told how many files were looked at now
// and then.
class TFolderScan {
public:
  static TFolderScanResult scan(const std::vector<std::string>& paths, const std::atomic<bool>& cancel,
                                const std::function<void(std::size_t)>& progress = {});
};

#pragma once

#include "music/RenderOptions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What an export renders: one pass of one subsong of a module file, as the player would sound it.
struct TExportJob {
  std::string Module;  // path of the module file
  int32_t Subsong = 0; // from 0
  TRenderOptions Render;
  int32_t Rate = 44100; // Hz, 5000 to 192000
  int32_t Channels = 2; // 1 or 2
  std::string Output;   // path of the audio file; its extension names the type

  // The job with the sound settings of the settings file (rate, mono or stereo, and render
  // options).
  static TExportJob withSettings(const std::string& module, int32_t subsong, const std::string& output);
};

// Saves a module as an audio file: WAV or FLAC, 16-bit, through libsndfile. The file is written
// beside its place and renamed over it when whole, so a failed or cancelled export leaves
// nothing behind and an existing file as it was. Any thread; one job per call.
class TAudioExport {
public:
  enum class TType { Wav, Flac };
  enum class TStatus { Written, Cancelled, Failed };
  struct TResult {
    TStatus Status = TStatus::Failed;
    std::string Error; // Failed: a sentence saying why
  };

  // The type an output path's extension names (".wav" or ".flac", any case); nothing otherwise.
  static std::optional<TType> typeOf(const std::string& path);
  // Renders `job`. `progress` gets the share done, 0 to 1, after each piece (about a tenth of a
  // second of sound); when it returns false the export stops as cancelled.
  static TResult run(const TExportJob& job, const std::function<bool(double)>& progress);
};

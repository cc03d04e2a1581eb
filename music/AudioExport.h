#pragma once

#include "music/RenderOptions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class TMidasSong;

// What an export renders: one pass of one subsong of a module file, as the player would sound it
// (its loops and fade too; a song that loops for ever, once).
struct TExportJob {
  std::string Module;  // path of the module file
  int32_t Subsong = 0; // from 0
  TRenderOptions Render;
  int32_t Rate = 44100; // Hz, 5000 to 192000
  int32_t Channels = 2; // 1 or 2
  std::string Output;   // path of the audio file; its extension names the type
  // One file for each of the module's channels instead, named as TAudioExport::stemPath says.
  bool Stems = false;

  // The job with the sound settings of the settings file (rate, mono or stereo, and render
  // options).
  static TExportJob withSettings(const std::string& module, int32_t subsong, const std::string& output);
};

// Saves a module as an audio file: WAV or FLAC, 16-bit, through libsndfile, limited as the player
// mixes it (nothing clips), named by the module's title, artist, message and tracker, its last
// hundredth of a second faded out. The file is written beside its place and renamed over it when
// whole, so a failed or cancelled export leaves nothing behind and an existing file as it was.
// Any thread; one job per call.
class TAudioExport {
public:
  enum class TType { Wav, Flac };
  // What is at an output path now.
  enum class TOutput {
    Free,        // nothing: the export makes the file
    Exists,      // a regular file, which the export would replace
    IsModule,    // the module itself, by device and inode (a link to it too)
    NotAFile,    // a folder, a pipe, a device: never replaced
  };
  enum class TStatus { Written, Cancelled, Failed };
  struct TResult {
    TStatus Status = TStatus::Failed;
    std::string Error; // Failed: a sentence saying why
  };

  // The type an output path's extension names (".wav" or ".flac", any case); nothing otherwise.
  static std::optional<TType> typeOf(const std::string& path);
  // What is at `output` now, for an export of `module`.
  static TOutput outputOf(const std::string& module, const std::string& output);
  // The sentence that refuses to write over `output` (as the user should read its name) because
  // it is the module itself or not a regular file; empty for what may be written.
  static std::string refusal(TOutput what, const std::string& output);
  // The partial files that exports ended by a kill left in `folder` are removed.
  static void removeLeftovers(const std::string& folder);
  // Renders `job`; an output that is the module itself or not a regular file fails, anything
  // else there is replaced. The partial files of killed exports in the output's folder go
  // first. `progress` gets the share done, 0 to 1, after each piece (about a tenth of a second
  // of sound); when it returns false the export stops as cancelled.
  // With Stems, each channel alone goes to its own file, sample-aligned with the others, so that
  // together they sum to the mix; when one fails or is cancelled, those this export made go.
  static TResult run(const TExportJob& job, const std::function<bool(double)>& progress);
  // The file of channel `channel` (from 0) for `output`: "Title - 01.flac" for "Title.flac".
  static std::string stemPath(const std::string& output, int32_t channel);
  // The file an export to `output` writes first: `output` itself, or with `stems` the first
  // channel's; the one to ask about before replacing.
  static std::string firstFile(const std::string& output, bool stems) { return stems ? stemPath(output, 0) : output; }

private:
  // Writes one pass of `song` to `output` through the player's limiter, only channel `solo`
  // heard when it is 0 or more; the limiter then follows `whole`, the same song with every
  // channel heard.
  static TResult write(TMidasSong& song, TMidasSong* whole, const TExportJob& job, TType type,
                       const std::string& output, int32_t solo, const std::function<bool(double)>& progress);
};

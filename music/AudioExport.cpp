#include "music/AudioExport.h"

#include "music/MidasSong.h"
#include "music/ModuleFormats.h"
#include "music/PeakLimiter.h"
#include "music/SampleConversion.h"
#include "music/SettingsFile.h"
#include "platform/filesys.h"
#include "platform/utf8.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// libsndfile's words for a failure, without the full stop it sometimes ends them with.
std::string sndfileError(SNDFILE* file) {
  std::string text = sf_strerror(file);
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  return text;
}

struct CloseSndfile {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

// An export ends with a fade of a hundredth of a second, so that a song that stops on a loud
// sample does not click where the file ends.
constexpr std::size_t kFadesPerSecond = 100;

// Fades the last `fadeFrames` frames of `samples` (interleaved, `channels` a frame) out to
// silence, the very last frame silent.
void fadeOut(std::vector<int16_t>& samples, std::size_t channels, std::size_t fadeFrames) {
  const std::size_t frames = samples.size() / channels;
  const std::size_t first = frames > fadeFrames ? frames - fadeFrames : 0;
  for (std::size_t f = first; f < frames; ++f) {
    const double gain = static_cast<double>(frames - 1 - f) / static_cast<double>(fadeFrames);
    for (std::size_t c = 0; c < channels; ++c) {
      int16_t& sample = samples[f * channels + c];
      sample = static_cast<int16_t>(std::lround(sample * gain));
    }
  }
}

// Names the song in the file: its title (with the subsong's place among several, and the channel
// of a file that holds one alone), artist, message and the tracker that made it, as Vorbis
// comments in FLAC and INFO chunks in WAV.
void tag(SNDFILE* file, const TModuleDetails& details, int32_t subsong, int32_t solo) {
  const auto subsongs = static_cast<int32_t>(details.Subsongs.size());
  std::string title = details.Title.empty() ? std::string() : details.Title + SubsongMark(subsong, subsongs);
  if (!title.empty() && solo >= 0) title += ", channel " + std::to_string(solo + 1);
  const std::pair<int, std::string> tags[] = {{SF_STR_TITLE, title},
                                              {SF_STR_ARTIST, details.Artist},
                                              {SF_STR_COMMENT, details.Message},
                                              {SF_STR_SOFTWARE, details.Tracker}};
  for (const auto& [type, text] : tags)
    if (!text.empty()) sf_set_string(file, type, text.c_str());
}

} // namespace

TExportJob TExportJob::withSettings(const std::string& module, int32_t subsong, const std::string& output) {
  TSettingsFile settingsFile;
  TExportJob job;
  job.Module = module;
  job.Subsong = subsong;
  job.Output = output;
  job.Render = settingsFile.readRenderOptions();
  job.Rate = settingsFile.readInteger(settings::MixRate);
  const int32_t mode = settingsFile.readInteger(settings::OutputMode);
  job.Channels = mode == 5 || mode == 9 ? 1 : 2; // the mono modes
  return job;
}

std::optional<TAudioExport::TType> TAudioExport::typeOf(const std::string& path) {
  const std::string name = AsciiLower(path);
  if (name.ends_with(".wav")) return TType::Wav;
  if (name.ends_with(".flac")) return TType::Flac;
  return {};
}

TAudioExport::TOutput TAudioExport::outputOf(const std::string& module, const std::string& output) {
  struct stat there{}, source{};
  if (stat(output.c_str(), &there) != 0) return TOutput::Free;
  if (!S_ISREG(there.st_mode)) return TOutput::NotAFile;
  if (stat(module.c_str(), &source) == 0 && source.st_dev == there.st_dev && source.st_ino == there.st_ino)
    return TOutput::IsModule;
  return TOutput::Exists;
}

std::string TAudioExport::refusal(TOutput what, const std::string& output) {
  switch (what) {
  case TOutput::IsModule: return output + " is the module itself: choose another name for the audio file.";
  case TOutput::NotAFile: return output + " is not a regular file: an export only writes files.";
  default: return {};
  }
}

void TAudioExport::removeLeftovers(const std::string& folder) { RemoveStaleTempFilesIn(folder, {".wav", ".flac"}); }

std::string TAudioExport::stemPath(const std::string& output, int32_t channel) {
  const std::size_t slash = output.rfind('/');
  const std::size_t dot = output.rfind('.');
  const std::size_t end = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? output.size() : dot;
  const std::string number = (channel < 9 ? "0" : "") + std::to_string(channel + 1);
  return output.substr(0, end) + " - " + number + output.substr(end);
}

TAudioExport::TResult TAudioExport::run(const TExportJob& job, const std::function<bool(double)>& progress) {
  const std::optional<TType> type = typeOf(job.Output);
  if (!type) return {TStatus::Failed, job.Output + " names no audio file type: its name must end in .wav or .flac."};
  // The channels' files are each looked at before they are written.
  if (const std::string refused = job.Stems ? std::string() : refusal(outputOf(job.Module, job.Output), job.Output);
      !refused.empty())
    return {TStatus::Failed, refused};
  const std::size_t slash = job.Output.rfind('/');
  removeLeftovers(slash == std::string::npos ? "." : job.Output.substr(0, slash + 1));
  std::string bytes;
  std::unique_ptr<TMidasSong> song;
  try {
    bytes = TModuleFormats::ReadModuleBytes(job.Module);
    song = std::make_unique<TMidasSong>(bytes);
  } catch (const std::exception& e) {
    return {TStatus::Failed, "Could not read module: " + job.Module + ": " + e.what() + "."};
  }
  const auto subsongs = static_cast<int32_t>(song->details().Subsongs.size());
  if (job.Subsong < 0 || job.Subsong >= subsongs) {
    const std::string count = std::to_string(subsongs) + (subsongs == 1 ? " subsong" : " subsongs");
    return {TStatus::Failed,
            job.Module + " has " + count + ": there is no subsong " + std::to_string(job.Subsong + 1) + "."};
  }
  song->selectSubsong(job.Subsong);
  // A file ends: a song that loops for ever is saved once.
  TRenderOptions render = job.Render;
  if (render.Loop == TLoopMode::Forever) render.Loop = TLoopMode::Once;
  song->setRenderOptions(render);
  if (!job.Stems) return write(*song, nullptr, job, *type, job.Output, -1, progress);

  // One file a channel, each a whole render with every other channel muted, limited as the whole
  // mix rendered beside it is: sample-aligned, so that together they sum to the mix. Those this
  // export made go again when one fails.
  TMidasSong whole(bytes);
  whole.selectSubsong(job.Subsong);
  whole.setRenderOptions(render);
  const auto channels = static_cast<int32_t>(song->info().ChannelCount);
  std::vector<std::string> made;
  auto undo = [&](TResult result) {
    for (const std::string& stem : made) std::remove(stem.c_str());
    return result;
  };
  for (int32_t channel = 0; channel < channels; ++channel) {
    const std::string output = stemPath(job.Output, channel);
    const TOutput there = outputOf(job.Module, output);
    if (const std::string refused = refusal(there, output); !refused.empty()) return undo({TStatus::Failed, refused});
    const TResult result = write(*song, &whole, job, *type, output, channel, [&](double share) {
      return progress((channel + share) / channels);
    });
    if (result.Status != TStatus::Written) return undo(result);
    if (there == TOutput::Free) made.push_back(output);
  }
  return {TStatus::Written, {}};
}

TAudioExport::TResult TAudioExport::write(TMidasSong& song, TMidasSong* whole, const TExportJob& job, TType type,
                                          const std::string& output, int32_t solo,
                                          const std::function<bool(double)>& progress) {
  song.start(false);
  if (whole) whole->start(false);
  const auto moduleChannels = static_cast<int32_t>(song.info().ChannelCount);
  for (int32_t channel = 0; channel < moduleChannels && solo >= 0; ++channel) song.setChannelMute(channel, channel != solo);
  const int channels = job.Channels == 1 ? 1 : 2;
  const double total = std::max(1.0, song.duration() * job.Rate);
  bool cancelled = false;

  TFileWrite written = ReplaceFileWith(output, [&](int fd) -> std::optional<std::string> {
    SF_INFO info{};
    info.samplerate = job.Rate;
    info.channels = channels;
    info.format = (type == TType::Flac ? SF_FORMAT_FLAC : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
    std::unique_ptr<SNDFILE, CloseSndfile> file(sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE));
    if (!file) return sndfileError(nullptr);
    tag(file.get(), song.details(), job.Subsong, solo);
    const std::size_t channelCount = static_cast<std::size_t>(channels);
    const std::size_t fadeFrames = std::max<std::size_t>(1, static_cast<std::size_t>(job.Rate) / kFadesPerSecond);
    // The limiter the player mixes through, its look-ahead taken off the start and given
    // silence at the end, so that the file starts and ends with the song.
    TPeakLimiter limiter(channels, job.Rate);
    std::size_t ahead = limiter.latency();
    // The last frames wait until more follow: the song's very last ones fade out.
    std::vector<int16_t> held;
    auto keep = [&](std::vector<float>& piece, const std::vector<float>& key, std::size_t frames) {
      limiter.process(piece.data(), key.data(), piece.data(), frames);
      const std::size_t skipped = std::min(ahead, frames);
      ahead -= skipped;
      std::transform(piece.begin() + static_cast<std::ptrdiff_t>(skipped * channelCount),
                     piece.begin() + static_cast<std::ptrdiff_t>(frames * channelCount), std::back_inserter(held),
                     SampleToInt16);
    };
    auto put = [&](std::size_t frames) {
      if (sf_writef_short(file.get(), held.data(), static_cast<sf_count_t>(frames)) != static_cast<sf_count_t>(frames))
        return false;
      held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(frames * channelCount));
      return true;
    };
    std::vector<float> piece(static_cast<std::size_t>(job.Rate / 10) * channelCount);
    // A channel alone is limited by the gain the whole mix needs, rendered beside it.
    std::vector<float> mix(whole ? piece.size() : 0);
    const std::vector<float>& key = whole ? mix : piece;
    double done = 0;
    while (std::size_t frames = song.renderPass(job.Rate, channels, piece.data(), piece.size() / channelCount)) {
      if (whole) whole->renderPass(job.Rate, channels, mix.data(), frames);
      keep(piece, key, frames);
      const std::size_t heldFrames = held.size() / channelCount;
      if (heldFrames > fadeFrames && !put(heldFrames - fadeFrames)) return sndfileError(file.get());
      done += static_cast<double>(frames);
      if (!progress(std::min(1.0, done / total))) {
        cancelled = true;
        return "cancelled";
      }
    }
    const std::size_t tail = limiter.latency();
    std::fill(piece.begin(), piece.end(), 0.0f);
    std::fill(mix.begin(), mix.end(), 0.0f);
    keep(piece, key, tail);
    fadeOut(held, channelCount, fadeFrames);
    if (!put(held.size() / channelCount)) return sndfileError(file.get());
    // Closing writes what libsndfile still holds: the FLAC encoder's last frames and the
    // WAV header's sizes.
    if (sf_close(file.release()) != 0) return std::string("the audio file could not be finished");
    return {};
  });
  if (cancelled) return {TStatus::Cancelled, {}};
  if (!written) return {TStatus::Failed, "Could not write audio file: " + output + ": " + written.Error + "."};
  return {TStatus::Written, {}};
}

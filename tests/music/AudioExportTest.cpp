#include "music/AudioExport.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <libopenmpt/libopenmpt.hpp>
#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

// One pass of `data` as libopenmpt renders it on its own with `options`, interleaved.
std::vector<int16_t> renderedByLibopenmpt(const std::string& data, const TRenderOptions& options,
                                          int32_t rate) {
  openmpt::module module(data.data(), data.size(), std::clog, {{"play.at_end", "stop"}});
  module.select_subsong(0);
  module.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, options.InterpolationTaps);
  module.set_render_param(openmpt::module::RENDER_STEREOSEPARATION_PERCENT, options.StereoSeparation);
  module.set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, options.VolumeRamping);
  module.ctl_set_boolean("render.resampler.emulate_amiga", true);
  module.ctl_set_text("render.resampler.emulate_amiga_type", "a500");
  std::vector<int16_t> pcm, chunk(2 * 1000);
  while (std::size_t frames = module.read_interleaved_stereo(rate, 1000, chunk.data()))
    pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + 2 * frames);
  return pcm;
}

// The samples of the audio file at `path`, read back through libsndfile.
std::vector<int16_t> readBack(const std::string& path, SF_INFO& info) {
  info = {};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<int16_t> pcm(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_short(file, pcm.data(), info.frames);
  sf_close(file);
  return pcm;
}

// A MOD rendered with settings far from the defaults (the Amiga 500 resampler, narrow stereo,
// strong ramping, 22050 Hz) comes out as WAV and as FLAC with libopenmpt's own rendering at those
// settings, sample for sample, with the progress reaching 1.
TEST(AudioExportTest, WavAndFlacHoldWhatLibopenmptRenders) {
  TempDir dir;
  testmod::Module m = testmod::simpleSong("Exported", 4, 2, 16, {"Lead", "Bass"});
  const std::string data = testmod::writeMod(m);
  TExportJob job;
  job.Module = dir.write("exported.mod", data);
  job.Render = {4, 30, 8, TAmigaResampler::A500};
  job.Rate = 22050;
  const std::vector<int16_t> expected = renderedByLibopenmpt(data, job.Render, job.Rate);
  ASSERT_GT(expected.size(), 22050u);
  for (const char* name : {"out.wav", "OUT.FLAC"}) {
    job.Output = dir.file(name);
    double last = 0;
    int calls = 0;
    TAudioExport::TResult result = TAudioExport::run(job, [&](double share) {
      EXPECT_GE(share, last);
      last = share;
      ++calls;
      return true;
    });
    ASSERT_EQ(result.Status, TAudioExport::TStatus::Written) << result.Error;
    EXPECT_GT(calls, 10);
    EXPECT_NEAR(last, 1.0, 0.01);
    SF_INFO info;
    const std::vector<int16_t> heard = readBack(job.Output, info);
    EXPECT_EQ(info.samplerate, 22050);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, name[4] == 'w' ? SF_FORMAT_WAV : SF_FORMAT_FLAC);
    ASSERT_EQ(heard.size(), expected.size()) << name;
    std::size_t differs = 0;
    // libopenmpt dithers its 16-bit output, so two renderings differ by a step or two at most.
    while (differs < heard.size() && std::abs(heard[differs] - expected[differs]) <= 2) ++differs;
    EXPECT_EQ(differs, heard.size()) << name << " differs from sample " << differs;
  }
}

// A cancelled export leaves no file (and an existing one as it was), nor a temporary one; a
// name without an audio type, a file that is no module and a folder that does not exist fail
// with a sentence saying why.
TEST(AudioExportTest, CancelledOrFailedExportsLeaveNothing) {
  TempDir dir;
  TExportJob job;
  job.Module = dir.write("song.xm", testmod::writeXm(testmod::simpleSong("Song", 4, 2, 64, {"Lead"})));
  auto cancelAfter = [](int pieces) {
    return [pieces](double) mutable { return --pieces > 0; };
  };
  job.Output = dir.file("new.flac");
  EXPECT_EQ(TAudioExport::run(job, cancelAfter(3)).Status, TAudioExport::TStatus::Cancelled);
  job.Output = dir.write("kept.wav", "old bytes");
  EXPECT_EQ(TAudioExport::run(job, cancelAfter(1)).Status, TAudioExport::TStatus::Cancelled);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"kept.wav", "song.xm"}));
  std::ifstream kept(job.Output);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old bytes");

  auto failure = [&](const std::string& module, const std::string& output) {
    job.Module = module;
    job.Output = output;
    TAudioExport::TResult result = TAudioExport::run(job, [](double) { return true; });
    EXPECT_EQ(result.Status, TAudioExport::TStatus::Failed);
    return result.Error;
  };
  const std::string song = dir.file("song.xm");
  EXPECT_EQ(failure(song, dir.file("song.mp3")),
            dir.file("song.mp3") + " names no audio file type: its name must end in .wav or .flac.");
  EXPECT_EQ(failure(dir.write("text.it", "no module"), dir.file("x.wav")),
            "Could not read module: " + dir.file("text.it") + ": the file is not a module.");
  EXPECT_EQ(failure(song, dir.file("gone/x.flac")),
            "Could not write audio file: " + dir.file("gone/x.flac") + ": No such file or directory.");
}

} // namespace

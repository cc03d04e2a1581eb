#include "music/AudioExport.h"
#include "music/MidasSong.h"
#include "music/PeakLimiter.h"
#include "music/SampleConversion.h"

#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <libopenmpt/libopenmpt.hpp>
#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

// One pass of subsong `subsong` of `data` as libopenmpt renders it on its own with `options`,
// interleaved.
std::vector<int16_t> renderedByLibopenmpt(const std::string& data, const TRenderOptions& options,
                                          int32_t rate, int32_t subsong = 0) {
  openmpt::module module(data.data(), data.size(), std::clog, {{"play.at_end", "stop"}});
  module.select_subsong(subsong);
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

// How many samples from the start two renderings agree on (libopenmpt dithers its 16-bit
// output where the export rounds its floats, so they may differ by a step).
std::size_t sameSamples(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  std::size_t same = 0;
  while (same < a.size() && same < b.size() && std::abs(a[same] - b[same]) <= 1) ++same;
  return same;
}

// Whether `exported` (stereo at `rate` Hz) is `rendered` up to its last hundredth of a second,
// which fades out to a silent last frame.
::testing::AssertionResult isRenderingFadedOut(const std::vector<int16_t>& exported,
                                               const std::vector<int16_t>& rendered, int32_t rate) {
  if (exported.size() != rendered.size())
    return ::testing::AssertionFailure() << exported.size() << " samples, not " << rendered.size();
  const std::size_t fadeStart = exported.size() - 2 * static_cast<std::size_t>(rate / 100);
  if (std::size_t same = sameSamples(exported, rendered); same < fadeStart)
    return ::testing::AssertionFailure() << "differs at sample " << same << " of " << exported.size();
  for (std::size_t i = fadeStart; i < exported.size(); ++i)
    if (std::abs(exported[i]) > std::abs(rendered[i]) + 1)
      return ::testing::AssertionFailure() << "louder than the rendering in the fade, at sample " << i;
  if (exported.back() != 0 || exported[exported.size() - 2] != 0)
    return ::testing::AssertionFailure() << "the last frame is not silent";
  return ::testing::AssertionSuccess();
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
    EXPECT_TRUE(isRenderingFadedOut(heard, expected, job.Rate)) << name;
    SNDFILE* file = sf_open(job.Output.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(sf_get_string(file, SF_STR_TITLE), "Exported") << name;
    const std::string tracker = TMidasSong(data).details().Tracker;
    ASSERT_FALSE(tracker.empty());
    // libsndfile adds its own name to the software's.
    EXPECT_TRUE(std::string(sf_get_string(file, SF_STR_SOFTWARE)).starts_with(tracker)) << name;
    EXPECT_EQ(sf_get_string(file, SF_STR_ARTIST), nullptr) << name;
    sf_close(file);
  }
}

// Subsongs whose last pattern jumps back into the orders of an earlier subsong (as many MODs
// with several tunes do) end where libopenmpt alone ends them: exported, looped (every pass
// starts the subsong over) and after a seek, in every format.
TEST(AudioExportTest, EverySubsongEndsWhereLibopenmptEndsIt) {
  TempDir dir;
  // Orders 0 1 | 2 3 | 4 | 5: the first two subsongs loop on themselves, the third jumps into
  // the first and the fourth into the second.
  testmod::Module m = testmod::simpleSong("Tunes", 4, 6, 8, {"Lead"}, 3, 150);
  const int jumps[] = {-1, 0, -1, 2, 0, 2};
  for (int pattern = 0; pattern < 6; ++pattern)
    if (jumps[pattern] >= 0) m.patterns[pattern].notes.push_back({7, 1, 0, 0, testmod::kEffectJump, jumps[pattern]});
  m.message = "Four tunes\nin one file";
  // Under full scale, where the player's limiter leaves the sound as libopenmpt renders it.
  m.samples[0].volume = 32;
  const std::pair<const char*, std::string> modules[] = {
      {"mod", testmod::writeMod(m)}, {"s3m", testmod::writeS3m(m)}, {"xm", testmod::writeXm(m)}, {"it", testmod::writeIt(m)}};
  constexpr int32_t kRate = 22050;
  for (const auto& [extension, data] : modules) {
    TExportJob job;
    job.Module = dir.write(std::string("tunes.") + extension, data);
    job.Rate = kRate;
    job.Render.Amiga = TAmigaResampler::A500;
    job.Output = dir.file("tune.wav");
    TMidasSong song(data);
    song.setRenderOptions(job.Render);
    ASSERT_EQ(song.details().Subsongs.size(), 4u) << extension;
    for (int32_t subsong = 0; subsong < 4; ++subsong) {
      SCOPED_TRACE(std::string(extension) + " subsong " + std::to_string(subsong + 1));
      const std::vector<int16_t> alone = renderedByLibopenmpt(data, job.Render, kRate, subsong);
      ASSERT_NEAR(alone.size() / 2.0 / kRate, song.details().Subsongs[subsong].Seconds, 0.01);
      job.Subsong = subsong;
      ASSERT_EQ(TAudioExport::run(job, [](double) { return true; }).Status, TAudioExport::TStatus::Written);
      SF_INFO info;
      const std::vector<int16_t> exported = readBack(job.Output, info);
      EXPECT_TRUE(isRenderingFadedOut(exported, alone, kRate));
      // The file names the subsong among the four, and carries the message of a module that has one.
      SNDFILE* file = sf_open(job.Output.c_str(), SFM_READ, &info);
      ASSERT_NE(file, nullptr);
      EXPECT_EQ(sf_get_string(file, SF_STR_TITLE), "Tunes (" + std::to_string(subsong + 1) + "/4)");
      const char* comment = sf_get_string(file, SF_STR_COMMENT);
      EXPECT_EQ(comment ? std::string(comment) : std::string(), song.details().Message);
      sf_close(file);

      song.selectSubsong(subsong);
      song.start(true);
      std::vector<float> looped(2 * alone.size());
      song.render(kRate, 2, looped.data(), looped.size() / 2);
      std::vector<int16_t> second(alone.size());
      std::transform(looped.begin() + alone.size(), looped.end(), second.begin(), SampleToInt16);
      EXPECT_EQ(sameSamples(second, alone), alone.size());

      const double half = song.duration() / 2;
      song.start(false);
      song.seek(half, kRate, 2);
      std::vector<float> piece(2 * 1000);
      std::size_t rest = 0;
      while (std::size_t frames = song.renderPass(kRate, 2, piece.data(), 1000)) rest += frames;
      EXPECT_NEAR(static_cast<double>(rest) / kRate, song.duration() - half, 0.01);
    }
  }
}

// A song that libopenmpt renders over full scale is limited, not clipped. "One file per channel":
// each channel alone in its own file, named "Title - 01.flac" ..., the channel named in its
// title; limited as the whole mix is, so that summed they are the mix within a step of 16 bits
// (-90 dBFS). A cancelled one takes away the files it made.
TEST(AudioExportTest, LoudSongsAreLimitedAndStemsSumToTheMix) {
  TempDir dir;
  testmod::Module m = testmod::simpleSong("Stems", 4, 2, 32, {"Lead", "Bass", "Pad", "Hat"});
  // Full squares a semitone apart, struck together: over full scale where they meet.
  for (auto& sample : m.samples) sample.data = testmod::squareWave(32, 64, 127);
  for (auto& pattern : m.patterns)
    for (auto& note : pattern.notes) note.note = 49 + note.channel;
  for (int channel = 0; channel < 4; ++channel) m.patterns[1].notes.push_back({8, channel, 49 + channel, channel + 1});
  const std::string data = testmod::writeMod(m);
  const std::vector<int16_t> rendered = renderedByLibopenmpt(data, {}, 44100);
  ASSERT_EQ(*std::max_element(rendered.begin(), rendered.end()), 32767) << "the song does not clip";
  TExportJob job;
  job.Module = dir.write("stems.mod", data);
  job.Output = dir.file("mix.flac");
  ASSERT_EQ(TAudioExport::run(job, [](double) { return true; }).Status, TAudioExport::TStatus::Written);
  SF_INFO info;
  const std::vector<int16_t> mix = readBack(job.Output, info);
  ASSERT_EQ(mix.size(), rendered.size());
  const auto ceiling = static_cast<int16_t>(TPeakLimiter::kCeiling * 32768 + 1);
  EXPECT_LE(*std::max_element(mix.begin(), mix.end()), ceiling);
  EXPECT_GE(*std::min_element(mix.begin(), mix.end()), -ceiling);
  job.Output = dir.file("Stems.flac");
  job.Stems = true;
  double last = 0;
  ASSERT_EQ(TAudioExport::run(job, [&](double share) { return (last = share) <= 1; }).Status,
            TAudioExport::TStatus::Written);
  EXPECT_NEAR(last, 1.0, 0.01);
  EXPECT_FALSE(std::filesystem::exists(job.Output));
  std::vector<double> sum(mix.size());
  for (int channel = 0; channel < 4; ++channel) {
    const std::string stem = dir.file("Stems - 0" + std::to_string(channel + 1) + ".flac");
    ASSERT_EQ(TAudioExport::stemPath(job.Output, channel), stem);
    const std::vector<int16_t> alone = readBack(stem, info);
    ASSERT_EQ(alone.size(), mix.size()) << stem;
    double energy = 0;
    for (std::size_t i = 0; i < alone.size(); ++i) {
      sum[i] += alone[i];
      energy += static_cast<double>(alone[i]) * alone[i];
    }
    EXPECT_GT(energy / alone.size(), 1e4) << stem << " is silent";
    SNDFILE* file = sf_open(stem.c_str(), SFM_READ, &info);
    EXPECT_EQ(sf_get_string(file, SF_STR_TITLE), "Stems, channel " + std::to_string(channel + 1));
    sf_close(file);
  }
  double error = 0;
  for (std::size_t i = 0; i < mix.size(); ++i) error += (sum[i] - mix[i]) * (sum[i] - mix[i]);
  EXPECT_LE(20 * std::log10(std::sqrt(error / mix.size()) / 32768), -90.0);

  job.Output = dir.file("Gone.wav");
  EXPECT_EQ(TAudioExport::run(job, [](double share) { return share < 0.6; }).Status, TAudioExport::TStatus::Cancelled);
  for (int channel = 0; channel < 4; ++channel) EXPECT_FALSE(std::filesystem::exists(TAudioExport::stemPath(job.Output, channel)));
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

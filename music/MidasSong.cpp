#include "music/MidasSong.h"

#include "music/ModuleFormats.h"
#include "platform/utf8.h"
#include "platform/vectorstate.h"

#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_ext.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <streambuf>

namespace {

// Two places of a song whose times differ by less than this are the same row.
constexpr double kSameTime = 1e-3;

// A stream that swallows libopenmpt's log lines; failures are reported through errors.
class NullBuffer : public std::streambuf {
protected:
  int overflow(int c) override { return c; }
};

std::ostream& silentLog() {
  static NullBuffer buffer;
  static std::ostream stream(&buffer);
  return stream;
}

void copyName(const std::string& name, char* out, std::size_t size) {
  std::string cut = Utf8Prefix(name, size - 1);
  std::memset(out, 0, size);
  std::memcpy(out, cut.data(), cut.size());
}

} // namespace

std::unique_ptr<TMidasSong> TMidasSong::fromFile(const std::string& path) {
  return std::make_unique<TMidasSong>(TModuleFormats::ReadModuleBytes(path));
}

TMidasSong::TMidasSong(const std::string& data) {
  try {
    // A seek (in time or by position) brings the notes that sound there along, rather than
    // leaving every channel silent until its next note.
    m_module = std::make_unique<openmpt::module_ext>(
        data.data(), data.size(), silentLog(),
        std::map<std::string, std::string>{{"play.at_end", "continue"}, {"seek.sync_samples", "1"}});
  } catch (const openmpt::exception&) {
    throw std::runtime_error("the file is not a module");
  }
  m_interactive = static_cast<openmpt::ext::interactive*>(
      m_module->get_interface(openmpt::ext::interactive_id));
  readFacts();
}

TMidasSong::~TMidasSong() = default;

void TMidasSong::readFacts() {
  copyName(m_module->get_metadata("title"), m_info.SongName, sizeof m_info.SongName);
  m_info.SongLength = static_cast<uint32_t>(m_module->get_num_orders());
  m_info.PatternCount = static_cast<uint32_t>(m_module->get_num_patterns());
  m_info.ChannelCount = static_cast<uint32_t>(m_module->get_num_channels());
  if (m_module->get_num_instruments() > 0)
    m_instrumentNames = m_module->get_instrument_names();
  else
    m_instrumentNames = m_module->get_sample_names();
  m_info.InstrumentCount = static_cast<uint32_t>(m_instrumentNames.size());
  readDetails();
  // Which subsong plays by default is the library's choice; the first one is ours.
  selectSubsong(0);
}

void TMidasSong::readDetails() {
  m_details.Title = m_module->get_metadata("title");
  m_details.Artist = m_module->get_metadata("artist");
  m_details.Format = m_module->get_metadata("type_long");
  m_format = m_module->get_metadata("type");
  m_details.Tracker = m_module->get_metadata("tracker");
  m_details.Date = m_module->get_metadata("date");
  m_details.Message = m_module->get_metadata("message");
  m_details.Instruments = m_module->get_instrument_names();
  m_details.Samples = m_module->get_sample_names();
  const std::vector<std::string> names = m_module->get_subsong_names();
  for (int32_t i = 0; i < m_module->get_num_subsongs(); ++i) {
    m_module->select_subsong(i);
    m_details.Subsongs.push_back(
        {i < static_cast<int32_t>(names.size()) ? names[i] : std::string(),
         std::max(0.0, m_module->get_duration_seconds())});
    m_loopStarts.push_back(findLoopStart(m_details.Subsongs.back().Seconds));
  }
  if (m_details.Subsongs.empty()) m_details.Subsongs.push_back({{}, 0.0});
}

std::optional<double> TMidasSong::findLoopStart(double duration) {
  // Played through its last seconds, the subsong goes on where the library continues it: the
  // row it starts there is the loop point, whose time the library knows. It loops only when its
  // last rows jump back (a position jump, B in every tracker); one that runs off the end of its
  // orders has no loop.
  constexpr double kLastSeconds = 3.0;
  constexpr int32_t kProbeRate = 8000;
  constexpr std::size_t kPiece = 128;
  m_module->set_position_seconds(std::max(0.0, duration - kLastSeconds));
  std::vector<float> unheard(2 * kPiece);
  bool jumps = false;
  const auto pieces = static_cast<int>((kLastSeconds + 1) * kProbeRate / kPiece);
  for (int i = 0; i < pieces; ++i) {
    const int32_t pattern = m_module->get_current_pattern();
    const int32_t row = m_module->get_current_row();
    if (m_module->read_interleaved_stereo(kProbeRate, kPiece, unheard.data()) == 0) break;
    for (int32_t channel = 0; channel < static_cast<int32_t>(m_info.ChannelCount) && !jumps; ++channel)
      jumps = m_module->format_pattern_row_channel_command(pattern, row, channel, openmpt::module::command_effect) == "B";
  }
  const int32_t order = m_module->get_current_order();
  const int32_t row = m_module->get_current_row();
  if (!jumps || order < 0) return std::nullopt;
  const double start = m_module->set_position_order_row(order, std::max(0, row)) * m_tempo;
  positioned();
  return std::clamp(start, 0.0, duration);
}

void TMidasSong::selectSubsong(int32_t subsong) {
  if (subsong < 0 || subsong >= static_cast<int32_t>(m_details.Subsongs.size()))
    throw std::out_of_range("no subsong " + std::to_string(subsong));
  m_subsong = subsong;
  rewind();
  m_fullDuration = std::max(0.0, m_module->get_duration_seconds());
  applyOptions();
  m_ended = false;
  jumped();
}

void TMidasSong::rewind() {
  m_elapsedOffset = 0;
  // Selecting the subsong again puts it at its start and lets the library see where it ends;
  // a seek to 0 s would forget the rows of the other subsongs, so a subsong that ends by
  // jumping into another one's orders would play on into that one.
  if (m_module->get_num_subsongs() > 0)
    m_module->select_subsong(m_subsong);
  else
    m_module->set_position_order_row(0, 0);
  positioned();
}

void TMidasSong::positioned() {
  m_clockBase = m_module->get_position_seconds();
  m_timeBase = m_clockBase * m_tempo;
  if (!m_interactive) return;
  const auto channels = static_cast<int32_t>(m_info.ChannelCount);
  m_ownVolumes.resize(static_cast<std::size_t>(channels));
  for (int32_t channel = 1; channel < channels; ++channel) {
    m_ownVolumes[channel] = m_interactive->get_channel_volume(channel);
    if (m_backing != 1) m_interactive->set_channel_volume(channel, m_ownVolumes[channel] * m_backing);
  }
}

void TMidasSong::setTempo(double factor) {
  factor = std::clamp(factor, 0.25, 4.0);
  if (factor == m_tempo || !m_interactive) return;
  const double clock = m_module->get_position_seconds();
  m_timeBase += (clock - m_clockBase) * m_tempo;
  m_clockBase = clock;
  m_tempo = factor;
  m_interactive->set_tempo_factor(factor);
}

void TMidasSong::setBacking(double volume) {
  volume = std::clamp(volume, 0.0, 1.0);
  if (volume == m_backing || !m_interactive) return;
  m_backing = volume;
  for (int32_t channel = 1; channel < static_cast<int32_t>(m_ownVolumes.size()); ++channel)
    m_interactive->set_channel_volume(channel, m_ownVolumes[channel] * volume);
}

void TMidasSong::setRenderOptions(const TRenderOptions& options) {
  // Turning the Amiga resampler on builds its tables, which takes a few milliseconds.
  if (m_render == options) return;
  const bool levelling = !m_render || m_render->EvenLoudness != options.EvenLoudness ||
                         m_render->SkipSilentEnd != options.SkipSilentEnd || m_render->Loop != options.Loop ||
                         m_render->Loops != options.Loops || m_render->FadeSeconds != options.FadeSeconds;
  m_render = options;
  if (levelling) applyOptions();
  ClearUpperVectorState();
  using openmpt::module;
  m_module->set_render_param(module::RENDER_INTERPOLATIONFILTER_LENGTH, options.InterpolationTaps);
  m_module->set_render_param(module::RENDER_STEREOSEPARATION_PERCENT,
                             std::clamp(options.StereoSeparation, 0, 200));
  m_module->set_render_param(module::RENDER_VOLUMERAMPING_STRENGTH,
                             std::clamp(options.VolumeRamping, -1, 10));
  m_module->ctl_set_boolean("render.resampler.emulate_amiga", options.Amiga != TAmigaResampler::Off);
  const char* model = options.Amiga == TAmigaResampler::A500    ? "a500"
                      : options.Amiga == TAmigaResampler::A1200 ? "a1200"
                                                                : "auto";
  m_module->ctl_set_text("render.resampler.emulate_amiga_type", model);
}

void TMidasSong::start(bool loop) {
  ++m_starts;
  m_preview = false;
  for (int32_t channel = 0; channel < static_cast<int32_t>(m_info.ChannelCount); ++channel)
    setChannelMute(channel, false);
  rewind();
  m_loop = loop;
  m_ended = false;
  m_loopCount = 0;
  m_playing = true;
  m_paused = false;
  m_waiting = false;
  m_next = nullptr;
  jumped();
}

void TMidasSong::stop() {
  m_playing = false;
  m_waiting = false;
  m_next = nullptr;
}

void TMidasSong::follow(TMidasSong* next) {
  m_next = next;
  if (!next) return;
  next->m_waiting = !m_ended;
  next->setGain(m_gain);
}

TMidasSong::TPlace TMidasSong::place() const {
  double seconds = elapsed();
  // Looping for ever, the time stays within a pass: from the loop point again at its end.
  if (loopMode() == TLoopMode::Forever && seconds > m_fullDuration) {
    const double length = loopLength();
    seconds = m_fullDuration - length + std::fmod(seconds - (m_fullDuration - length), length);
  }
  TPlace p;
  p.Status.Position = static_cast<uint32_t>(std::max(0, m_module->get_current_order()));
  p.Status.Pattern = static_cast<uint32_t>(std::max(0, m_module->get_current_pattern()));
  p.Status.Row = static_cast<uint32_t>(std::max(0, m_module->get_current_row()));
  p.Status.Speed = static_cast<uint32_t>(std::max(0, m_module->get_current_speed()));
  p.Status.LoopCount = m_loopCount;
  p.Seconds = std::clamp(seconds, 0.0, m_duration);
  return p;
}

TMidasSong::TPlace TMidasSong::placeHeard(uint64_t heard) const {
  const TPlace* p = m_places.at(heard);
  return p ? *p : place();
}

void TMidasSong::jumped() {
  m_places.clear();
  m_places.push(place(), 0);
}

void TMidasSong::noteMixed(uint64_t frame) {
  m_places.push(place(), frame);
  if (m_ended && m_next) m_next->noteMixed(frame);
}

void TMidasSong::seek(double seconds, int32_t rate, int channels) {
  constexpr double kFirstStepBack = 0.25;
  seconds = std::clamp(seconds, 0.0, m_duration);
  m_ended = false;
  // A time in a later pass is the same place in the first pass, some loops on.
  const double length = loopLength();
  const double loops = seconds > m_fullDuration && length > 0 ? std::ceil((seconds - m_fullDuration) / length) : 0;
  m_elapsedOffset = 0;
  seconds -= loops * length;
  // libopenmpt lands on the start of a row, which may lie after the time asked for: it starts
  // far enough before it, and the rest up to the time is played without being heard.
  double at = landAt(seconds);
  for (double back = kFirstStepBack; at > seconds && back < 2 * seconds; back *= 2)
    at = landAt(std::max(0.0, seconds - back));
  m_elapsedOffset = loops * length;
  auto frames = static_cast<std::size_t>(std::llround(std::max(0.0, seconds - at) / m_tempo * rate));
  std::vector<float> unheard(std::min<std::size_t>(frames, 4096) * channels);
  while (frames > 0) {
    std::size_t chunk = std::min(frames, unheard.size() / channels);
    std::size_t got = renderPass(rate, channels, unheard.data(), chunk);
    if (got == 0) break;
    frames -= got;
  }
  jumped();
}

void TMidasSong::goBackTo(uint64_t frame, int32_t rate, int channels) {
  if (m_preview) return;
  const TPlace then = placeHeard(frame);
  m_loopCount = then.Status.LoopCount;
  if (then.Seconds > 0) return seek(then.Seconds, rate, channels);
  // Back to the start: the subsong starts over, as a seek to 0 s would not (see rewind).
  m_ended = false;
  rewind();
  jumped();
}

double TMidasSong::landAt(double seconds) {
  // The library times positions at the tempo set.
  const double clock = seconds / m_tempo;
  double at = m_module->set_position_seconds(clock);
  // A seek in time forgets which rows the other subsongs play, as a seek to the start does;
  // going to the same order and row keeps the subsong's end. A row that a pattern loop plays
  // more than once lies at another time by its order and row: there the seek in time stands.
  const int32_t order = m_module->get_current_order();
  const int32_t row = m_module->get_current_row();
  if (std::abs(m_module->set_position_order_row(order, row) - at) >= kSameTime / m_tempo)
    at = m_module->set_position_seconds(clock);
  positioned();
  return at * m_tempo;
}

void TMidasSong::setGain(int32_t millibel) {
  if (m_next) m_next->setGain(millibel);
  m_gain = millibel;
  const int32_t gain = millibel + m_level;
  if (gain == m_appliedGain) return;
  m_appliedGain = gain;
  m_module->set_render_param(openmpt::module::RENDER_MASTERGAIN_MILLIBEL, gain);
}

void TMidasSong::setLevels(std::vector<TSongLevel> levels) {
  m_levels = std::move(levels);
  applyOptions();
}

void TMidasSong::applyOptions() {
  const TSongLevel* level = m_levels.empty() ? nullptr
                                             : &m_levels[std::min<std::size_t>(static_cast<std::size_t>(m_subsong), m_levels.size() - 1)];
  const bool even = level && (!m_render || m_render->EvenLoudness);
  m_level = even ? TLoudnessScan::gainFor(level->Loudness) : 0;
  m_fadeFrom = 0;
  if (loopMode() == TLoopMode::Fade) {
    // The first pass, the other passes from the loop point, then the fade.
    m_fadeFrom = m_fullDuration + (m_render->Loops - 1) * loopLength();
    m_duration = m_fadeFrom + m_render->FadeSeconds;
  } else {
    const bool skip = level && loopMode() == TLoopMode::Once && (!m_render || m_render->SkipSilentEnd);
    m_duration = skip ? level->skippedEnd(m_fullDuration) : m_fullDuration;
  }
  m_end = m_duration != m_fullDuration ? m_duration : 0;
  setGain(m_gain);
}

TLoopMode TMidasSong::loopMode() const {
  // A song without a loop plays once, whatever the choice.
  const bool loops = m_subsong < static_cast<int32_t>(m_loopStarts.size()) && m_loopStarts[m_subsong];
  return m_render && loops ? m_render->Loop : TLoopMode::Once;
}

double TMidasSong::loopLength() const {
  const double start = m_subsong < static_cast<int32_t>(m_loopStarts.size()) ? m_loopStarts[m_subsong].value_or(0.0) : 0.0;
  return m_fullDuration - start > kSameTime ? m_fullDuration - start : m_fullDuration;
}

double TMidasSong::elapsed() const {
  return m_timeBase + (m_module->get_position_seconds() - m_clockBase) * m_tempo + m_elapsedOffset;
}

void TMidasSong::setPosition(int32_t position) {
  if (static_cast<uint32_t>(position) < m_info.SongLength) {
    m_ended = false;
    m_module->set_position_order_row(position, 0);
    positioned();
    return jumped();
  }
  reachEnd();
  if (m_next)
    m_next->m_waiting = false;
  else if (m_loop)
    rewind();
  jumped();
}

void TMidasSong::reachEnd() {
  ++m_loopCount;
  if (!m_loop || m_next) m_ended = true;
}

void TMidasSong::handOver(int32_t rate, int channels, float* out, std::size_t frames) {
  m_next->m_waiting = false;
  m_next->render(rate, channels, out, frames);
}

std::size_t TMidasSong::renderPass(int32_t rate, int channels, float* out, std::size_t frames) {
  const double at = elapsed();
  if (m_end > 0) {
    // A pass that ends elsewhere than the module (its silent end skipped, or faded after its
    // loops) ends there, within a tick of the library's clock.
    const double left = m_end - at;
    if (left <= 0) return 0;
    frames = std::min<std::size_t>(frames, std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(left / m_tempo * rate))));
  }
  auto read = [&] {
    return channels == 2 ? m_module->read_interleaved_stereo(rate, frames, out) : m_module->read(rate, frames, out);
  };
  std::size_t got = read();
  // At the module's end a looping pass goes on from the module's own loop point, where the
  // library continues: the intro is not played again.
  if (got == 0 && loopMode() != TLoopMode::Once) got = read();
  // The module's time runs on at its tempo, the output's frames at their rate.
  const double perFrame = m_tempo / rate;
  if (m_fadeFrom > 0 && at + static_cast<double>(got) * perFrame > m_fadeFrom) {
    const auto step = static_cast<std::size_t>(channels);
    for (std::size_t f = 0; f < got; ++f) {
      const double left = m_duration - (at + static_cast<double>(f) * perFrame);
      const auto gain = static_cast<float>(std::clamp(left / m_render->FadeSeconds, 0.0, 1.0));
      for (std::size_t c = 0; c < step; ++c) out[f * step + c] *= gain;
    }
  }
  return got;
}

void TMidasSong::render(int32_t rate, int channels, float* out, std::size_t frames) {
  if (m_ended && m_next) return handOver(rate, channels, out, frames);
  std::size_t done = 0;
  bool emptyBefore = false;
  while (done < frames && !m_ended) {
    float* at = out + done * channels;
    std::size_t n = renderPass(rate, channels, at, frames - done);
    if (n > 0) {
      done += n;
      emptyBefore = false;
      continue;
    }
    // A read of nothing is the end of the song; the next read goes on from its loop start.
    // Two in a row mean a song with nothing to play at all.
    if (emptyBefore) break;
    emptyBefore = true;
    reachEnd();
    // The follower's first sample comes right after this song's last.
    if (m_next) return handOver(rate, channels, at, frames - done);
    // A looping song starts over from its very beginning: every pass is the whole song.
    if (m_loop) rewind();
  }
  std::fill(out + done * channels, out + frames * channels, 0.0f);
}

void TMidasSong::startPreview(int32_t instrument, int32_t note) {
  start(true);
  for (int32_t channel = 0; channel < static_cast<int32_t>(m_info.ChannelCount); ++channel)
    setChannelMute(channel, true);
  m_preview = true;
  if (!m_interactive) throw std::out_of_range("the module cannot play single notes");
  try {
    m_interactive->play_note(instrument, note, 1.0, 0.0);
  } catch (const openmpt::exception&) {
    throw std::out_of_range("no instrument " + std::to_string(instrument + 1) + " or note " +
                            std::to_string(note));
  }
}

void TMidasSong::setChannelMute(int32_t channel, bool muted) {
  if (m_interactive && channel >= 0 && channel < static_cast<int32_t>(m_info.ChannelCount))
    m_interactive->set_channel_mute_status(channel, muted);
}

void TMidasSong::fillView(TPlayView& view) const {
  view.Module = m_handle;
  view.Start = m_starts;
  view.Orders = static_cast<int32_t>(m_info.SongLength);
  view.Order = m_module->get_current_order();
  view.Pattern = m_module->get_current_pattern();
  view.Row = m_module->get_current_row();
  view.Speed = m_module->get_current_speed();
  view.Tempo = m_module->get_current_tempo();
  view.Bpm = m_module->get_current_estimated_bpm();
  view.Channels = static_cast<int32_t>(m_info.ChannelCount);
  const int32_t kept = std::min(view.Channels, TPlayView::kMaxChannels);
  for (int32_t channel = 0; channel < kept; ++channel) {
    view.Left[channel] = m_module->get_current_channel_vu_left(channel);
    view.Right[channel] = m_module->get_current_channel_vu_right(channel);
  }
}

TPatternText TMidasSong::patternText(int32_t pattern) const {
  TPatternText text;
  if (pattern < 0 || pattern >= m_module->get_num_patterns()) return text;
  text.Rows = m_module->get_pattern_num_rows(pattern);
  text.Channels = static_cast<int32_t>(m_info.ChannelCount);
  text.Cells.reserve(static_cast<std::size_t>(text.Rows * text.Channels));
  text.Highlights.reserve(text.Cells.capacity());
  for (int32_t row = 0; row < text.Rows; ++row)
    for (int32_t channel = 0; channel < text.Channels; ++channel) {
      text.Cells.push_back(m_module->format_pattern_row_channel(pattern, row, channel));
      text.Highlights.push_back(m_module->highlight_pattern_row_channel(pattern, row, channel));
    }
  return text;
}

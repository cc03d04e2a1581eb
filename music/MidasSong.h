#pragma once

#include "music/FrameRing.h"
#include "music/LoudnessScan.h"
#include "music/ModuleDetails.h"
#include "music/PlayView.h"
#include "music/RenderOptions.h"
#include "music/midasdll.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace openmpt {
class module_ext;
namespace ext {
class interactive;
}
} // namespace openmpt

// One loaded module of the sound library with its playback state. Not thread-safe: the
// library holds its lock around every use, the mixing on SDL's audio thread included.
class TMidasSong {
public:
  // Reads and decodes the module file at `path`. Throws std::runtime_error whose text names
  // the cause ("<path>: No such file or directory", "the file is empty", ...).
  static std::unique_ptr<TMidasSong> fromFile(const std::string& path);
  // Decodes a module held in memory; throws std::runtime_error when it is not one.
  explicit TMidasSong(const std::string& data);
  ~TMidasSong();
  TMidasSong(const TMidasSong&) = delete;
  TMidasSong& operator=(const TMidasSong&) = delete;

  const ModuleInfo& info() const { return m_info; }
  // Instrument names, or sample names for a module without instruments.
  const std::vector<std::string>& instrumentNames() const { return m_instrumentNames; }
  const TModuleDetails& details() const { return m_details; }
  // The format's short name as libopenmpt gives it ("xm"), as the module index keeps it.
  const std::string& format() const { return m_format; }
  // Plays subsong `subsong` (0 to the number of subsongs less one) from now on, from its start;
  // duration() is then its own. Throws std::out_of_range for another number.
  void selectSubsong(int32_t subsong);

  // Starts from the beginning, every channel heard.
  void start(bool loop);
  // Starts as a preview of instrument `instrument` (from 0; samples for a module without
  // instruments) at `note` (0 to 119, 60 = C-5): the song runs on, looping, with every channel
  // silent, and only the note sounds, until the song is stopped. Throws std::out_of_range for
  // an instrument or note the module does not have.
  void startPreview(int32_t instrument, int32_t note);
  bool preview() const { return m_preview; }
  // Channel `channel` (from 0) is silent (true) or heard; channels past the module's are ignored.
  void setChannelMute(int32_t channel, bool muted);
  // Plays at `factor` times the module's tempo (0.25 to 4, brought into that range), the pitch
  // unchanged, from the next render on. The song's times (duration, status, playTime, seek) stay
  // those of the module as written: they run faster while the tempo is up.
  void setTempo(double factor);
  // Every channel but the first plays at `volume` (0 to 1) times its own volume, whatever
  // position the song goes to; 1 plays them as written.
  void setBacking(double volume);
  // The handle the library knows this module by, for the views it publishes.
  void setHandle(uint32_t handle) { m_handle = handle; }
  // The song whose sound render() gives now: this one, or once it has ended the one following.
  const TMidasSong& sounding() const { return m_ended && m_next ? m_next->sounding() : *this; }
  // Fills `view` with where the song is and its channels' loudness after the last render.
  void fillView(TPlayView& view) const;
  // The text of pattern `pattern` (0 to the number of patterns less one; an empty text for
  // another number).
  TPatternText patternText(int32_t pattern) const;
  // Renders from now on as `options` say. Costs a few milliseconds when the Amiga resampler is
  // turned on, nothing when the options are those already set.
  void setRenderOptions(const TRenderOptions& options);
  void stop();
  bool playing() const { return m_playing; }
  // Whether the song starts over from its beginning at its end; otherwise it falls silent there
  // (or hands over to its follower).
  void setLoop(bool loop) { m_loop = loop; }
  // `next` (started, not null) follows this song: it waits, silent, until this song's pass ends
  // and then sounds from the very next sample, rendered through this song, which counts the
  // pass as played and does not loop. A song that has already ended hands over at once.
  // `nullptr` ends the following. The caller keeps `next` alive while it follows.
  void follow(TMidasSong* next);
  bool waiting() const { return m_waiting; }
  // A paused song keeps its place and is not mixed (nor is its follower).
  void setPaused(bool paused) { m_paused = paused; }
  bool paused() const { return m_paused; }
  // Seconds of one pass of the song, as it plays: up to a second after its last sound when its
  // silent end is skipped, all its loops and the fade when it loops then fades (the one pass
  // when it loops for ever).
  double duration() const { return m_duration; }
  // Where the song is while output frame `heard` is heard: as it stood after the last mixed
  // block ending at or before that frame, or as a start or a jump left it, which is heard at
  // once. The time is seconds into the current pass (0 to duration()).
  PlayStatus status(uint64_t heard) const { return placeHeard(heard).Status; }
  double playTime(uint64_t heard) const { return placeHeard(heard).Seconds; }
  // After a mixed block that ends at output frame `frame`: notes where the song (and once it
  // has handed over, its follower) stands then.
  void noteMixed(uint64_t frame);
  // Continues at the first row of order `position` (0 or more); at or past the song's length
  // the song ends as described for MIDASsetPosition.
  void setPosition(int32_t position);
  // Continues `seconds` into the pass (brought into 0 to duration()), to the sample of output
  // at `rate` Hz with `channels` channels.
  void seek(double seconds, int32_t rate, int channels);
  // Whether the song can go back to where it stood at an earlier output frame: not once it has
  // handed over to its follower.
  bool canGoBack() const { return !(m_ended && m_next); }
  // Goes back to where the song stood after the block that ended at output frame `frame` (as
  // status() knows it), its count of passes too, so that what follows is mixed again from there
  // (rate and channels as for seek). A preview's note plays on where it is.
  void goBackTo(uint64_t frame, int32_t rate, int channels);
  // The song's loudness relative to the module's own, in millibel (0 or less); its follower's
  // too. The song's own level comes on top when the render options even out loudness.
  void setGain(int32_t millibel);
  // How loud each subsong is and where its sound ends (one level a subsong, in order; a single
  // one stands for every subsong): the render options then bring it towards TLoudnessScan's
  // target and end it a second after its last sound. Set before the song plays: a level never
  // changes the song mid-way.
  void setLevels(std::vector<TSongLevel> levels);

  // Renders up to `frames` frames of the current pass, as render() does, on a song that is not
  // mixed by the library; returns how many, 0 once the pass has ended (the next call starts the
  // song over, unless the pass ended early at a skipped silent end).
  std::size_t renderPass(int32_t rate, int channels, float* out, std::size_t frames);
  // Renders `frames` frames of `channels` (1 or 2) interleaved float samples (full scale 1.0,
  // which loud songs exceed) at `rate` Hz into `out`, counting each end of the song; after the
  // end of a song that does not loop, its follower, or silence.
  void render(int32_t rate, int channels, float* out, std::size_t frames);

private:
  struct TPlace {
    PlayStatus Status{};
    double Seconds = 0;
  };
  // Blocks of up to 512 frames: about 3 s at 44.1 kHz, more than any output holds.
  static constexpr std::size_t kPlacesKept = 256;

  // Puts the selected subsong at its start.
  void rewind();
  // After the library has been put somewhere: its clock stands on the module's time again, and
  // its channel volumes are the module's own, which the backing volume scales again.
  void positioned();
  // Works out the level, length and end of the selected subsong from its level and the render
  // options (its silent end, its loops).
  void applyOptions();
  TLoopMode loopMode() const;
  // Seconds of the subsong's part that loops: from its loop point to its end.
  double loopLength() const;
  // Seconds since the subsong started, its loops counted.
  double elapsed() const;
  // The time into the current subsong (of `duration` seconds) of its loop point, none when it
  // has no loop; moves the song.
  std::optional<double> findLoopStart(double duration);
  // Goes to the start of the row playing `seconds` into the pass; returns that row's time.
  double landAt(double seconds);
  TPlace place() const;
  TPlace placeHeard(uint64_t heard) const;
  // The place the song has now is the one heard from now on.
  void jumped();
  void readFacts();
  void readDetails();
  void reachEnd();
  void handOver(int32_t rate, int channels, float* out, std::size_t frames);

  std::unique_ptr<openmpt::module_ext> m_module;
  openmpt::ext::interactive* m_interactive = nullptr;
  uint32_t m_handle = 0;
  int32_t m_subsong = 0;
  uint32_t m_starts = 0;
  bool m_preview = false;
  ModuleInfo m_info{};
  double m_duration = 0;
  double m_fullDuration = 0; // the subsong's own length
  // Where a pass ends when that is not the module's end (its silent end skipped, its loops faded
  // out), 0 at the module's end; where the fade starts (0 for none).
  double m_end = 0;
  double m_fadeFrom = 0;
  std::vector<std::optional<double>> m_loopStarts; // of each subsong, seconds; none: no loop
  double m_elapsedOffset = 0;       // seconds of loops skipped by a seek
  // The library's clock runs at the output's pace and reads its positions at the tempo set
  // then: the module's own time is worked out from where the clock stood at the last position
  // or tempo set.
  double m_tempo = 1;
  double m_clockBase = 0; // the library's clock then
  double m_timeBase = 0;  // the module's time then, seconds
  double m_backing = 1;
  std::vector<double> m_ownVolumes; // of each channel where the library was last put
  std::vector<TSongLevel> m_levels;
  int32_t m_level = 0; // millibel
  std::vector<std::string> m_instrumentNames;
  TModuleDetails m_details;
  std::string m_format;
  bool m_playing = false;
  bool m_paused = false;
  bool m_waiting = false;
  TMidasSong* m_next = nullptr;
  int32_t m_gain = 0; // as the library set it
  int32_t m_appliedGain = 0;
  bool m_loop = false;
  bool m_ended = false;
  uint32_t m_loopCount = 0;
  TFrameRing<TPlace, kPlacesKept> m_places;
  std::optional<TRenderOptions> m_render; // as last set
};

#include "music/MusicPlayer.h"

#include "music/SettingsFile.h"
#include "platform/msgbox.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// Sound library options the player sets besides the three sound settings.
constexpr int32_t kDeviceModeAuto = 0;
constexpr int32_t kFilterModeAuto = 3;

// The row of `songs` that holds `file` nearest to row `near`; -1 when none does.
int32_t nearestRow(const std::vector<std::string>& songs, const std::string& file, int32_t near) {
  int32_t best = -1;
  for (int32_t row = 0; row < static_cast<int32_t>(songs.size()); ++row)
    if (songs[row] == file && (best < 0 || std::abs(row - near) < std::abs(best - near))) best = row;
  return best;
}

} // namespace

TMusicPlayer::TMusicPlayer(QObject* window) : NotifyWindow(window) {
  MIDASstartup();
  TSettingsFile settingsFile;
  MIDASsetOption(MIDAS_OPTION_MIXRATE, settingsFile.readInteger(settings::MixRate));
  MIDASsetOption(MIDAS_OPTION_OUTPUTMODE, settingsFile.readInteger(settings::OutputMode));
  MIDASsetOption(MIDAS_OPTION_DEVICE_MODE, kDeviceModeAuto);
  MIDASsetOption(MIDAS_OPTION_FILTER_MODE, kFilterModeAuto);
  MIDASsetOption(MIDAS_OPTION_MIXING_MODE, settingsFile.readInteger(settings::MixingMode));
  if (!MIDASinit()) FatalSoundError();
  if (!MIDASstartBackgroundPlay(0)) FatalSoundError();
  applyVolume();
  ApplyRenderOptions(settingsFile.readRenderOptions());
}

void TMusicPlayer::ApplyRenderOptions(const TRenderOptions& options) {
  std::lock_guard lock(m_lock);
  if (m_failed) return;
  MIDASsetOption(MIDAS_OPTION_STEREO_SEPARATION, options.StereoSeparation);
  MIDASsetOption(MIDAS_OPTION_VOLUME_RAMPING, options.VolumeRamping);
  MIDASsetOption(MIDAS_OPTION_AMIGA_RESAMPLER, static_cast<int32_t>(options.Amiga));
  MIDASsetOption(MIDAS_OPTION_EVEN_LOUDNESS, options.EvenLoudness ? 1 : 0);
  MIDASsetOption(MIDAS_OPTION_SKIP_SILENT_END, options.SkipSilentEnd ? 1 : 0);
  MIDASsetOption(MIDAS_OPTION_LOOP, static_cast<int32_t>(options.Loop));
  MIDASsetOption(MIDAS_OPTION_LOOPS, options.Loops);
  MIDASsetOption(MIDAS_OPTION_LOOP_FADE, options.FadeSeconds);
  // The song's length follows a loop or an end changed while it plays.
  if (Module && !MIDASgetModuleDuration(Module, &Duration)) FatalSoundError();
}

TMusicPlayer::~TMusicPlayer() {
  std::lock_guard lock(m_lock);
  m_queue.Shutdown();
  if (m_failed) return;
  if (PlayHandle) MIDASstopModule(PlayHandle);
  if (Module) MIDASfreeModule(Module);
  if (!MIDASstopBackgroundPlay())
    ReportFatal(MIDASgetErrorMessage(MIDASgetLastError()));
  MIDASclose();
}

void TMusicPlayer::AddSong(const std::string& path) {
  std::lock_guard lock(m_lock);
  Songs.push_back(path);
  m_order.Reset(static_cast<int32_t>(Songs.size()));
  m_queue.Withdraw();
  m_planned = false;
}

void TMusicPlayer::ClearSongs() {
  std::lock_guard lock(m_lock);
  Songs.clear();
  SongIndex = -1;
  m_order.Reset(0);
  m_queue.Withdraw();
  m_planned = false;
}

void TMusicPlayer::SetSongs(std::vector<std::string> songs) {
  std::lock_guard lock(m_lock);
  if (songs == Songs) return;
  adoptFollower();
  m_queue.Withdraw();
  m_planned = false;
  const int32_t was = SongIndex;
  Songs = std::move(songs);
  const auto count = static_cast<int32_t>(Songs.size());
  m_order.Reset(count);
  SongIndex = FileName.empty() ? -1 : nearestRow(Songs, FileName, was);
  if (SongIndex >= 0)
    m_order.Choose(SongIndex);
  else if (!FileName.empty() && was >= 0)
    m_order.StandBefore(std::min(was, count - 1));
}

void TMusicPlayer::PlayNext() {
  std::lock_guard lock(m_lock);
  if (m_failed || Songs.empty()) return;
  adoptFollower();
  if (int32_t subsong = nextSubsong(); subsong > 0) return startSubsong(subsong);
  if (playQueued()) return;
  playFrom(m_order.Next(), [this] { return m_order.Next(); });
}

bool TMusicPlayer::FollowerReady() const { return m_queue.Ready(); }

bool TMusicPlayer::FollowerComing() const {
  std::lock_guard lock(m_lock);
  return !m_failed && PlayHandle && nextSubsong() <= 0 && !m_queue.Ready() && m_queue.Busy();
}

std::string TMusicPlayer::OutputProblem() const {
  std::lock_guard lock(m_lock);
  std::string problem;
  if (!m_failed) MIDASgetOutputProblem(&problem);
  return problem;
}

bool TMusicPlayer::playQueued() {
  std::optional<TSongQueue::TQueued> next = m_queue.Take();
  if (!next) return false;
  // It waits behind the song playing: both plays end, and its module starts on its own.
  if (!MIDASstopModule(next->Handle)) FatalSoundError();
  playLoaded(*next);
  return true;
}

void TMusicPlayer::playLoaded(TSongQueue::TQueued& next) {
  // Loaded already, it cuts in as the song before fades.
  StopLocked();
  if (Module && !MIDASfreeModule(Module)) FatalSoundError();
  takeOver(next);
  StartSong();
}

void TMusicPlayer::PlayPrevious() {
  std::lock_guard lock(m_lock);
  if (m_failed || Songs.empty() || previousAtHand()) return;
  playFrom(m_order.Previous(), [this] { return m_order.Previous(); }, LastSubsong);
}

bool TMusicPlayer::previousAtHand() {
  adoptFollower();
  if (PlayHandle && TPlayOrder::RestartsSong(PlaySeconds())) {
    SeekTo(0);
    if (State == psPaused) Resume();
    return true;
  }
  if (!Module || Subsong <= 0) return false;
  startSubsong(Subsong - 1);
  return true;
}

void TMusicPlayer::PlaySong(int32_t index, int32_t subsong) {
  std::lock_guard lock(m_lock);
  if (m_failed || index < 0 || index >= static_cast<int32_t>(Songs.size())) return;
  adoptFollower();
  m_order.Choose(index);
  playFrom(index, [this] { return m_order.Next(); }, std::max(0, subsong));
}

void TMusicPlayer::FetchSong(int32_t index, int32_t subsong) {
  std::lock_guard lock(m_lock);
  if (m_failed || index < 0 || index >= static_cast<int32_t>(Songs.size())) return;
  adoptFollower();
  // The order goes on from the chosen song only once it plays.
  TPlayOrder order = m_order;
  order.Choose(index);
  m_queue.FetchChosen(std::move(order), Songs, std::max(0, subsong));
  m_planned = true;
}

void TMusicPlayer::FetchPrevious() {
  std::lock_guard lock(m_lock);
  if (m_failed || Songs.empty() || previousAtHand()) return;
  m_queue.FetchPrevious(m_order, Songs);
  m_planned = true;
}

bool TMusicPlayer::Fetching() const { return m_queue.Fetching(); }

void TMusicPlayer::PlayFetched() {
  std::lock_guard lock(m_lock);
  if (m_failed) return;
  std::optional<TSongQueue::TQueued> fetched = m_queue.TakeFetched();
  if (!fetched) return;
  if (fetched->Module) return playLoaded(*fetched);
  // The player stands at the last file tried, as after playFrom.
  SongIndex = fetched->Index;
  m_order = std::move(fetched->Order);
  for (TSkippedSong& song : fetched->Skipped) passOver(std::move(song));
  loadedNone(true);
}

void TMusicPlayer::WithdrawFetch() {
  std::lock_guard lock(m_lock);
  if (m_queue.WithdrawFetch()) m_planned = false;
}

void TMusicPlayer::PlaySubsong(int32_t subsong) {
  std::lock_guard lock(m_lock);
  if (m_failed || !Module || subsong < 0 || subsong >= static_cast<int32_t>(Details.Subsongs.size()))
    return;
  startSubsong(subsong);
}

int32_t TMusicPlayer::nextSubsong() const {
  // A song taken out of the list plays on, but the list goes on after it, not its subsongs.
  if (!Module || SongIndex < 0 || Subsong + 1 >= static_cast<int32_t>(Details.Subsongs.size())) return -1;
  return Subsong + 1;
}

void TMusicPlayer::startSubsong(int32_t subsong) {
  m_queue.Withdraw();
  StopLocked();
  selectSubsong(subsong);
  StartSong();
}

void TMusicPlayer::selectSubsong(int32_t subsong) {
  if (!MIDASselectSubsong(Module, subsong) || !MIDASgetModuleDuration(Module, &Duration)) FatalSoundError();
  Subsong = subsong;
}

bool TMusicPlayer::SongHasEnded() {
  std::lock_guard lock(m_lock);
  if (m_failed || State != psPlaying) return false;
  if (!m_planned) planNext();
  RefreshPlayStatus();
  if (PlayStatus.LoopCount <= m_endsSeen) return false;
  m_endsSeen = PlayStatus.LoopCount;
  return true;
}

void TMusicPlayer::PlayAfterEnd() {
  std::lock_guard lock(m_lock);
  if (m_failed || Songs.empty() || adoptFollower()) return;
  // Under Repeat one the library has already started the subsong over.
  if (PlayHandle && m_order.Repeat == TRepeatMode::One) return;
  if (int32_t subsong = nextSubsong(); subsong > 0) return startSubsong(subsong);
  int32_t next = m_order.AfterEnd();
  // Under Repeat one the library has already started the song over.
  if (next == SongIndex && PlayHandle && m_order.Repeat == TRepeatMode::One) return;
  playFrom(next, [this] { return m_order.AfterEnd(); });
}

void TMusicPlayer::playFrom(int32_t first, const std::function<int32_t()>& next, int32_t subsong) {
  m_queue.Withdraw();
  // The song playing goes on while the next one loads, and gives way to it only once it has.
  const int32_t count = static_cast<int32_t>(Songs.size());
  int32_t tried = 0;
  for (int32_t index = first; index >= 0; index = next()) {
    SongIndex = index;
    if (LoadSong(Songs[index], subsong)) {
      LoadError.clear();
      StartSong();
      return;
    }
    if (++tried == count) break;
  }
  loadedNone(tried > 0);
}

void TMusicPlayer::loadedNone(bool tried) {
  StopLocked();
  State = psStopped;
  if (!tried) return;
  if (Module && !MIDASfreeModule(Module)) FatalSoundError();
  Module = 0;
  ModuleInfo = {};
  Details = {};
  Subsong = 0;
  Duration = 0;
  FileName.clear();
}

bool TMusicPlayer::LoadSong(const std::string& path, int32_t subsong) {
  const MIDASmodule loaded = MIDASloadModule(path.c_str());
  if (!loaded) {
    passOver({path, MIDASgetErrorMessage(MIDASgetLastError())});
    return false;
  }
  const MIDASmodule before = Module;
  const MIDASmodulePlayHandle playing = PlayHandle;
  Module = loaded;
  PlayHandle = 0;
  // A module that has just loaded plays its first subsong.
  readModule();
  Subsong = 0;
  const auto subsongs = static_cast<int32_t>(Details.Subsongs.size());
  if (subsong == LastSubsong) subsong = subsongs - 1;
  if (subsong > 0 && subsong < subsongs) selectSubsong(subsong);
  FileName = path;
  // The song before gives way only now, so that the new one cuts in as it fades.
  if (playing && !MIDASstopModule(playing)) FatalSoundError();
  if (before && !MIDASfreeModule(before)) FatalSoundError();
  return true;
}

void TMusicPlayer::passOver(TSkippedSong song) {
  LoadError = song.Path + ": " + song.Reason;
  m_skipped.push_back(std::move(song));
}

void TMusicPlayer::readModule() {
  if (!MIDASgetModuleInfo(Module, &ModuleInfo) || !MIDASgetModuleDetails(Module, &Details) ||
      !MIDASgetModuleDuration(Module, &Duration))
    FatalSoundError();
}

void TMusicPlayer::StartSong() {
  PlayHandle = MIDASplayModule(Module, m_order.Repeat == TRepeatMode::One);
  if (!PlayHandle) FatalSoundError();
  State = psPlaying;
  m_endsSeen = 0;
  PostMessage(NotifyWindow, WM_SONGSTARTED, 0, 0);
  planNext();
}

void TMusicPlayer::planNext() {
  m_planned = true;
  if (!PlayHandle || m_order.Repeat == TRepeatMode::One || Songs.empty()) return m_queue.Withdraw();
  RefreshPlayStatus();
  m_queue.Plan(PlayHandle, PlayStatus.LoopCount, m_order, Songs, nextSubsong());
}

void TMusicPlayer::takeOver(TSongQueue::TQueued& next) {
  Module = next.Module;
  SongIndex = next.Index;
  m_order = std::move(next.Order);
  Subsong = next.Subsong;
  for (TSkippedSong& song : next.Skipped) passOver(std::move(song));
  readModule();
  FileName = Songs[SongIndex];
  LoadError.clear();
}

bool TMusicPlayer::adoptFollower() {
  if (m_failed || !PlayHandle) return false;
  RefreshPlayStatus();
  std::optional<TSongQueue::TQueued> next = m_queue.TakeIfBegun(PlayStatus.LoopCount);
  if (!next) return false;
  // The queued song sounds already, and plays on by itself once the finished one is stopped.
  if (!MIDASstopModule(PlayHandle) || !MIDASfreeModule(Module)) FatalSoundError();
  PlayHandle = next->Handle;
  takeOver(*next);
  m_endsSeen = 0;
  RefreshPlayStatus();
  PostMessage(NotifyWindow, WM_SONGSTARTED, 0, 0);
  planNext();
  return true;
}

void TMusicPlayer::Play() {
  std::lock_guard lock(m_lock);
  if (m_failed || State == psPlaying) return;
  if (State == psPaused) return Resume();
  if (!Module) return PlayNext();
  StartSong();
}

void TMusicPlayer::Stop() {
  std::lock_guard lock(m_lock);
  if (m_failed || State == psPaused) return;
  adoptFollower();
  m_queue.Withdraw();
  m_planned = false;
  StopLocked();
}

void TMusicPlayer::StopLocked() {
  if (!PlayHandle) return;
  State = psStopped;
  if (!MIDASstopModule(PlayHandle)) FatalSoundError();
  PlayHandle = 0;
}

void TMusicPlayer::Pause() {
  std::lock_guard lock(m_lock);
  if (m_failed || !PlayHandle || State != psPlaying) return;
  adoptFollower();
  RefreshPlayStatus();
  PausePosition = static_cast<int32_t>(PlayStatus.Position);
  if (!MIDASpauseModule(PlayHandle)) FatalSoundError();
  State = psPaused;
}

void TMusicPlayer::Resume() {
  std::lock_guard lock(m_lock);
  if (m_failed || State != psPaused) return;
  adoptFollower();
  if (!MIDASresumeModule(PlayHandle)) FatalSoundError();
  State = psPlaying;
  PostMessage(NotifyWindow, WM_SONGSTARTED, 0, 0);
}

void TMusicPlayer::SeekTo(double seconds) {
  std::lock_guard lock(m_lock);
  adoptFollower();
  if (!m_failed && PlayHandle) MIDASsetPlayTime(PlayHandle, seconds);
}

void TMusicPlayer::SetVolume(int32_t percent) {
  std::lock_guard lock(m_lock);
  m_volume = std::clamp(percent, 0, 100);
  applyVolume();
}

void TMusicPlayer::SetMusicPace(double tempoFactor, double backingVolume) {
  std::lock_guard lock(m_lock);
  if (m_failed) return;
  if (!MIDASsetTempoFactor(tempoFactor) || !MIDASsetBackingVolume(backingVolume)) FatalSoundError();
}

void TMusicPlayer::SetMuted(bool muted) {
  std::lock_guard lock(m_lock);
  m_muted = muted;
  applyVolume();
}

void TMusicPlayer::applyVolume() {
  if (!m_failed) MIDASsetMasterVolume(m_muted ? 0 : m_volume);
}

void TMusicPlayer::SetRepeat(TRepeatMode repeat) {
  std::lock_guard lock(m_lock);
  adoptFollower();
  m_order.Repeat = repeat;
  if (!m_failed && PlayHandle) MIDASsetLoopSong(PlayHandle, repeat == TRepeatMode::One);
  m_queue.Withdraw();
  m_planned = false;
}

TRepeatMode TMusicPlayer::Repeat() const {
  std::lock_guard lock(m_lock);
  return m_order.Repeat;
}

int32_t TMusicPlayer::Volume() const {
  std::lock_guard lock(m_lock);
  return m_volume;
}

bool TMusicPlayer::Muted() const {
  std::lock_guard lock(m_lock);
  return m_muted;
}

void TMusicPlayer::SetShuffle(bool shuffle) {
  std::lock_guard lock(m_lock);
  adoptFollower();
  m_order.SetShuffle(shuffle);
  m_queue.Withdraw();
  m_planned = false;
}

bool TMusicPlayer::Shuffle() const {
  std::lock_guard lock(m_lock);
  return m_order.Shuffle();
}

void TMusicPlayer::Forward(int32_t step) {
  std::lock_guard lock(m_lock);
  if (m_failed || !PlayHandle || (State != psPaused && State != psPlaying)) return;
  adoptFollower();
  RefreshPlayStatus();
  int32_t position = static_cast<int32_t>(PlayStatus.Position);
  int32_t target = position + step;
  if (target > static_cast<int32_t>(ModuleInfo.SongLength)) target = position - step;
  MIDASsetPosition(PlayHandle, target);
}

void TMusicPlayer::Rewind(int32_t step) {
  std::lock_guard lock(m_lock);
  if (m_failed || !PlayHandle || (State != psPaused && State != psPlaying)) return;
  adoptFollower();
  RefreshPlayStatus();
  int32_t target = static_cast<int32_t>(PlayStatus.Position) - step;
  MIDASsetPosition(PlayHandle, target < 0 ? 0 : target);
}

std::vector<TSkippedSong> TMusicPlayer::TakeSkipped() {
  std::lock_guard lock(m_lock);
  return std::exchange(m_skipped, {});
}

double TMusicPlayer::PlaySeconds() {
  std::lock_guard lock(m_lock);
  double seconds = 0;
  if (!m_failed && PlayHandle && !MIDASgetPlayTime(PlayHandle, &seconds)) FatalSoundError();
  return seconds;
}

void TMusicPlayer::GetPlayStatus(::PlayStatus& record) {
  std::lock_guard lock(m_lock);
  if (!m_failed) RefreshPlayStatus();
  record = PlayStatus;
}

void TMusicPlayer::RefreshPlayStatus() {
  if (PlayHandle && !MIDASgetPlayStatus(PlayHandle, &PlayStatus)) FatalSoundError();
}

void TMusicPlayer::GetInstrumentInfo(int32_t index, InstrumentInfo& record) {
  std::lock_guard lock(m_lock);
  InstrumentInfo info{};
  if (!m_failed && PlayHandle) MIDASgetInstrumentInfo(Module, index, &info);
  record = info;
}

void TMusicPlayer::FatalSoundError() {
  std::string text = MIDASgetErrorMessage(MIDASgetLastError());
  ReportFatal(text);
  throw EFatalSoundError(text);
}

void TMusicPlayer::ReportFatal(const std::string& text) {
  m_failed = true;
  m_queue.Shutdown();
  PlayHandle = 0;
  Module = 0;
  State = psStopped;
  ShowMessageBox(text, "MIDAS Error", TMessageKind::Error);
  MIDASclose();
}

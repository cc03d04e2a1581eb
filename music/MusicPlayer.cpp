#include "music/MusicPlayer.h"

#include "music/SettingsFile.h"
#include "platform/msgbox.h"

namespace {

// Sound library options the player sets besides the three sound settings.
constexpr int32_t kDeviceModeAuto = 0;
constexpr int32_t kFilterModeAuto = 3;

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
}

TMusicPlayer::~TMusicPlayer() {
  std::lock_guard lock(m_lock);
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
}

void TMusicPlayer::ClearSongs() {
  std::lock_guard lock(m_lock);
  Songs.clear();
  SongIndex = -1;
}

void TMusicPlayer::PlayNext() {
  std::lock_guard lock(m_lock);
  if (m_failed || Songs.empty()) return;
  if (State == psPlaying) StopLocked();
  const int32_t count = static_cast<int32_t>(Songs.size());
  for (int32_t tried = 0; tried < count; ++tried) {
    SongIndex = SongIndex + 1 > count - 1 ? 0 : SongIndex + 1;
    if (LoadSong(Songs[SongIndex])) {
      LoadError.clear();
      StartSong();
      return;
    }
  }
  State = psStopped;
}

bool TMusicPlayer::LoadSong(const std::string& path) {
  if (PlayHandle) {
    if (!MIDASstopModule(PlayHandle)) FatalSoundError();
    PlayHandle = 0;
  }
  if (Module) {
    if (!MIDASfreeModule(Module)) FatalSoundError();
    Module = 0;
  }
  Module = MIDASloadModule(path.c_str());
  if (!Module) {
    LoadError = path + ": " + MIDASgetErrorMessage(MIDASgetLastError());
    ModuleInfo = {};
    Duration = 0;
    FileName.clear();
    return false;
  }
  if (!MIDASgetModuleInfo(Module, &ModuleInfo)) FatalSoundError();
  if (!MIDASgetModuleDuration(Module, &Duration)) FatalSoundError();
  FileName = path;
  return true;
}

void TMusicPlayer::StartSong() {
  PlayHandle = MIDASplayModule(Module, true);
  if (!PlayHandle) FatalSoundError();
  State = psPlaying;
  PostMessage(NotifyWindow, WM_SONGSTARTED, 0, 0);
}

void TMusicPlayer::Stop() {
  std::lock_guard lock(m_lock);
  if (!m_failed) StopLocked();
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
  RefreshPlayStatus();
  PausePosition = static_cast<int32_t>(PlayStatus.Position);
  StopLocked();
  State = psPaused;
}

void TMusicPlayer::Resume() {
  std::lock_guard lock(m_lock);
  if (m_failed || State != psPaused) return;
  StartSong();
  MIDASsetPosition(PlayHandle, PausePosition);
  State = psPlaying;
}

void TMusicPlayer::Forward(int32_t step) {
  std::lock_guard lock(m_lock);
  if (m_failed || !PlayHandle || (State != psPaused && State != psPlaying)) return;
  RefreshPlayStatus();
  int32_t position = static_cast<int32_t>(PlayStatus.Position);
  int32_t target = position + step;
  if (target > static_cast<int32_t>(ModuleInfo.SongLength)) target = position - step;
  MIDASsetPosition(PlayHandle, target);
}

void TMusicPlayer::Rewind(int32_t step) {
  std::lock_guard lock(m_lock);
  if (m_failed || !PlayHandle || (State != psPaused && State != psPlaying)) return;
  RefreshPlayStatus();
  int32_t target = static_cast<int32_t>(PlayStatus.Position) - step;
  MIDASsetPosition(PlayHandle, target < 0 ? 0 : target);
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
  PlayHandle = 0;
  Module = 0;
  State = psStopped;
  ShowMessageBox(text, "MIDAS Error", TMessageKind::Error);
  MIDASclose();
}

#include "music/PlayerController.h"

#include "platform/winmsg.h"

#include <QEvent>

#include <utility>

namespace {

constexpr int kWatchMs = 200;
constexpr int kPollMs = 10;
// A wait for the song to follow is told of once it has lasted this many polls.
constexpr int kPollsUntilNote = 15;

void pauseOrResumeOf(TMusicPlayer& player) {
  if (player.State == psPaused)
    player.Resume();
  else
    player.Pause();
}

} // namespace

TPlayerController::TPlayerController(QObject* parent) : QObject(parent) {
  m_watch.setInterval(kWatchMs);
  connect(&m_watch, &QTimer::timeout, this, &TPlayerController::watch);
  m_flushTimer.setSingleShot(true);
  connect(&m_flushTimer, &QTimer::timeout, this, [this] {
    // The flood is over: what comes next is carried out at once again.
    m_quick = 0;
    flush();
  });
  m_songPoll.setInterval(kPollMs);
  connect(&m_songPoll, &QTimer::timeout, this, &TPlayerController::awaitSong);
}

TPlayerController::~TPlayerController() { finish(); }

bool TPlayerController::start() {
  try {
    m_player = std::make_unique<TMusicPlayer>(this);
  } catch (const EFatalSoundError&) {
    failed();
    return false;
  }
  return true;
}

void TPlayerController::finish() {
  stopWaiting();
  m_watch.stop();
  m_flushTimer.stop();
  m_player.reset();
}

bool TPlayerController::event(QEvent* event) {
  if (event->type() != TWindowMessage::type()) return QObject::event(event);
  // A song started: by a command, at the end of the one before, or a queued one took over.
  if (static_cast<TWindowMessage*>(event)->Msg == WM_SONGSTARTED && player()) emit songChanged();
  return true;
}

void TPlayerController::carryOut(const std::function<void(TMusicPlayer&)>& command, TChange change) {
  TMusicPlayer* playing = player();
  if (!playing) return;
  try {
    command(*playing);
  } catch (const EFatalSoundError&) {
    return failed();
  }
  // The watch runs only while a song plays: a silent program does nothing at all. A running
  // watch keeps its pace, however many commands come.
  if (playing->State != psPlaying)
    m_watch.stop();
  else if (!m_watch.isActive())
    m_watch.start();
  if (playing->State != psPlaying && !m_outputProblem.empty()) {
    m_outputProblem.clear();
    emit outputProblemChanged();
  }
  if (change == TChange::Settings) return emit settingsChanged();
  if (change == TChange::Jump) emit positionJumped();
  emit songChanged();
}

void TPlayerController::failed() {
  m_failed = true;
  stopWaiting();
  m_watch.stop();
  m_flushTimer.stop();
  emit fatal();
}

bool TPlayerController::flooding() {
  const auto now = std::chrono::steady_clock::now();
  m_quick = now - m_lastDone < kQuickGap ? m_quick + 1 : 0;
  if (!m_flushTimer.isActive() && m_quick < kFloodCount) return false;
  m_flushTimer.start(kFloodWindow);
  m_lastDone = now;
  return true;
}

void TPlayerController::flush() {
  stopWaiting();
  m_flushTimer.stop();
  const int32_t steps = std::exchange(m_steps, 0);
  const bool toggle = std::exchange(m_toggle, false);
  const std::optional<double> seek = std::exchange(m_seek, std::nullopt);
  if (steps > 0) carryOut([](TMusicPlayer& p) { p.PlayNext(); });
  if (steps < 0) carryOut([](TMusicPlayer& p) { p.PlayPrevious(); }, TChange::Jump);
  if (toggle) carryOut(pauseOrResumeOf);
  if (seek) carryOut([&](TMusicPlayer& p) { p.SeekTo(*seek); }, TChange::Jump);
}

void TPlayerController::play() {
  flush();
  carryOut([](TMusicPlayer& p) { p.Play(); });
}

void TPlayerController::playNext() {
  if (flooding()) return void(++m_steps);
  if (awaiting(TAwaited::Follower)) return;
  flush();
  if (player() && player()->FollowerComing()) return await(TAwaited::Follower);
  carryOut([](TMusicPlayer& p) { p.PlayNext(); });
  m_lastDone = std::chrono::steady_clock::now();
}

void TPlayerController::playPrevious() {
  if (flooding()) return void(--m_steps);
  if (awaiting(TAwaited::Previous)) return;
  flush();
  carryOut([](TMusicPlayer& p) { p.FetchPrevious(); }, TChange::Jump);
  if (player() && player()->Fetching()) await(TAwaited::Previous);
  m_lastDone = std::chrono::steady_clock::now();
}

void TPlayerController::stop() {
  flush();
  carryOut([](TMusicPlayer& p) { p.Stop(); });
}

void TPlayerController::pauseOrResume() {
  if (flooding()) return void(m_toggle = !m_toggle);
  flush();
  carryOut(pauseOrResumeOf);
  m_lastDone = std::chrono::steady_clock::now();
}

void TPlayerController::forward() {
  flush();
  carryOut([](TMusicPlayer& p) { p.Forward(1); }, TChange::Jump);
}

void TPlayerController::rewind() {
  flush();
  carryOut([](TMusicPlayer& p) { p.Rewind(1); }, TChange::Jump);
}

void TPlayerController::seekTo(double seconds) {
  if (!player() || !player()->PlayHandle) return;
  if (flooding()) return void(m_seek = seconds);
  flush();
  carryOut([seconds](TMusicPlayer& p) { p.SeekTo(seconds); }, TChange::Jump);
  m_lastDone = std::chrono::steady_clock::now();
}

void TPlayerController::playSong(int32_t index, int32_t subsong) {
  flush();
  carryOut([=](TMusicPlayer& p) { p.FetchSong(index, subsong); });
  if (player() && player()->Fetching()) await(TAwaited::Chosen);
}

void TPlayerController::playSubsong(int32_t index) {
  flush();
  carryOut([index](TMusicPlayer& p) { p.PlaySubsong(index); });
}

void TPlayerController::setVolume(int32_t percent) {
  carryOut([percent](TMusicPlayer& p) {
    p.SetMuted(false);
    p.SetVolume(percent);
  }, TChange::Settings);
}

void TPlayerController::seekBy(double delta) {
  if (TMusicPlayer* playing = player()) seekTo(playing->PlaySeconds() + delta);
}

void TPlayerController::stepVolume(int32_t delta) {
  if (const TMusicPlayer* playing = player()) setVolume(playing->Volume() + delta);
}

void TPlayerController::setMuted(bool muted) {
  carryOut([muted](TMusicPlayer& p) { p.SetMuted(muted); }, TChange::Settings);
}

void TPlayerController::setMusicPace(double tempoFactor, double backingVolume) {
  TMusicPlayer* playing = player();
  if (!playing) return;
  try {
    playing->SetMusicPace(tempoFactor, backingVolume);
  } catch (const EFatalSoundError&) {
    failed();
  }
}

void TPlayerController::setRepeat(TRepeatMode repeat) {
  carryOut([repeat](TMusicPlayer& p) { p.SetRepeat(repeat); }, TChange::Settings);
}

void TPlayerController::setShuffle(bool shuffle) {
  carryOut([shuffle](TMusicPlayer& p) { p.SetShuffle(shuffle); }, TChange::Settings);
}

void TPlayerController::setSongs(std::vector<std::string> songs) {
  carryOut([&songs](TMusicPlayer& p) { p.SetSongs(std::move(songs)); }, TChange::Settings);
}

void TPlayerController::applyRenderOptions(const TRenderOptions& options) {
  carryOut([&options](TMusicPlayer& p) { p.ApplyRenderOptions(options); }, TChange::Settings);
}

void TPlayerController::watch() {
  TMusicPlayer* playing = player();
  if (!playing || playing->State != psPlaying) return m_watch.stop();
  if (std::string problem = playing->OutputProblem(); problem != m_outputProblem) {
    m_outputProblem = std::move(problem);
    emit outputProblemChanged();
  }
  emit ticked();
  // The song a fetched one is to replace may end meanwhile; if it stays, its end is seen later.
  if (m_songPoll.isActive() && m_awaited != TAwaited::Follower) return;
  // A song shorter than the watch's period may have ended more than once since the last look.
  bool ended = false;
  try {
    ended = playing->SongHasEnded();
  } catch (const EFatalSoundError&) {
    return failed();
  }
  if (ended) carryOut([](TMusicPlayer& p) { p.PlayAfterEnd(); });
}

bool TPlayerController::awaiting(TAwaited awaited) const {
  return m_songPoll.isActive() && m_awaited == awaited;
}

void TPlayerController::await(TAwaited awaited) {
  m_awaited = awaited;
  m_songPoll.start();
}

void TPlayerController::awaitSong() {
  TMusicPlayer* playing = player();
  const bool follower = m_awaited == TAwaited::Follower;
  if (playing && (follower ? playing->FollowerComing() : playing->Fetching())) {
    if (++m_waited == kPollsUntilNote) emit waitingForSong(true);
    return;
  }
  endWait();
  carryOut([follower](TMusicPlayer& p) { follower ? p.PlayNext() : p.PlayFetched(); });
}

void TPlayerController::stopWaiting() {
  if (!m_songPoll.isActive()) return;
  if (m_awaited != TAwaited::Follower && player()) player()->WithdrawFetch();
  endWait();
}

void TPlayerController::endWait() {
  m_songPoll.stop();
  if (std::exchange(m_waited, 0) >= kPollsUntilNote) emit waitingForSong(false);
}

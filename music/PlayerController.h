#pragma once

#include "music/MusicPlayer.h"
#include "music/RenderOptions.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The one place that decides what plays: it owns the music player from start() to finish(),
// takes the commands of the window, the keys, the game and the desktop's player controls, and
// watches the playing song, starting what follows at its end. Whoever shows the player connects
// to its signals. A sound library failure ends in fatal(), never in an exception out of a slot.
//
// Commands that come faster than anyone could give them (kFloodCount of Next, Previous,
// Play/Pause and seeks in a row, each within kQuickGap of the end of the one before) are taken
// together: what arrives meanwhile is carried out kFloodWindow after the last, Nexts and Previouses as one step each way, Play/Pause as often
// as it was asked for leaves it (twice is nothing), seeks at the last place asked for. Any other
// command first carries out what was taken together, so the order stays as asked.
//
// A chosen song and Previous have the song queue read their files, and Next never reads files
// on this thread while the queue is still reading them to find the song to follow: each waits
// for its song (the one playing plays on, its end dealt with only after the wait), and tells of
// the wait when it lasts. Next or Previous again adds nothing to its own wait; any other command
// ends the wait, and a song read for a wait that ended never plays. GUI thread.
class TPlayerController : public QObject {
  Q_OBJECT

public:
  explicit TPlayerController(QObject* parent = nullptr);
  ~TPlayerController() override;

  // Opens the sound library with the stored sound settings; false, after fatal(), when it
  // cannot. The song-started messages of the player reach this object.
  bool start();
  // Closes the sound library; the player goes.
  void finish();
  // The player, while it is open; null before start(), after finish() and after a fatal error.
  TMusicPlayer* player() const { return m_failed ? nullptr : m_player.get(); }
  // Why nothing is heard though a song plays; empty while the sound goes out.
  const std::string& outputProblem() const { return m_outputProblem; }
  // Whether Next, a chosen song or Previous waits for the song queue to read its song.
  bool awaitingSong() const { return m_songPoll.isActive(); }
  // Whether commands of a flood wait to be carried out.
  bool takingTogether() const { return m_flushTimer.isActive(); }
  // Whether it watches a playing song (it does only while one plays).
  bool watching() const { return m_watch.isActive(); }

  void play();
  void playNext();
  void playPrevious();
  void stop();
  void pauseOrResume();
  void forward();
  void rewind();
  // Goes `seconds` into the song playing or paused.
  void seekTo(double seconds);
  // Plays subsong `subsong` of song `index` of the list, or subsong `index` of the loaded module.
  void playSong(int32_t index, int32_t subsong = 0);
  void playSubsong(int32_t index);
  // The volume in percent (setting it ends muting), muting, the play order.
  void setVolume(int32_t percent);
  void setMuted(bool muted);
  // The pace the game gives the music (see TMusicPlayer::SetMusicPace), kept for every song.
  void setMusicPace(double tempoFactor, double backingVolume);
  // `delta` seconds on from where the song playing or paused is, and `delta` percent louder.
  void seekBy(double delta);
  void stepVolume(int32_t delta);
  void setRepeat(TRepeatMode repeat);
  void setShuffle(bool shuffle);
  void setSongs(std::vector<std::string> songs);
  void applyRenderOptions(const TRenderOptions& options);

  static constexpr int kFloodCount = 8;
  static constexpr std::chrono::milliseconds kQuickGap{10};
  static constexpr std::chrono::milliseconds kFloodWindow{50};

signals:
  // A command or the end of a song changed the song, its state or its place.
  void songChanged();
  // The volume, muting, the play order or the list changed.
  void settingsChanged();
  // The song's place changed other than by playing on: a seek, Forward, Rewind, a restart.
  void positionJumped();
  // Every 200 ms while a song plays: the time shown moves on.
  void ticked();
  // The sound library failed: its box has been shown, and the player is gone.
  void fatal();
  // The sound output went or came back (see outputProblem()).
  void outputProblemChanged();
  // Next, a chosen song or Previous has waited a while for the song queue to read its song
  // (true), or that wait is over (false).
  void waitingForSong(bool waiting);

protected:
  bool event(QEvent* event) override;

private:
  // What a command changes, which it tells of.
  enum class TChange { Song, Jump, Settings };
  // Runs `command` on the player, catching a sound library failure; then tells of `change`.
  void carryOut(const std::function<void(TMusicPlayer&)>& command, TChange change = TChange::Song);
  // After a sound library failure: nothing more is done, and fatal() tells of it.
  void failed();
  // Whether a command of the kinds that come in floods arrives in one now (and is to be taken
  // together with the others).
  bool flooding();
  // Carries out what was taken together.
  void flush();
  // While a song plays: its end, the queued song taking over and the sound output.
  void watch();
  // What a command waits for: the song to follow (Next), or a song fetched.
  enum class TAwaited { Follower, Chosen, Previous };
  // Whether a command waits for `awaited`: the same command again adds nothing to the wait.
  bool awaiting(TAwaited awaited) const;
  void await(TAwaited awaited);
  // While a command waits for the song queue.
  void awaitSong();
  // Ends the wait as another command comes: a song being fetched for it never plays.
  void stopWaiting();
  // Ends the wait.
  void endWait();

  std::unique_ptr<TMusicPlayer> m_player;
  bool m_failed = false;
  std::string m_outputProblem;
  QTimer m_watch;
  // Taken together in a flood.
  QTimer m_flushTimer;
  std::chrono::steady_clock::time_point m_lastDone{}; // when the last such command was dealt with
  int m_quick = 0; // commands in a row that came within kQuickGap
  int32_t m_steps = 0;       // Nexts less Previouses
  bool m_toggle = false;     // an odd number of Play/Pause
  std::optional<double> m_seek;
  // A command waiting for its song.
  QTimer m_songPoll;
  int m_waited = 0; // polls so far
  TAwaited m_awaited = TAwaited::Follower;
};

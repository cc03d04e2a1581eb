#pragma once

#include "music/PlayOrder.h"
#include "music/SongQueue.h"
#include "music/midasdll.h"
#include "platform/winmsg.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

class QObject;

// Posted to the player's notify object, both parameters 0, each time a song starts.
constexpr uint32_t WM_SONGSTARTED = WM_USER + 404;

enum TPlayerState : uint8_t { psIdle = 0, psStopped = 1, psPaused = 2, psPlaying = 3 };

// Thrown by a player operation after a failure of the sound library: the "MIDAS Error" box has
// been shown and the library closed. The application ends the program when it catches it.
class EFatalSoundError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Plays a list of module files one at a time through the sound library, in the order its
// play order gives (list order or shuffled; after the last song the first again, the same song,
// or a stop, as its repeat mode says). A module with several subsongs plays them one after
// another, in their order, as if each were a song of the list; shuffling moves whole files. The song that is to follow is loaded while one plays
// and queued behind it in the library, so that it follows without a gap; the player takes it
// over (as if it had started it) at its next operation. A chosen song or the one before may be
// fetched the same way, the song playing playing on until it is played. There is one player
// for the life of the main window.
//
// Operations never overlap: each takes the player's own lock, so any thread may call them.
// The fields are read directly by the main window and the module information dialog on the
// thread that drives the player. Every sound library failure that the player checks goes to
// FatalSoundError, which shows the library's text in a "MIDAS Error" message box, closes the
// library and throws EFatalSoundError; after one, every operation does nothing.
class TMusicPlayer {
public:
  // Opens the sound library with the sound settings of the settings file and starts its
  // background play; `window` receives WM_SONGSTARTED (may be null). Throws EFatalSoundError.
  explicit TMusicPlayer(QObject* window);
  // Stops and frees the loaded module, stops background play and closes the library. A
  // failure here is shown in the box but not thrown.
  ~TMusicPlayer();
  TMusicPlayer(const TMusicPlayer&) = delete;
  TMusicPlayer& operator=(const TMusicPlayer&) = delete;

  // Both start the play order afresh: the next song is its first.
  void AddSong(const std::string& path);
  // Empties the list; the current song plays on.
  void ClearSongs();
  // Replaces the list with `songs`; the song playing plays on. Where its file is still in the
  // list (at its row, or else at the row nearest to it) it keeps its place there and the order
  // goes on from it; where it is not, the song now at its row comes next. Nothing changes when
  // the list is the same.
  void SetSongs(std::vector<std::string> songs);
  // Starts the next subsong of the loaded module, or after its last one loads the next song
  // of the play order (after the last, the first of a new round) and starts its first. A file that cannot be loaded is skipped, at most once around the list; when
  // none loads, the player is stopped with the reason in LoadError. Nothing happens with an
  // empty list.
  void PlayNext();
  // Within TPlayOrder::RestartAfterSeconds of a song's start, the subsong before it, or before
  // the first the last subsong of the song played before (in play order); later, the current
  // subsong from its start, playing. Skips as PlayNext does.
  void PlayPrevious();
  // Plays song `index` of the list (0 to its size - 1) at once from subsong `subsong` (its first
  // when the module has no such subsong); the order goes on from it.
  void PlaySong(int32_t index, int32_t subsong = 0);
  // What PlaySong and PlayPrevious do, with the files read on the song queue's thread: the song
  // playing plays on until PlayFetched. What needs no file (a restart or the subsong before)
  // is done at once, and no fetch starts. Until PlayFetched, SongHasEnded plans nothing to
  // follow the playing song, and an operation that changes the song, the list or the play order
  // withdraws the fetch.
  void FetchSong(int32_t index, int32_t subsong = 0);
  void FetchPrevious();
  // True while the files are read for FetchSong or FetchPrevious.
  bool Fetching() const;
  // Plays the song fetched in place of the one playing, as PlaySong or PlayPrevious would have,
  // or when no file loaded stops the player as they would have; nothing while the fetch is under
  // way or without one.
  void PlayFetched();
  // Withdraws a fetch, so that its song never plays; the playing song gets a follower again.
  void WithdrawFetch();
  // Plays subsong `subsong` (0 to Details.Subsongs.size() - 1) of the loaded module at once;
  // nothing for another number or with no module loaded.
  void PlaySubsong(int32_t subsong);
  // True once each time the playing song has played through (the status's LoopCount went up).
  // Also makes ready the song to follow when that is still to do (the main window's timer
  // calls it while a song plays).
  bool SongHasEnded();
  // What follows a song that has played through: its next subsong or the next song of the
  // order (already sounding when it was queued in time), or under Repeat one the same subsong
  // (which the library has started over), or under No repeat after the last song a stop.
  void PlayAfterEnd();
  // Starts or resumes: a paused song goes on, a stopped one starts over from the start of its
  // subsong, and with none loaded the next song plays (as PlayNext). Nothing while one plays.
  void Play();
  // Stops the song; nothing while paused.
  void Stop();
  // Holds the song where it is; Resume continues from exactly there and posts WM_SONGSTARTED.
  void Pause();
  void Resume();
  // Jump by `step` song positions while a song plays or is paused.
  void Forward(int32_t step);
  void Rewind(int32_t step);
  // Goes `seconds` into the song playing or paused (0 to Duration), to the sample.
  void SeekTo(double seconds);
  // How far the song playing or paused is into its current pass, in seconds; 0 while none is.
  // Like every reading, it never changes the song: a queued song that has taken over becomes
  // the player's own at the next operation (SongHasEnded among them).
  double PlaySeconds();
  // Refreshes PlayStatus while a song plays and copies it into `record`.
  void GetPlayStatus(::PlayStatus& record);
  // The name of instrument `index` (from 0) of the playing song; zero-filled when none plays.
  void GetInstrumentInfo(int32_t index, InstrumentInfo& record);

  // The volume in percent, 0 to 100 (other values are brought into that range), and muting,
  // which silences the music without changing the volume. Both take effect at once.
  void SetVolume(int32_t percent);
  int32_t Volume() const;
  // Every song, those to come too, plays at `tempoFactor` times its tempo (0.25 to 4) and every
  // channel but the first at `backingVolume` (0 to 1) of its own; (1, 1) as written.
  void SetMusicPace(double tempoFactor, double backingVolume);
  void SetMuted(bool muted);
  bool Muted() const;
  // Renders every song from now on, the playing one too, with the stereo separation, volume
  // ramping and Amiga resampler of `options`; the interpolation stays the one the player
  // started with.
  void ApplyRenderOptions(const TRenderOptions& options);
  // The repeat mode and shuffling of the play order.
  void SetRepeat(TRepeatMode repeat);
  TRepeatMode Repeat() const;
  void SetShuffle(bool shuffle);
  bool Shuffle() const;

  ::ModuleInfo ModuleInfo{};  // of the loaded module; all zero until the first load
  TModuleDetails Details;     // of the loaded module; empty while none is loaded
  int32_t Subsong = 0;        // of the loaded module that plays, from 0
  double Duration = 0;        // seconds of one pass of the loaded subsong; 0 = none
  int32_t PausePosition = 0;  // position saved by Pause
  MIDASmodule Module = 0;     // loaded module; 0 = none
  MIDASmodulePlayHandle PlayHandle = 0; // non-zero exactly while State is psPlaying or psPaused
  TPlayerState State = psIdle;
  ::PlayStatus PlayStatus{};  // as last read
  std::vector<std::string> Songs;
  int32_t SongIndex = -1;     // index into Songs of the current song; -1 = none yet
  std::string FileName;       // path of the loaded module; empty while none is loaded
  QObject* NotifyWindow;
  // Why the last PlayNext started nothing: the file's name and the library's text. Empty when
  // it started a song.
  std::string LoadError;

  // True when the song to follow is loaded and queued behind the playing one.
  bool FollowerReady() const;
  // True when PlayNext would read a file now although the song queue is still reading the
  // files to find the song to follow: waiting for it spares the caller the reading.
  bool FollowerComing() const;
  // Why no sound is heard though a song plays (the sound server has gone; the library looks for
  // it again), or empty.
  std::string OutputProblem() const;

  // The files passed over since the last call, in order, because they did not load.
  std::vector<TSkippedSong> TakeSkipped();

private:
  static constexpr int32_t LastSubsong = -1;

  // Plays `first`, or when it cannot be loaded the songs `next` gives, at most once around
  // the list; -1 from either ends the search and stops the player. Each song starts at
  // `subsong`, or its last with LastSubsong.
  void playFrom(int32_t first, const std::function<int32_t()>& next, int32_t subsong = 0);
  // Stops the player when no song would load; after files were `tried`, the song before is gone
  // too.
  void loadedNone(bool tried);
  bool LoadSong(const std::string& path, int32_t subsong);
  // Keeps `song` among the files passed over; LoadError tells of it until a song starts.
  void passOver(TSkippedSong song);
  // The restart or the subsong before that a Previous needs no file for; true when it did one.
  bool previousAtHand();
  // Starts subsong `subsong` of the loaded module from its beginning.
  void startSubsong(int32_t subsong);
  // The subsong after the playing one, or -1 after the last or for a song no longer in the list.
  int32_t nextSubsong() const;
  // Reads the facts of the loaded module and the length of the subsong it has selected.
  void readModule();
  // Selects subsong `subsong` of the loaded module and reads its length.
  void selectSubsong(int32_t subsong);
  void StartSong();
  void StopLocked();
  // Takes over the queued song once it sounds; true when it did.
  bool adoptFollower();
  // Starts the song the queue has made ready at once, from the module it loaded (Next wants the
  // song that would have followed); false when none is ready.
  bool playQueued();
  // Starts `next`, loaded by the queue, at once in place of the song playing.
  void playLoaded(TSongQueue::TQueued& next);
  // Makes the queued song's module, place in the list, order and subsong the player's own.
  void takeOver(TSongQueue::TQueued& next);
  // Queues the song to follow the playing one (none under Repeat one); withdraws otherwise.
  void planNext();
  void RefreshPlayStatus();
  void applyVolume();
  [[noreturn]] void FatalSoundError();
  void ReportFatal(const std::string& text);

  mutable std::recursive_mutex m_lock;
  bool m_failed = false;
  TPlayOrder m_order;
  TSongQueue m_queue;
  std::vector<TSkippedSong> m_skipped;
  // The song to follow has been planned since the last change, or a fetch is to replace the
  // song playing.
  bool m_planned = false;
  uint32_t m_endsSeen = 0; // passes of the playing song already followed
  int32_t m_volume = 100;
  bool m_muted = false;
};

#pragma once

#include "music/midasdll.h"
#include "platform/winmsg.h"

#include <cstdint>
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

// Plays a list of module files one at a time, in order, starting over after the last, through
// the sound library. There is one player for the life of the main window.
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

  void AddSong(const std::string& path);
  // Empties the list and starts it over from the first song; the current song plays on.
  void ClearSongs();
  // Loads the next song of the list (after the last, the first) and starts it looping. A file
  // that cannot be loaded is skipped, at most once around the list; when none loads, the
  // player is stopped with the reason in LoadError. Nothing happens with an empty list.
  void PlayNext();
  void Stop();
  // Remembers the position and stops; Resume starts the song again at that position's start.
  void Pause();
  void Resume();
  // Jump by `step` song positions while a song plays.
  void Forward(int32_t step);
  void Rewind(int32_t step);
  // How far the playing song is into its current pass, in seconds; 0 while none plays.
  double PlaySeconds();
  // Refreshes PlayStatus while a song plays and copies it into `record`.
  void GetPlayStatus(::PlayStatus& record);
  // The name of instrument `index` (from 0) of the playing song; zero-filled when none plays.
  void GetInstrumentInfo(int32_t index, InstrumentInfo& record);

  ::ModuleInfo ModuleInfo{};  // of the loaded module; all zero until the first load
  double Duration = 0;        // seconds of one pass of the loaded module's song; 0 = none
  int32_t PausePosition = 0;  // position saved by Pause
  MIDASmodule Module = 0;     // loaded module; 0 = none
  MIDASmodulePlayHandle PlayHandle = 0; // non-zero exactly while State is psPlaying
  TPlayerState State = psIdle;
  ::PlayStatus PlayStatus{};  // as last read
  std::vector<std::string> Songs;
  int32_t SongIndex = -1;     // index into Songs of the current song; -1 = none yet
  std::string FileName;       // path of the loaded module; empty while none is loaded
  QObject* NotifyWindow;
  // Why the last PlayNext started nothing: the file's name and the library's text. Empty when
  // it started a song.
  std::string LoadError;

private:
  bool LoadSong(const std::string& path);
  void StartSong();
  void StopLocked();
  void RefreshPlayStatus();
  [[noreturn]] void FatalSoundError();
  void ReportFatal(const std::string& text);

  std::recursive_mutex m_lock;
  bool m_failed = false;
};

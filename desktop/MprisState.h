#pragma once

#include "music/MusicPlayer.h"

class TPlayerController;

#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <string>

// What the desktop's player controls (MPRIS) show of the player at one moment, taken on the
// GUI thread.
struct TPlayerView {
  TPlayerState State = psIdle;
  bool HasSongs = false;   // the playlist is not empty
  int32_t SongIndex = -1;  // of the loaded song in the playlist; -1 = none
  int32_t Subsong = 0;     // of the loaded module that plays, from 0
  int32_t Subsongs = 1;    // of the loaded module
  std::string SongName;    // of the loaded module (may be empty)
  std::string Artist;      // of the loaded module (UTF-8; may be empty)
  std::string Message;     // the loaded module's message (UTF-8; may be empty)
  std::string FileName;    // of the loaded module; empty while none is loaded
  double Duration = 0;     // seconds of one pass of the loaded song
  double Volume = 1;       // 0 (silent or muted) to 1
  TRepeatMode Repeat = TRepeatMode::All;
  bool Shuffle = false;
  bool Silenced = false;   // a song plays but nothing is heard: the sound output has gone

  // The controller's player as it is now; `hasSongs` tells whether the playlist holds any.
  static TPlayerView of(const TPlayerController& controller, bool hasSongs);
};

// The mapping of the player onto the MPRIS interface org.mpris.MediaPlayer2.Player.
class TMprisState {
public:
  // The properties that change with the player: PlaybackStatus ("Playing", "Paused" or
  // "Stopped"; a silenced song is "Paused", as it is for the listener), Metadata (mpris:trackid, and for a loaded song xesam:title with "(2/5)" for
  // one of several subsongs, xesam:url, mpris:length in microseconds, and where the module has
  // them xesam:artist and xesam:comment, its message), Volume, LoopStatus, Shuffle, CanPlay, CanPause, CanGoNext,
  // CanGoPrevious and CanSeek.
  static QVariantMap playerProperties(const TPlayerView& view);

  // The track id of the loaded subsong (".../Track/<row>/<subsong>", the row "none" for a song
  // no longer in the playlist), or MPRIS's "no track" path.
  static QString trackId(const TPlayerView& view);

  // LoopStatus: "Playlist" (repeat all), "Track" (repeat one) or "None"; and back, nothing for
  // any other text.
  static QString loopStatus(TRepeatMode repeat);
  static std::optional<TRepeatMode> repeatMode(const QString& loopStatus);

  // Where a Seek of `offset` microseconds from `now` seconds into the song goes, in seconds:
  // no earlier than its start; nothing past its end, which MPRIS takes as a Next.
  static std::optional<double> seekTarget(int64_t offset, double now, const TPlayerView& view);
  // Where SetPosition to `position` microseconds goes, in seconds; nothing outside the song.
  static std::optional<double> positionTarget(int64_t position, const TPlayerView& view);

  // `seconds` in MPRIS's unit, microseconds.
  static int64_t microseconds(double seconds);
};

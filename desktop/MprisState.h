#pragma once

#include "music/MusicPlayer.h"

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
  std::string SongName;    // of the loaded module (may be empty)
  std::string FileName;    // of the loaded module; empty while none is loaded
  double Duration = 0;     // seconds of one pass of the loaded song
  uint32_t SongLength = 0; // its number of positions
  uint32_t Position = 0;   // the position it plays, from 0
};

// The mapping of the player onto the MPRIS interface org.mpris.MediaPlayer2.Player.
class TMprisState {
public:
  // The properties that change with the player: PlaybackStatus ("Playing", "Paused" or
  // "Stopped"), Metadata (mpris:trackid, and for a loaded song xesam:title, xesam:url and
  // mpris:length in microseconds), CanPlay, CanPause, CanGoNext, CanGoPrevious and CanSeek.
  static QVariantMap playerProperties(const TPlayerView& view);

  // The track id of the loaded song, or MPRIS's "no track" path.
  static QString trackId(const TPlayerView& view);

  // The whole song positions that a seek of `offset` microseconds stands for, at the song's
  // mean time per position: rounded, but never 0 for an offset that is not 0.
  static int32_t positionsForOffset(int64_t offset, const TPlayerView& view);

  // The song position (from 0) that `time` microseconds into the song fall in, at the song's
  // mean time per position; nothing for a time outside the song.
  static std::optional<int32_t> positionAt(int64_t time, const TPlayerView& view);

  // `seconds` in MPRIS's unit, microseconds.
  static int64_t microseconds(double seconds);
};

#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// What follows a song that has played through.
enum class TRepeatMode : int32_t {
  All = 0,  // the next song; after the last, the first again
  One = 1,  // the same song, until the user moves on
  None = 2, // the next song; after the last, nothing (the player stops)
};

// The order in which the songs of a playlist play: list order, or shuffled (every song once a
// round, each round in a new random order, Next and Previous following it), what comes after
// a song has played through under each repeat mode, and the way back. Songs are indexes into
// the playlist. Plain logic without sound; not thread-safe (the player's lock guards it).
class TPlayOrder {
public:
  // Previous goes back to the song before only within this many seconds of a song's start;
  // later it starts the current song over, as most players do.
  static constexpr double RestartAfterSeconds = 3.0;

  // `random`(n) draws a whole number from 0 to n - 1; the program's shared generator by
  // default.
  explicit TPlayOrder(std::function<int32_t(int32_t)> random = {});

  // A new playlist of `count` songs, none played yet.
  void Reset(int32_t count);
  int32_t Count() const { return m_count; }
  // The song the order stands at: the one playing or last played; -1 before the first.
  int32_t Current() const;

  TRepeatMode Repeat = TRepeatMode::All;
  bool Shuffle() const { return m_shuffle; }
  // Shuffles the rest of the current round, or puts it back in list order from the current
  // song on; the current song stays current.
  void SetShuffle(bool shuffle);

  // The song the user asks for next: the next one of the order; after the last of a round,
  // the first of a new round, whatever the repeat mode. -1 without songs.
  int32_t Next();
  // The song that plays once the current one has played through: the same under Repeat one,
  // none (-1) after the last of a round under No repeat, otherwise Next().
  int32_t AfterEnd();
  // The song played before the current one in play order; before the first, the last of a
  // round put in front. -1 without songs.
  int32_t Previous();
  // True when Previous, `secondsPlayed` into the current song, should start it over instead.
  static bool RestartsSong(double secondsPlayed) { return secondsPlayed > RestartAfterSeconds; }
  // The user picked song `index` (0 to Count() - 1): it becomes current and the order goes on
  // from it. Shuffled, a song not yet played in this round comes next in it; one that has
  // starts a new round.
  void Choose(int32_t index);
  // No song is current and song `index` (0 to Count() - 1) comes next, the order going on from
  // it as from a song chosen; another index leaves the order at its start.
  void StandBefore(int32_t index);

private:
  std::vector<int32_t> round(int32_t first) const;
  void appendRound(int32_t first = -1);
  int32_t roundStart() const { return m_pos < 0 ? 0 : m_pos / m_count * m_count; }
  void dropLaterRounds();
  void keepRecentRounds();

  std::function<int32_t(int32_t)> m_random;
  int32_t m_count = 0;
  bool m_shuffle = false;
  // The songs in the order they play, round after round (each round holds every song once).
  std::vector<int32_t> m_order;
  int32_t m_pos = -1; // index into m_order of the current song
};

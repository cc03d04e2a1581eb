#include "music/PlayOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

namespace {

std::vector<int32_t> take(int n, const std::function<int32_t()>& step) {
  std::vector<int32_t> songs;
  for (int i = 0; i < n; ++i) songs.push_back(step());
  return songs;
}

using Songs = std::vector<int32_t>;

// In list order: Next wraps round, Previous goes back (before the first song, to the one
// before it in the list) and Next then returns; a chosen song plays on from itself; after a
// song ends, Repeat all goes on, Repeat one stays and No repeat stops after the last song.
TEST(PlayOrderTest, ListOrderAndRepeatModes) {
  TPlayOrder order;
  order.Reset(3);
  EXPECT_EQ(order.Current(), -1);
  EXPECT_EQ(take(4, [&] { return order.Next(); }), (Songs{0, 1, 2, 0}));
  EXPECT_EQ(take(3, [&] { return order.Previous(); }), (Songs{2, 1, 0}));
  EXPECT_EQ(order.Previous(), 2);
  EXPECT_EQ(take(2, [&] { return order.Next(); }), (Songs{0, 1}));

  order.Choose(2);
  EXPECT_EQ(order.Current(), 2);
  EXPECT_EQ(order.AfterEnd(), 0);
  order.Repeat = TRepeatMode::One;
  EXPECT_EQ(order.AfterEnd(), 0);
  EXPECT_EQ(order.Next(), 1);
  order.Repeat = TRepeatMode::None;
  EXPECT_EQ(order.AfterEnd(), 2);
  EXPECT_EQ(order.AfterEnd(), -1);
  EXPECT_EQ(order.Next(), 0);

  order.Reset(0);
  EXPECT_EQ(order.Next(), -1);
  EXPECT_EQ(order.Previous(), -1);
  EXPECT_EQ(order.AfterEnd(), -1);
  order.Reset(2);
  EXPECT_EQ(order.Previous(), 1);

  // Standing before a song (the one playing left the list): it comes next, and the list goes
  // on from it round after round; without repeat it ends with the list's last song.
  order.Reset(4);
  order.Repeat = TRepeatMode::All;
  order.StandBefore(2);
  EXPECT_EQ(order.Current(), -1);
  EXPECT_EQ(take(7, [&] { return order.Next(); }), (Songs{2, 3, 0, 1, 2, 3, 0}));
  order.StandBefore(2);
  order.Repeat = TRepeatMode::None;
  EXPECT_EQ(take(3, [&] { return order.AfterEnd(); }), (Songs{2, 3, -1}));
}

// Shuffled: every round plays each song once, no round starts with the song that ended the
// one before, Previous and Next walk the same order both ways, a chosen song not yet played in
// the round comes next in it (one already played starts a new round), No repeat stops at the
// end of a round, and switching shuffling keeps the current song.
TEST(PlayOrderTest, ShuffledRounds) {
  std::mt19937 generator(7);
  TPlayOrder order([&](int32_t n) { return static_cast<int32_t>(generator() % n); });
  order.Reset(5);
  order.SetShuffle(true);
  Songs played = take(20, [&] { return order.Next(); });
  for (int round = 0; round < 4; ++round) {
    std::set<int32_t> songs(played.begin() + 5 * round, played.begin() + 5 * round + 5);
    EXPECT_EQ(songs.size(), 5u) << "round " << round;
    if (round > 0) {
      EXPECT_NE(played[5 * round], played[5 * round - 1]);
    }
  }
  EXPECT_EQ(take(3, [&] { return order.Previous(); }), (Songs{played[18], played[17], played[16]}));
  EXPECT_EQ(take(3, [&] { return order.Next(); }), (Songs{played[17], played[18], played[19]}));

  order.Reset(5);
  Songs round = {order.Next()};
  const int32_t unplayed = round[0] == 0 ? 1 : 0;
  order.Choose(unplayed);
  round.push_back(unplayed);
  for (int i = 0; i < 2; ++i) round.push_back(order.Next());
  order.Repeat = TRepeatMode::None;
  round.push_back(order.AfterEnd());
  EXPECT_EQ(std::set<int32_t>(round.begin(), round.end()).size(), 5u);
  EXPECT_EQ(order.AfterEnd(), -1);
  order.Choose(round[0]);
  EXPECT_EQ(order.Current(), round[0]);
  const Songs newRound = {round[0], order.Next(), order.Next(), order.Next(), order.Next()};
  EXPECT_EQ(std::set<int32_t>(newRound.begin(), newRound.end()).size(), 5u);

  order.StandBefore(3);
  const Songs from3 = take(5, [&] { return order.Next(); });
  EXPECT_EQ(from3[0], 3);
  EXPECT_EQ(std::set<int32_t>(from3.begin(), from3.end()).size(), 5u);

  order.SetShuffle(false);
  const int32_t current = order.Current();
  EXPECT_EQ(order.Next(), (current + 1) % 5);
  EXPECT_FALSE(TPlayOrder::RestartsSong(3.0));
  EXPECT_TRUE(TPlayOrder::RestartsSong(3.01));
}

} // namespace

#include "desktop/MprisState.h"

#include <QDBusObjectPath>

#include <gtest/gtest.h>

namespace {

TPlayerView playing() {
  TPlayerView view;
  view.State = psPlaying;
  view.HasSongs = true;
  view.SongIndex = 2;
  view.SongName = "Alpha Tune";
  view.FileName = "/music/Alpha Tune.mod";
  view.Duration = 30.72;
  view.SongLength = 8;
  return view;
}

// The player's states map onto PlaybackStatus and what the controls may do.
TEST(MprisStateTest, StatesAndAbilities) {
  QVariantMap idle = TMprisState::playerProperties(TPlayerView{});
  EXPECT_EQ(idle["PlaybackStatus"], "Stopped");
  EXPECT_EQ(idle["CanPlay"], false);
  EXPECT_EQ(idle["CanGoNext"], false);
  EXPECT_EQ(idle["Metadata"].toMap()["mpris:trackid"].value<QDBusObjectPath>().path(),
            "/org/mpris/MediaPlayer2/TrackList/NoTrack");
  EXPECT_EQ(idle["Metadata"].toMap().size(), 1);

  QVariantMap play = TMprisState::playerProperties(playing());
  EXPECT_EQ(play["PlaybackStatus"], "Playing");
  for (const char* can : {"CanPlay", "CanPause", "CanGoNext", "CanGoPrevious", "CanSeek"})
    EXPECT_EQ(play[can], true) << can;

  TPlayerView pausedView = playing();
  pausedView.State = psPaused;
  QVariantMap paused = TMprisState::playerProperties(pausedView);
  EXPECT_EQ(paused["PlaybackStatus"], "Paused");
  EXPECT_EQ(paused["CanPause"], true);
  EXPECT_EQ(paused["CanSeek"], false);
  pausedView.State = psStopped;
  EXPECT_EQ(TMprisState::playerProperties(pausedView)["PlaybackStatus"], "Stopped");
  EXPECT_EQ(TMprisState::playerProperties(pausedView)["CanPause"], false);
}

// The loaded song's metadata: its own track id, title (the file's name when the module has
// none), file URL and length in microseconds.
TEST(MprisStateTest, Metadata) {
  QVariantMap meta = TMprisState::playerProperties(playing())["Metadata"].toMap();
  EXPECT_EQ(meta["mpris:trackid"].value<QDBusObjectPath>().path(), "/example/vorka/Vorka/Track/2");
  EXPECT_EQ(meta["xesam:title"], "Alpha Tune");
  EXPECT_EQ(meta["xesam:url"], "file:///music/Alpha%20Tune.mod");
  EXPECT_EQ(meta["mpris:length"].typeId(), QMetaType::LongLong);
  EXPECT_EQ(meta["mpris:length"].toLongLong(), 30720000);
  TPlayerView untitled = playing();
  untitled.SongName.clear();
  EXPECT_EQ(TMprisState::playerProperties(untitled)["Metadata"].toMap()["xesam:title"], "Alpha Tune.mod");
}

// A seek moves by whole positions at the song's mean time per position (3.84 s here), at
// least one for any offset, at most the song's length; a time in the song falls in one
// position, a time past its end in none.
TEST(MprisStateTest, SeekOffsetsBecomeWholePositions) {
  const TPlayerView view = playing();
  EXPECT_EQ(TMprisState::positionsForOffset(0, view), 0);
  EXPECT_EQ(TMprisState::positionsForOffset(1, view), 1);
  EXPECT_EQ(TMprisState::positionsForOffset(-1, view), -1);
  EXPECT_EQ(TMprisState::positionsForOffset(7'700'000, view), 2);
  EXPECT_EQ(TMprisState::positionsForOffset(-11'500'000, view), -3);
  EXPECT_EQ(TMprisState::positionsForOffset(INT64_MAX, view), 8);
  EXPECT_EQ(TMprisState::positionsForOffset(5'000'000, TPlayerView{}), 0);
  EXPECT_EQ(TMprisState::positionAt(7'700'000, view), 2);
  EXPECT_EQ(TMprisState::positionAt(30'720'000, view), 7);
  EXPECT_EQ(TMprisState::positionAt(30'720'001, view), std::nullopt);
}

} // namespace

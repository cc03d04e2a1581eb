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
  EXPECT_EQ(paused["CanSeek"], true);
  pausedView.State = psStopped;
  EXPECT_EQ(TMprisState::playerProperties(pausedView)["PlaybackStatus"], "Stopped");
  EXPECT_EQ(TMprisState::playerProperties(pausedView)["CanPause"], false);

  // A song that plays while the sound server is gone is heard as paused.
  TPlayerView silenced = playing();
  silenced.Silenced = true;
  EXPECT_EQ(TMprisState::playerProperties(silenced)["PlaybackStatus"], "Paused");
}

// The loaded song's metadata: its own track id per subsong, title (the file's name when the
// module has none; the subsong when it has several), file URL, length in microseconds, and the
// artist and message only where the module has them.
TEST(MprisStateTest, Metadata) {
  QVariantMap meta = TMprisState::playerProperties(playing())["Metadata"].toMap();
  EXPECT_EQ(meta["mpris:trackid"].value<QDBusObjectPath>().path(), "/example/vorka/Vorka/Track/2/0");
  EXPECT_FALSE(meta.contains("xesam:artist"));
  EXPECT_FALSE(meta.contains("xesam:comment"));
  EXPECT_EQ(meta["xesam:title"], "Alpha Tune");
  EXPECT_EQ(meta["xesam:url"], "file:///music/Alpha%20Tune.mod");
  EXPECT_EQ(meta["mpris:length"].typeId(), QMetaType::LongLong);
  EXPECT_EQ(meta["mpris:length"].toLongLong(), 30720000);
  TPlayerView untitled = playing();
  untitled.SongName.clear();
  EXPECT_EQ(TMprisState::playerProperties(untitled)["Metadata"].toMap()["xesam:title"], "Alpha Tune.mod");
  TPlayerView told = playing();
  told.Subsong = 1;
  told.Subsongs = 3;
  told.Artist = "Jörg";
  told.Message = "line one\nline two";
  meta = TMprisState::playerProperties(told)["Metadata"].toMap();
  EXPECT_EQ(meta["mpris:trackid"].value<QDBusObjectPath>().path(), "/example/vorka/Vorka/Track/2/1");
  EXPECT_EQ(meta["xesam:title"], "Alpha Tune (2/3)");
  EXPECT_EQ(meta["xesam:artist"].toStringList(), QStringList{"Jörg"});
  EXPECT_EQ(meta["xesam:comment"].toStringList(), QStringList{"line one\nline two"});
}

// Volume, LoopStatus and Shuffle read the player's own; LoopStatus maps both ways and refuses
// other texts. Seek and SetPosition go by time: a Seek before the start goes to it, one past the
// end is none (a Next), and SetPosition outside the song is none.
TEST(MprisStateTest, VolumePlayOrderAndTime) {
  TPlayerView view = playing();
  view.Volume = 0.35;
  view.Repeat = TRepeatMode::One;
  view.Shuffle = true;
  QVariantMap props = TMprisState::playerProperties(view);
  EXPECT_EQ(props["Volume"].toDouble(), 0.35);
  EXPECT_EQ(props["LoopStatus"], "Track");
  EXPECT_EQ(props["Shuffle"], true);
  for (TRepeatMode mode : {TRepeatMode::All, TRepeatMode::One, TRepeatMode::None})
    EXPECT_EQ(TMprisState::repeatMode(TMprisState::loopStatus(mode)), mode);
  EXPECT_EQ(TMprisState::loopStatus(TRepeatMode::All), "Playlist");
  EXPECT_EQ(TMprisState::loopStatus(TRepeatMode::None), "None");
  EXPECT_EQ(TMprisState::repeatMode("playlist"), std::nullopt);

  EXPECT_DOUBLE_EQ(*TMprisState::seekTarget(2'500'000, 10.0, view), 12.5);
  EXPECT_DOUBLE_EQ(*TMprisState::seekTarget(-11'000'000, 10.0, view), 0.0);
  EXPECT_DOUBLE_EQ(*TMprisState::seekTarget(20'720'000, 10.0, view), 30.72);
  EXPECT_EQ(TMprisState::seekTarget(20'720'001, 10.0, view), std::nullopt);
  EXPECT_DOUBLE_EQ(*TMprisState::positionTarget(30'000'001, view), 30.000001);
  EXPECT_EQ(TMprisState::positionTarget(-1, view), std::nullopt);
  EXPECT_EQ(TMprisState::positionTarget(30'720'001, view), std::nullopt);
}

} // namespace

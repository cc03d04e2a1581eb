#include "visual/PatternModel.h"

#include "music/midasdll.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Solo and mute rules: a solo makes one channel heard (a muted one too), a second solo moves it,
// ending it brings back the mutes from before the first; a mute during a solo ends the solo as
// it stands; a new song hears every channel.
TEST(ChannelMutesTest, MuteAndSoloRules) {
  TChannelMutes mutes;
  mutes.reset(4);
  mutes.toggleMute(1);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{false, true, false, false}));
  mutes.toggleSolo(1);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{true, false, true, true}));
  mutes.toggleSolo(3);
  EXPECT_EQ(mutes.soloed(), 3);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{true, true, true, false}));
  mutes.toggleSolo(3);
  EXPECT_EQ(mutes.soloed(), -1);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{false, true, false, false}));
  mutes.toggleSolo(0);
  mutes.toggleMute(2);
  EXPECT_EQ(mutes.soloed(), -1);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{false, true, false, true}));
  mutes.toggleMute(7);
  mutes.toggleSolo(-1);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{false, true, false, true}));
  mutes.reset(2);
  EXPECT_EQ(mutes.mutes(), (std::vector<bool>{false, false}));
}

// A meter rises at once and falls by FallPerSecond a second; a silenced channel shows nothing.
TEST(ChannelMetersTest, RiseAtOnceFallSmoothly) {
  TChannelMeters meters;
  TPlayView view;
  view.Channels = 2;
  view.Left[0] = 0.9f;
  view.Right[1] = 1.4f;
  meters.update(view, 0.0);
  EXPECT_NEAR(meters.left(0), 0.9, 1e-6);
  EXPECT_EQ(meters.right(1), 1.0);
  view.Left[0] = 0.0f;
  meters.update(view, 0.1);
  EXPECT_NEAR(meters.left(0), 0.9 - 0.1 * TChannelMeters::FallPerSecond, 1e-6);
  meters.update(view, 10.0);
  EXPECT_EQ(meters.left(0), 0.0);
  std::vector<bool> silenced{false, true};
  meters.update(view, 0.0, &silenced);
  EXPECT_EQ(meters.right(1), 0.0);
  EXPECT_EQ(meters.left(5), 0.0);
}

// The rows around the row heard, the line above them, what is said of a channel, and the
// pattern text fetched once per pattern of a play, here through the library from a module the
// test wrote.
TEST(PatternModelTest, RowsAndHeaderOfThePatternHeard) {
  TempDir dir;
  testmod::Module m = testmod::simpleSong("Shown", 4, 2, 64, {"Lead"});
  MIDASmodule module = MIDASloadModule(dir.write("shown.xm", testmod::writeXm(m)).c_str());
  ASSERT_NE(module, 0u);
  int fetched = 0;
  TPatternModel model([&](uint32_t from, int32_t pattern) {
    ++fetched;
    TPatternText text;
    MIDASgetPatternText(from, pattern, &text);
    return text;
  });
  EXPECT_EQ(model.header(), "");
  TPlayView view;
  view.Module = module;
  view.Start = 1;
  view.Orders = 2;
  view.Pattern = 1;
  view.Row = 2;
  view.Speed = 6;
  view.Tempo = 125;
  view.Bpm = 125;
  view.Channels = 4;
  EXPECT_TRUE(model.follow(view, 0.0));
  EXPECT_EQ(model.header(), "Order 0/2  Pattern 1  Row 2/64  Speed 6  Tempo 125  BPM 125.0");
  EXPECT_EQ(model.rowsAround(7), (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(model.text().cell(0, 0).substr(0, 3), "C#5");
  EXPECT_EQ(TPatternModel::kindOf(model.text().highlight(0, 0)[0]), TCellKind::Note);
  EXPECT_EQ(TPatternModel::kindOf('.'), TCellKind::Empty);
  EXPECT_FALSE(model.follow(view, 0.02));
  view.Row = 63;
  EXPECT_TRUE(model.follow(view, 0.02));
  EXPECT_EQ(model.rowsAround(4), (std::vector<int32_t>{61, 62, 63, -1}));
  model.mutes().toggleMute(2);
  view.Row = 0;
  view.Pattern = 0;
  EXPECT_TRUE(model.follow(view, 0.02));
  EXPECT_TRUE(model.mutes().muted(2));
  EXPECT_EQ(model.channelState(2), "Channel 3 of 4: muted");
  model.mutes().toggleSolo(0);
  EXPECT_EQ(model.channelState(0), "Channel 1 of 4: soloed");
  EXPECT_EQ(model.channelState(1), "Channel 2 of 4: muted");
  EXPECT_EQ(model.channelState(4), "");
  model.mutes().toggleSolo(0);
  EXPECT_EQ(model.channelState(1), "Channel 2 of 4: heard");
  view.Start = 2;
  model.follow(view, 0.02);
  EXPECT_FALSE(model.mutes().muted(2));
  EXPECT_EQ(fetched, 3);
  MIDASfreeModule(module);
}

} // namespace

#include "game/GameLoop.h"

#include "game/Stats.h"
#include "game/board.h"
#include "game/brick.h"
#include "game/console.h"
#include "gfx/DataFolder.h"
#include "gfx/MemoryWindow.h"
#include "platform/keyboard.h"
#include "platform/random.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// The program around the game, recording what the game asks of it.
class Host : public TGameHost {
public:
  bool Active() const override { return active; }
  void PlayNext() override { calls.push_back("next"); }
  void StopMusic() override { calls.push_back("stop"); }
  void PauseMusic() override { calls.push_back("pause"); }
  void Forward() override { calls.push_back("forward"); }
  void Rewind() override { calls.push_back("rewind"); }
  void CloseGame() override { calls.push_back("close"); }
  void SetMusicPace(double tempo, double backing) override {
    char text[40];
    std::snprintf(text, sizeof text, "pace %.2f %.1f", tempo, backing);
    calls.push_back(text);
  }
  void AddScore(const std::string& name, int32_t score, int32_t level) override {
    calls.push_back("score " + name + " " + std::to_string(score) + " " + std::to_string(level));
  }

  bool active = true;
  std::vector<std::string> calls;
};

class GameLoopTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetRandomSeed(5);
    SetGameDataFolder(VORKA_OUTPUT_DIR);
    game.Build(&window, &window, false);
  }
  void TearDown() override { KeyboardState().releaseAll(); }

  // Starts a game from the menu at the console's level.
  void play() {
    game.StartGame();
    ASSERT_EQ(game.State, gsPlaying);
  }
  // One tick with `keys` held through it (pressed before, released after).
  void tick(std::initializer_list<int> keys = {}) {
    for (int vk : keys) KeyboardState().press(vk);
    game.Tick();
    for (int vk : keys) KeyboardState().release(vk);
  }
  // Ticks until the key delay lets keys act on the next tick, with `key` held.
  void enableKeys(int key) {
    KeyboardState().press(key);
    for (int i = 0; i < 3 && !game.KeysEnabled; ++i) game.Tick();
    ASSERT_TRUE(game.KeysEnabled);
  }
  // Puts the brick in shape `shape`, rotation `rotation`, with its box at (x, y).
  void place(int shape, int rotation, int x, int y) {
    game.Brick->SetShape(shape);
    game.Brick->Rotation = rotation;
    game.Brick->X = x;
    game.Brick->Y = y;
  }
  void fillRow(int row, int except = 0) {
    for (int column = 4; column <= 13; ++column)
      if (column != except) game.Board->Grid.at(column, row) = 4;
  }

  Host host;
  TMemoryWindow window{1024, 768, {0, 0, 640, 480}};
  TGameLoop game{host, "Ann"};
};

// The game is built in the menu with the welcome lines queued.
TEST_F(GameLoopTest, BuiltInTheMenu) {
  EXPECT_EQ(game.State, gsMenu);
  ASSERT_EQ(game.Console->Writer.Lines.size(), 4u);
  EXPECT_EQ(game.Console->Writer.Lines[0], "Welcome Ann");
  EXPECT_EQ(game.Console->Writer.Lines[1], "VORKA beta 3");
  EXPECT_NO_THROW(game.Frame());
}

// While the window is not active a tick does nothing: no key acts and nothing moves. A key
// pressed before the game was built (the Escape that closed a dialog) is not the game's either.
TEST_F(GameLoopTest, InactiveWindowDoesNothing) {
  host.active = false;
  const int frame = game.Board->AnimFrame;
  tick({VK_DOWN});
  tick({VK_DOWN});
  EXPECT_EQ(game.Board->AnimFrame, frame);
  EXPECT_EQ(game.Console->Cursor, 1);
  host.active = true;
  tick({VK_DOWN});
  EXPECT_EQ(game.Console->Cursor, 2);

  KeyboardState().press(VK_ESCAPE);
  KeyboardState().release(VK_ESCAPE);
  game.Build(&window, &window, false);
  tick();
  EXPECT_TRUE(host.calls.empty());
}

// The level rises on the first play tick after the fifth clearing lock, and the brick falls
// faster; level 10 keeps its zero delay and never rises.
TEST_F(GameLoopTest, LevelUp) {
  play();
  game.ClearCount = 4;
  tick();
  EXPECT_EQ(game.Console->Level, 1);
  game.ClearCount = 5;
  tick();
  EXPECT_EQ(game.Console->Level, 2);
  EXPECT_EQ(game.Brick->FallDelay, 15);
  tick();
  EXPECT_EQ(game.Console->Level, 2);

  game.Console->Level = 10;
  play();
  EXPECT_EQ(game.Brick->FallDelay, 0);
  game.ClearCount = 1000;
  tick();
  EXPECT_EQ(game.Console->Level, 10);
}

// Each accepted Down adds the level's points, also when the brick cannot go down; then the
// next frame pushes it into the stack and the following tick locks it.
TEST_F(GameLoopTest, SoftDrop) {
  game.Console->Level = 3;
  play();
  place(1, 1, 3, 19); // the bar lying on row 21
  enableKeys(VK_DOWN);
  game.Tick();
  EXPECT_EQ(game.Console->Score, 3);
  EXPECT_EQ(game.Brick->FallCounter, game.Brick->FallDelay);
  game.Frame();
  EXPECT_EQ(game.Brick->Y, 20);
  KeyboardState().releaseAll();
  tick();
  EXPECT_EQ(game.Board->Grid.at(4, 21), 3);
  EXPECT_EQ(game.Stats->BricksUsed, 1);
}

// Four rows at once: 1000 points, 8 to the bomb meter, one clearing lock, one quadruple; the
// explosion then runs and the rows collapse.
TEST_F(GameLoopTest, FourRows) {
  play();
  for (int row = 18; row <= 21; ++row) fillRow(row, 13);
  place(1, 2, 10, 18); // the standing bar in column 13, overlapping the floor
  tick();
  EXPECT_EQ(game.State, gsScoring);
  EXPECT_EQ(game.RowsCleared, 4);
  tick();
  EXPECT_EQ(game.Console->Score, 1000);
  EXPECT_EQ(game.Console->BombPercent, 8);
  EXPECT_EQ(game.ClearCount, 1);
  EXPECT_EQ(game.Stats->Counts[3], 1);
  EXPECT_EQ(game.State, gsExploding);
  const std::string message = game.Console->Writer.Lines.back();
  EXPECT_TRUE(message == "Yes! 1000 pts! " || message == "4 Rows away!!!" ||
              message == "Booooooooooom!" || message == "You are a real pro!")
      << message;
  for (int i = 0; i < 500 && game.State == gsExploding; ++i) tick();
  EXPECT_EQ(game.State, gsCollapsing);
  tick();
  EXPECT_EQ(game.State, gsPlaying);
  for (int row = 18; row <= 21; ++row) EXPECT_EQ(game.Board->Grid.at(4, row), 1);
}

// Space with a meter too small for the highest row changes nothing for one tick; a meter that
// pays blasts the row and the explosion follows without points.
TEST_F(GameLoopTest, Bomb) {
  play();
  fillRow(20, 13);
  game.Console->BombPercent = 5;
  enableKeys(VK_SPACE);
  game.Tick();
  KeyboardState().releaseAll();
  EXPECT_EQ(game.State, gsBomb);
  tick();
  EXPECT_EQ(game.State, gsPlaying);
  EXPECT_EQ(game.Console->BombPercent, 5);

  game.Console->BombPercent = 20;
  game.State = gsBomb;
  tick();
  EXPECT_EQ(game.State, gsExploding);
  EXPECT_EQ(game.Console->BombPercent, 2);
  EXPECT_EQ(game.Console->Score, 0);
  EXPECT_EQ(game.ClearCount, 0);
}

// A held key acts on every second tick, twice in a row where the pattern wraps: ticks 0, 2,
// 4, 6, 8, 9, 11 of the hold.
TEST_F(GameLoopTest, KeyDelayPattern) {
  play();
  place(1, 2, 10, 3); // the standing bar in column 13, room to move left to column 4
  KeyboardState().press(VK_LEFT);
  game.Tick(); // the tick that first sees the key: keys act from the next one
  std::vector<int> moves;
  for (int t = 0; t < 12; ++t) {
    const int before = game.Brick->X;
    game.Tick();
    if (game.Brick->X != before) moves.push_back(t);
  }
  EXPECT_EQ(moves, (std::vector<int>{0, 2, 4, 6, 8, 9, 11}));
}

// A tap between two ticks acts once, in the next tick, whatever the key pattern says; a key that
// goes down with no other key held acts at its press, the next tick leaves it alone and the
// pattern goes on from there; with another key held it waits for the ticks.
TEST_F(GameLoopTest, TapsAndFirstPresses) {
  play();
  place(1, 2, 5, 3); // the standing bar in column 8
  for (int i = 0; i < 3; ++i) {
    KeyboardState().press(VK_LEFT);
    KeyboardState().release(VK_LEFT);
    game.Tick();
    game.Tick();
  }
  EXPECT_EQ(game.Brick->X, 2);

  KeyboardState().press(VK_RIGHT);
  ASSERT_TRUE(game.KeyPressed(VK_RIGHT));
  EXPECT_EQ(game.Brick->X, 3);
  std::vector<int> moves;
  for (int t = 0; t < 6; ++t) {
    const int before = game.Brick->X;
    game.Tick();
    if (game.Brick->X != before) moves.push_back(t);
  }
  EXPECT_EQ(moves, (std::vector<int>{2, 4})) << "the held key keeps the pattern's rhythm";

  KeyboardState().press(VK_LEFT);
  EXPECT_FALSE(game.KeyPressed(VK_LEFT)) << "another key is held";
  EXPECT_EQ(game.Brick->X, 5);
  KeyboardState().releaseAll();
  game.Tick();
  game.Tick();

  // A tap that acted at its press does not act again in the tick.
  KeyboardState().press(VK_LEFT);
  ASSERT_TRUE(game.KeyPressed(VK_LEFT));
  KeyboardState().release(VK_LEFT);
  const int x = game.Brick->X;
  game.Tick();
  game.Tick();
  EXPECT_EQ(game.Brick->X, x);

  // The frame drawn for a key adds no gravity; an inactive window's frames neither.
  const int counter = game.Brick->FallCounter;
  game.Frame(false);
  EXPECT_EQ(game.Brick->FallCounter, counter);
  host.active = false;
  KeyboardState().press(VK_LEFT);
  EXPECT_FALSE(game.KeyPressed(VK_LEFT));
  KeyboardState().release(VK_LEFT);
  for (int i = 0; i < 3 * game.Brick->FallDelay; ++i) {
    game.Tick();
    game.Frame();
  }
  EXPECT_EQ(game.Brick->FallCounter, counter);
  host.active = true;
  game.Tick();
  EXPECT_EQ(game.Brick->X, x) << "a press made while inactive is dropped";
}

// With handling of the player's own, held moves keep their own time: the press moves at once, the
// first repeat comes after the delay and then as many cells a tick as the interval has fallen
// due; Down drops at its own interval; a move acts at its press while another key is held; a
// late tick catches up only its last 100 ms.
TEST_F(GameLoopTest, TimedHandling) {
  double now = 0;
  game.Clock = [&now] { return now; };
  game.Options.RepeatDelay = 100;
  game.Options.RepeatInterval = 33;
  game.Options.SoftDropInterval = 20;
  play();
  place(1, 2, 1, 3); // the standing bar in column 4, room to move right to column 13
  const auto hold = [&](int key, std::vector<int>& positions, const std::function<int()>& where) {
    KeyboardState().press(key);
    ASSERT_TRUE(game.KeyPressed(key));
    positions.push_back(where());
    for (int t = 1; t <= 5; ++t) {
      now += 50;
      game.Tick();
      positions.push_back(where());
    }
  };
  std::vector<int> columns;
  hold(VK_RIGHT, columns, [&] { return game.Brick->X; });
  // Repeats at 100, 133, 166, 199, 232 ms after the press at 0.
  EXPECT_EQ(columns, (std::vector<int>{2, 2, 3, 4, 6, 7}));

  // Down held with Right still down: it acts at its press, then every 20 ms.
  std::vector<int> rows;
  const int score = game.Console->Score;
  hold(VK_DOWN, rows, [&] { return game.Brick->Y; });
  EXPECT_EQ(rows, (std::vector<int>{4, 6, 9, 11, 14, 16}));
  EXPECT_EQ(game.Console->Score - score, 13 * game.Console->Level);
  KeyboardState().releaseAll();
  game.Tick();

  // A stall of a second moves the held key by its last 100 ms only.
  place(1, 2, 1, 3);
  KeyboardState().press(VK_RIGHT);
  ASSERT_TRUE(game.KeyPressed(VK_RIGHT));
  now += 1000;
  game.Tick();
  EXPECT_EQ(game.Brick->X, 2 + 4);

  // A tap whose release no play tick saw (rows exploding meanwhile) leaves the next press whole.
  KeyboardState().release(VK_RIGHT);
  game.State = gsExploding;
  game.Board->RowMarks.fill(0);
  now += 1;
  game.Tick();
  game.State = gsPlaying;
  KeyboardState().press(VK_RIGHT);
  ASSERT_TRUE(game.KeyPressed(VK_RIGHT));
  EXPECT_EQ(game.Brick->X, 2 + 4 + 1);
}

// With the music following the game, a new game sets the tempo of its level (2 % a level above
// the first), a level gained raises it, a pile in the top quarter turns the backing down until
// the rows are cleared, and the next game at level 1 brings the tempo back; nothing is said while
// the pace stays, and nothing at all with the option off.
TEST_F(GameLoopTest, MusicFollowsTheGame) {
  game.Tick();
  EXPECT_TRUE(host.calls.empty());
  game.Options.MusicFollows = true;
  game.Console->Level = 3;
  play();
  game.Tick();
  game.Tick();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"pace 1.04 1.0"}));
  game.ClearCount = LevelThreshold[3];
  game.Tick();
  EXPECT_EQ(host.calls.back(), "pace 1.06 1.0");
  for (int row = 5; row <= 21; ++row) fillRow(row, 13);
  game.Tick();
  EXPECT_EQ(host.calls.back(), "pace 1.06 0.3");
  for (int row = 5; row <= 7; ++row) game.Board->Grid.at(13, row) = 4;
  game.Board->FindFullRows();
  game.Board->EmptyMarkedRows();
  game.Board->CollapseMarkedRows();
  game.Tick();
  EXPECT_EQ(host.calls.back(), "pace 1.06 1.0");
  game.Console->Level = 1;
  game.ClearCount = 0;
  play();
  game.Tick();
  EXPECT_EQ(host.calls.back(), "pace 1.00 1.0");
  EXPECT_EQ(host.calls.size(), 5u);
}

// Holding P switches between playing and paused on every tick keys act on.
TEST_F(GameLoopTest, PauseToggles) {
  play();
  place(1, 2, 5, 3);
  enableKeys(kKeyPause);
  std::vector<int> states;
  for (int t = 0; t < 6; ++t) {
    game.Tick();
    states.push_back(game.State);
  }
  EXPECT_EQ(states, (std::vector<int>{gsPaused, gsPaused, gsPlaying, gsPlaying, gsPaused, gsPaused}));
}

// A new brick on occupied cells ends the game in the same tick without being written; the next
// tick enters the result; a new game keeps the level, with score and bomb 0 and an empty field.
TEST_F(GameLoopTest, GameOverAndNextGame) {
  game.Console->Level = 4;
  play();
  for (int row = 2; row <= 3; ++row)
    for (int column = 6; column <= 9; ++column) game.Board->Grid.at(column, row) = 5;
  place(1, 1, 3, 19); // resting on the floor
  game.Frame();       // gravity pushes it into the floor
  game.Brick->FallCounter = game.Brick->FallDelay;
  game.Frame();
  game.Console->Score = 777;
  tick();
  EXPECT_EQ(game.State, gsGameOver);
  for (int column = 6; column <= 9; ++column) EXPECT_EQ(game.Board->Grid.at(column, 4), 1);
  tick();
  EXPECT_EQ(game.State, gsResults);
  EXPECT_EQ(host.calls.back(), "score Ann 777 4");
  EXPECT_EQ(game.Stats->Points, 777);
  EXPECT_EQ(game.Console->Writer.Lines.back(), "GAME OVER");
  EXPECT_NO_THROW(game.Frame());

  game.Console->BombPercent = 9;
  game.Console->Cursor = 0;
  tick({VK_RETURN});
  EXPECT_EQ(game.State, gsPlaying);
  EXPECT_EQ(game.Console->Level, 4);
  EXPECT_EQ(game.Console->Score, 0);
  EXPECT_EQ(game.Console->BombPercent, 0);
  EXPECT_EQ(game.Brick->FallDelay, 10);
  for (int row = 1; row <= 21; ++row)
    for (int column = 4; column <= 13; ++column) EXPECT_EQ(game.Board->Grid.at(column, row), 1);
}

// The music keys work in every state, QUIT and Escape close the window.
TEST_F(GameLoopTest, MusicKeysAndClosing) {
  enableKeys('N');
  game.Tick();
  KeyboardState().releaseAll();
  EXPECT_EQ(host.calls, std::vector<std::string>{"next"});
  host.calls.clear();
  enableKeys(kKeyStopMusic);
  KeyboardState().press(kKeyForward);
  KeyboardState().press(kKeyRewind);
  KeyboardState().press(VK_ESCAPE);
  game.Tick();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"stop", "forward", "rewind", "close"}));
  KeyboardState().releaseAll();
  host.calls.clear();
  game.Console->Cursor = 10;
  tick({VK_RETURN});
  EXPECT_EQ(host.calls, std::vector<std::string>{"close"});
}

} // namespace

#pragma once

#include "game/GameOptions.h"
#include "game/KeyRepeat.h"
#include "game/Types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TAnimSprite;
class TBoard;
class TBrick;
class TConsole;
class TDisplayWindow;
class TDX;
class TGhostBrick;
class TNextPreview;
class TStats;

// What the game needs of the program around it. Called from the tick, on the heartbeat thread:
// every member must be safe from there (the game window hands them to its own thread).
class TGameHost {
public:
  // False while the game window is not the active window: the tick then does nothing, and a
  // frame neither lets the brick fall nor shows it (the pause sign stands in its place).
  virtual bool Active() const = 0;
  virtual void PlayNext() = 0;
  virtual void StopMusic() = 0;
  virtual void PauseMusic() = 0;
  virtual void Forward() = 0;
  virtual void Rewind() = 0;
  virtual void CloseGame() = 0;
  // The music plays at `tempoFactor` times its tempo and every channel but the first at
  // `backingVolume` of its own; (1, 1) plays it as written.
  virtual void SetMusicPace(double tempoFactor, double backingVolume) = 0;
  virtual void AddScore(const std::string& name, int32_t score, int32_t level) = 0;

protected:
  ~TGameHost() = default;
};

// The game: its objects, its state machine and the rules of play. Tick runs one game tick
// (keys, state work, music keys, key delay), KeyPressed answers a key the moment it goes down,
// and Frame draws one frame and shows it. None takes a lock: the caller keeps them apart (a
// tick on the heartbeat thread, a key and a frame on the window's). All may throw; the caller
// decides what a failure does.
//
// Keys: each tick looks at every key, held now or pressed since the last look (the key table
// keeps a press until it is looked at). A held key acts on the ticks the key pattern enables; a
// key pressed and already released again acts once, in the next tick, whatever the pattern.
// With handling of the player's own (Options), held Left, Right and Down move by their own
// timers instead, as many cells in a tick as have fallen due.
class TGameLoop {
public:
  TGameLoop(TGameHost& host, std::string playerName);
  ~TGameLoop();
  TGameLoop(const TGameLoop&) = delete;
  TGameLoop& operator=(const TGameLoop&) = delete;

  // Builds the display (full screen at 640 x 480 or windowed) and the game objects, in the
  // menu, with the welcome lines queued. Throws when a part cannot be made (a bitmap missing,
  // say): the loop then stays unbuilt, and a later Build tries again, in the mode it is given,
  // on the same display device, which stays so that its window stays open.
  void Build(TDisplayWindow* form, TDisplayWindow* panel, bool fullScreen);
  // True once Build has made every part.
  bool Built() const { return m_built; }
  // Neither does anything while the loop is not built.
  void Tick();
  // A key (virtual-key code) went down. When no other key of the pattern's range (codes 1 to
  // 90) is held, it acts at once, as an enabled tick would with only the keys down now, and
  // the pattern counts on from this press (the next tick acts on no held key). A move with
  // timed handling acts at once whatever else is held. True when it acted: the caller then
  // draws a frame straight away. Nothing while unbuilt or inactive.
  bool KeyPressed(int virtualKey);
  // Draws and shows a frame; `fall` is false for a frame drawn for a key between the
  // heartbeat's frames, which must not add a step of gravity.
  void Frame(bool fall = true);
  // Switches a built loop between the window and full screen.
  void ToggleFullScreen();
  // Frees the game objects, the display device last (which leaves full screen).
  void Free();

  // One step of each rule, as Tick runs them.
  void UpdateKeyDelay();
  void PlayTick();
  void ScoringTick();
  void BombTick();
  void MenuTick();
  void RecordResult();
  void StartGame();

  TGameHost& Host;
  // Read on every tick and frame; set it between them.
  TGameOptions Options;
  // The time in ms on a steady clock, for the timed repeats; the system's steady clock unless
  // set.
  std::function<double()> Clock;
  std::unique_ptr<TDX> Display;
  std::unique_ptr<TBoard> Board;
  std::unique_ptr<TBrick> Brick;
  std::unique_ptr<TConsole> Console;
  std::unique_ptr<TAnimSprite> PauseSprite;
  std::unique_ptr<TNextPreview> NextPreview;
  std::unique_ptr<TGhostBrick> Ghost;
  TGameState State = gsMenu;
  std::unique_ptr<TStats> Stats;
  std::string PlayerName;
  int32_t RowsCleared = 0;
  int32_t ClearCount = 0;
  std::array<uint8_t, 10> KeyPattern{1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
  int32_t KeyPatternRestart = 0;
  int32_t KeyPatternLength = 9;
  int32_t KeyPatternIndex = 0;
  bool KeysEnabled = false;

  // With Options.MusicFollows: the tempo rises this much a level above the first, and the
  // other channels than the first fall to this volume while the pile reaches the top quarter of
  // the field (rows 1 to kHighPile).
  static constexpr double kTempoStep = 0.02;
  static constexpr double kBackingVolume = 0.3;
  static constexpr int32_t kHighPile = 5;

  // The two lines of the maker's credit, short enough for the message panel.
  static constexpr const char* kCredits[2] = {"Freeware by VORKA team", "Music: vorka.example"};

  // The highest key code that keeps the key pattern going.
  static constexpr int kLastPatternKey = 90;

private:
  // Reads the key table into the look below; a press stays until a tick or a key has acted.
  void look();
  // Whether `virtualKey` acts now: held (or newly pressed) while `enabled`, or pressed and
  // released again since it last could act.
  bool down(int virtualKey, bool enabled) const;
  bool key(int virtualKey) const { return down(virtualKey, KeysEnabled); }
  // How often move key `virtualKey` acts in this tick: once or not by the key pattern, or as
  // many times as its timer has fallen due.
  int moves(int virtualKey);
  // One step of move key `virtualKey` (Left, Right or Down): true when the brick moved.
  bool step(int virtualKey);
  bool shift(int columns);
  bool softDrop();
  void musicKeys();
  // Tells the host the music's pace for the level and the pile, when it changed.
  void followMusic();
  void stateTick();
  // The part of a tick that answers keys: pausing, the menu, the moves of play.
  void keyTick();
  void stateFrame(bool fall);
  void freeObjects();

  bool m_built = false;
  std::array<bool, 256> m_held{};
  std::array<bool, 256> m_pressed{};
  bool m_quiet = false; // a key acted at its press: the next tick leaves held keys alone
  std::array<TKeyRepeat, 3> m_repeats; // Left, Right, Down with timed handling
  bool m_played = false;                  // a game has started since the build
  double m_tempo = 1, m_backing = 1;      // the pace the host was last given
};

#pragma once

#include "gfx/AnimSprite.h"
#include "gfx/Text.h"
#include "gfx/TextWriter.h"
#include "gfx/digits.h"

#include <cstdint>
#include <functional>
#include <string>

class TDX;

// The right-hand side of the game screen: the panels, score, level and bomb meter, the
// message line and the menu before a game and after GAME OVER (start a game, pick the start
// level, drive the music, quit). It holds the running game's score, level and bomb percentage.
// No locks: the game keeps tick and frame apart.
class TConsole {
public:
  // HandleKeys' results.
  enum : int32_t { kNothing = 0, kPlayGame = 1, kQuit = 2 };

  // Loads the panels, the font, the digits and the menu bar.
  explicit TConsole(TDX* display);

  void Update() { Writer.Update(); }
  void AddMessage(const std::string& text) { Writer.Add(text); }
  void ClearMenu() const;
  void DrawPanels() const;
  void DrawMenu();
  // Acts on the menu keys that `down` reports (virtual-key codes): the arrows move the bar or
  // change the level, Enter acts on the bar's row. Returns kPlayGame or kQuit for those rows,
  // else kNothing.
  int32_t HandleKeys(const std::function<bool(int)>& down);

  // The music commands of the menu rows, set by the game window.
  std::function<void()> OnPlayNext, OnStop, OnPause, OnForward, OnRewind;

  TDX* Display;
  int32_t HeaderImage = -1, ScoreImage = -1, BottomImage = -1, BorderImage = -1;
  TTextWriter Writer;
  TAnimSprite MenuBar;
  TDigits Digits;
  int32_t Score = 0;
  int32_t Level = 1;
  int32_t BombPercent = 0;
  TText Text;
  int32_t Cursor = 1;

private:
  struct TPanels {
    int32_t Header, Bottom, Score, Border;
  };
  static TPanels loadPanels(TDX* display);
  explicit TConsole(TDX* display, TPanels panels);
  void act(const std::function<void()>& command) const;
};

#include "game/GameLoop.h"

#include "game/GhostBrick.h"
#include "game/NextPreview.h"
#include "game/Stats.h"
#include "game/board.h"
#include "game/brick.h"
#include "game/console.h"
#include "gfx/AnimSprite.h"
#include "gfx/DX.h"
#include "platform/keyboard.h"
#include "platform/random.h"

#include <chrono>

namespace {

constexpr uint8_t kFullScreenMode = 0;
constexpr uint8_t kWindowedMode = 4;
constexpr int32_t kMaxLevel = 10;
constexpr const char* kVersion = "beta 3";

// The keys that move the brick, in the order of their repeat timers.
constexpr int kMoveKeys[] = {VK_LEFT, VK_RIGHT, VK_DOWN};

int moveIndex(int virtualKey) {
  for (int i = 0; i < 3; ++i)
    if (kMoveKeys[i] == virtualKey) return i;
  return -1;
}

double steadyMilliseconds() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

} // namespace

TGameLoop::TGameLoop(TGameHost& host, std::string playerName)
    : Host(host), Clock(steadyMilliseconds), PlayerName(std::move(playerName)) {}

TGameLoop::~TGameLoop() = default;

void TGameLoop::Build(TDisplayWindow* form, TDisplayWindow* panel, bool fullScreen) {
  m_built = false;
  State = gsMenu;
  // A display device that is already there is kept: freeing it would close its window. What an
  // earlier, failed build made goes, images included.
  freeObjects();
  if (!Display)
    Display = std::make_unique<TDX>(form, panel);
  else
    Display->FreeImages();
  Display->SetMode(fullScreen ? kFullScreenMode : kWindowedMode);
  Board = std::make_unique<TBoard>(Display.get());
  Board->Clear();
  Brick = std::make_unique<TBrick>(Display.get());
  Brick->Overlaps = [this](int32_t x, int32_t y, int32_t shapeBase, int32_t rotation) {
    return Board->Collides(x, y, shapeBase, rotation);
  };
  PauseSprite = std::make_unique<TAnimSprite>(Display.get(), 111, 23, 2, "panel_pause.bmp");
  PauseSprite->Delay = 15;
  NextPreview = std::make_unique<TNextPreview>(Display.get());
  Ghost = std::make_unique<TGhostBrick>(Display.get());
  Stats = std::make_unique<TStats>(Display.get());
  Console = std::make_unique<TConsole>(Display.get());
  Console->OnPlayNext = [this] { Host.PlayNext(); };
  Console->OnStop = [this] { Host.StopMusic(); };
  Console->OnPause = [this] { Host.PauseMusic(); };
  Console->OnForward = [this] { Host.Forward(); };
  Console->OnRewind = [this] { Host.Rewind(); };
  Console->AddMessage(TText::Format("Welcome %s", PlayerName.c_str()));
  Console->AddMessage(TText::Format("VORKA %s", kVersion));
  for (const char* line : kCredits) Console->AddMessage(line);
  KeyPattern = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
  KeyPatternRestart = 0;
  KeyPatternLength = 9;
  KeyPatternIndex = 0;
  KeysEnabled = false;
  // Keys pressed before the game was there (the Escape that closed a dialog) are not its own.
  look();
  m_pressed.fill(false);
  m_quiet = false;
  for (TKeyRepeat& repeat : m_repeats) repeat.release();
  m_played = false;
  m_built = true;
}

void TGameLoop::look() {
  for (int code = 1; code < static_cast<int>(m_held.size()); ++code) {
    const auto state = static_cast<uint16_t>(GetAsyncKeyState(code));
    m_held[code] = (state & 0x8000) != 0;
    if (state & 1) m_pressed[code] = true;
  }
}

bool TGameLoop::down(int virtualKey, bool enabled) const {
  if (virtualKey < 1 || virtualKey >= static_cast<int>(m_held.size())) return false;
  if (m_pressed[virtualKey] && !m_held[virtualKey]) return true;
  return enabled && m_held[virtualKey];
}

void TGameLoop::Tick() {
  if (!m_built) return;
  if (!Host.Active()) {
    // Keys pressed for another window are not the game's: they are dropped, not kept.
    look();
    m_pressed.fill(false);
    return;
  }
  look();
  Board->Update();
  Console->Update();
  stateTick();
  followMusic();
  musicKeys();
  UpdateKeyDelay();
  m_pressed.fill(false);
  m_quiet = false;
}

bool TGameLoop::KeyPressed(int virtualKey) {
  if (!m_built || !Host.Active() || virtualKey < 1 || virtualKey > kLastPatternKey) return false;
  if (!Options.ClassicHandling() && State == gsPlaying && moveIndex(virtualKey) >= 0) {
    // A timed move is the key's own: it acts now even while another key is held, and its
    // repeats count from this press, whatever an earlier press of it left.
    look();
    m_repeats[moveIndex(virtualKey)].release();
    if (moves(virtualKey) > 0) step(virtualKey);
    m_pressed[virtualKey] = false;
    return true;
  }
  for (int code = 1; code <= kLastPatternKey; ++code)
    if (code != virtualKey && KeyboardState().held(code)) return false;
  look();
  KeysEnabled = true;
  m_quiet = false;
  keyTick();
  musicKeys();
  m_pressed.fill(false);
  // The press took the pattern's first step: the next tick leaves held keys alone, and the
  // pattern goes on from its second step, as if the press had come a tick earlier.
  KeysEnabled = false;
  m_quiet = true;
  KeyPatternIndex = KeyPatternLength > 1 ? 1 : KeyPatternRestart;
  return true;
}

void TGameLoop::stateTick() {
  switch (State) {
  case gsGameOver: RecordResult(); break;
  case gsBomb: BombTick(); break;
  case gsScoring: ScoringTick(); break;
  case gsExploding:
    if (!Board->AnimateExplosion()) State = gsCollapsing;
    break;
  case gsCollapsing:
    Board->CollapseMarkedRows();
    State = gsPlaying;
    break;
  default: keyTick(); break;
  }
}

void TGameLoop::keyTick() {
  switch (State) {
  case gsPaused:
    if (key(kKeyPause)) State = gsPlaying;
    break;
  case gsMenu:
  case gsResults: MenuTick(); break;
  case gsPlaying: PlayTick(); break;
  default: break;
  }
}

void TGameLoop::musicKeys() {
  if (key(kKeyNextSong)) Host.PlayNext();
  if (key(kKeyStopMusic)) Host.StopMusic();
  if (key(kKeyForward)) Host.Forward();
  if (key(kKeyRewind)) Host.Rewind();
  if (key(VK_ESCAPE)) Host.CloseGame();
}

void TGameLoop::followMusic() {
  if (!Options.MusicFollows) return;
  const bool inGame = State != gsMenu && State != gsResults && State != gsGameOver;
  const double tempo = m_played ? 1 + kTempoStep * (Console->Level - 1) : 1;
  const double backing = inGame && Board->TopRow() <= kHighPile ? kBackingVolume : 1;
  if (tempo == m_tempo && backing == m_backing) return;
  m_tempo = tempo;
  m_backing = backing;
  Host.SetMusicPace(tempo, backing);
}

void TGameLoop::UpdateKeyDelay() {
  KeysEnabled = false;
  bool pressed = false;
  for (int code = 1; code <= kLastPatternKey && !pressed; ++code) {
    if (!m_held[code] && !m_pressed[code]) continue;
    pressed = true;
    KeysEnabled = KeyPattern[KeyPatternIndex] == 1;
  }
  if (!pressed) {
    KeyPatternIndex = 0;
    return;
  }
  if (++KeyPatternIndex >= KeyPatternLength) KeyPatternIndex = KeyPatternRestart;
}

void TGameLoop::MenuTick() {
  // The menu answers held keys on every tick, not by the pattern.
  switch (Console->HandleKeys([this](int vk) { return down(vk, !m_quiet); })) {
  case TConsole::kPlayGame: StartGame(); break;
  case TConsole::kQuit: Host.CloseGame(); break;
  default: break;
  }
}

void TGameLoop::StartGame() {
  Console->Score = 0;
  Console->BombPercent = 0;
  Brick->FallDelay = LevelFallDelay[Console->Level - 1];
  Board->Clear();
  Stats->Reset();
  State = gsPlaying;
  m_played = true;
}

void TGameLoop::PlayTick() {
  TBrick& b = *Brick;
  TBoard& board = *Board;
  RowsCleared = 0;
  if (Console->Level != kMaxLevel && ClearCount >= LevelThreshold[Console->Level]) {
    ++Console->Level;
    b.FallDelay = LevelFallDelay[Console->Level - 1];
  }
  if (key(VK_UP) && !board.Collides(b.X, b.Y, b.ShapeBase, b.Rotation + 1)) b.Rotate();
  for (int move : kMoveKeys)
    for (int n = moves(move); n > 0 && step(move); --n) {}
  if (key(VK_SPACE)) State = gsBomb;
  if (key(kKeyPause)) State = gsPaused;
  if (board.Collides(b.X, b.Y, b.ShapeBase, b.Rotation)) {
    board.Lock(b.X, b.Y, b.ShapeBase, b.Rotation);
    b.NewBrick();
    ++Stats->BricksUsed;
    RowsCleared = board.FindFullRows();
    if (RowsCleared > 0) {
      Stats->AddClear(RowsCleared);
      State = gsScoring;
    }
  }
  if (board.Collides(b.X, b.Y, b.ShapeBase, b.Rotation) && b.Y < 2) State = gsGameOver;
}

int TGameLoop::moves(int virtualKey) {
  if (Options.ClassicHandling()) return key(virtualKey) ? 1 : 0;
  TKeyRepeat& repeat = m_repeats[moveIndex(virtualKey)];
  if (!m_held[virtualKey]) {
    repeat.release();
    return m_pressed[virtualKey] ? 1 : 0; // a tap since the last look
  }
  const double now = Clock();
  if (repeat.held()) return repeat.take(now);
  if (virtualKey == VK_DOWN)
    repeat.press(now, Options.SoftDropInterval, Options.SoftDropInterval);
  else
    repeat.press(now, Options.RepeatDelay, Options.RepeatInterval);
  return 1;
}

bool TGameLoop::step(int virtualKey) {
  return virtualKey == VK_DOWN ? softDrop() : shift(virtualKey == VK_LEFT ? -1 : 1);
}

bool TGameLoop::shift(int columns) {
  TBrick& b = *Brick;
  if (Board->Collides(b.X + columns, b.Y, b.ShapeBase, b.Rotation)) return false;
  b.X += columns;
  return true;
}

bool TGameLoop::softDrop() {
  TBrick& b = *Brick;
  Console->Score += Console->Level;
  if (Board->Collides(b.X, b.Y + 1, b.ShapeBase, b.Rotation)) {
    // Resting on the stack: the next frame's gravity locks it.
    b.SetFallCounter(b.FallDelay);
    return false;
  }
  ++b.Y;
  b.ResetFallCounter();
  return true;
}

void TGameLoop::ScoringTick() {
  Console->Score += RowPoints[RowsCleared];
  Console->BombPercent += 2 * RowsCleared;
  Console->AddMessage(ClearMessages[RowsCleared - 1][Random(4)]);
  ++ClearCount;
  Board->EmptyMarkedRows();
  Board->AnimateExplosion();
  State = gsExploding;
}

void TGameLoop::BombTick() {
  const int32_t left = Board->Bomb(Console->BombPercent);
  if (left == Console->BombPercent) {
    State = gsPlaying;
    return;
  }
  Console->BombPercent = left;
  State = gsExploding;
}

void TGameLoop::RecordResult() {
  Stats->Points = Console->Score;
  Console->AddMessage("GAME OVER");
  Host.AddScore(PlayerName, Console->Score, Console->Level);
  State = gsResults;
}

void TGameLoop::Frame(bool fall) {
  if (!m_built) return;
  Console->ClearMenu();
  Board->DrawBackground();
  Board->Draw();
  Console->DrawPanels();
  if (Options.ShowNext) {
    const bool inGame = State != gsMenu && State != gsResults && State != gsGameOver;
    NextPreview->Draw(inGame ? Brick->NextShape : -1);
  }
  stateFrame(fall);
  Display->Flip();
}

void TGameLoop::stateFrame(bool fall) {
  switch (State) {
  case gsPaused: PauseSprite->Draw(128, 150); break;
  case gsMenu: Console->DrawMenu(); break;
  case gsPlaying:
  case gsBomb:
    // An inactive window holds the brick where it is and shows the pause sign in its place.
    if (Host.Active()) {
      if (Options.ShowGhost) Ghost->Draw(*Board, *Brick);
      Brick->Draw(fall);
    }
    else
      PauseSprite->Draw(128, 150);
    break;
  case gsResults:
    Stats->Draw();
    Console->DrawMenu();
    break;
  case gsExploding: Board->DrawExplosion(); break;
  default: break;
  }
}

void TGameLoop::ToggleFullScreen() {
  if (!m_built) return;
  Display->SetMode(Display->Mode == kWindowedMode ? kFullScreenMode : kWindowedMode);
}

void TGameLoop::freeObjects() {
  m_built = false;
  Board.reset();
  Brick.reset();
  Console.reset();
  PauseSprite.reset();
  NextPreview.reset();
  Ghost.reset();
  Stats.reset();
}

void TGameLoop::Free() {
  freeObjects();
  Display.reset();
}

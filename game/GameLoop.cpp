#include "game/GameLoop.h"

#include "game/Stats.h"
#include "game/board.h"
#include "game/brick.h"
#include "game/console.h"
#include "gfx/AnimSprite.h"
#include "gfx/DX.h"
#include "platform/keyboard.h"
#include "platform/random.h"

namespace {

constexpr uint8_t kFullScreenMode = 0;
constexpr uint8_t kWindowedMode = 4;
constexpr int32_t kMaxLevel = 10;
constexpr const char* kVersion = "beta 3";

} // namespace

TGameLoop::TGameLoop(TGameHost& host, std::string playerName)
    : Host(host), PlayerName(std::move(playerName)) {}

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
  m_built = true;
}

bool TGameLoop::key(int virtualKey) const {
  return KeysEnabled && Display->KeyDown(static_cast<uint16_t>(virtualKey));
}

void TGameLoop::Tick() {
  if (!m_built || !Host.Active()) return;
  Board->Update();
  Console->Update();
  stateTick();
  musicKeys();
  UpdateKeyDelay();
}

void TGameLoop::stateTick() {
  switch (State) {
  case gsPaused:
    if (key(kKeyPause)) State = gsPlaying;
    break;
  case gsMenu:
  case gsResults: MenuTick(); break;
  case gsPlaying: PlayTick(); break;
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
  }
}

void TGameLoop::musicKeys() {
  if (key(kKeyNextSong)) Host.PlayNext();
  if (key(kKeyStopMusic)) Host.StopMusic();
  if (key(kKeyForward)) Host.Forward();
  if (key(kKeyRewind)) Host.Rewind();
  if (key(VK_ESCAPE)) Host.CloseGame();
}

void TGameLoop::UpdateKeyDelay() {
  KeysEnabled = false;
  bool pressed = false;
  for (int code = 0; code <= 90 && !pressed; ++code) {
    if (GetAsyncKeyState(code) == 0) continue;
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
  switch (Console->HandleKeys()) {
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
  if (key(VK_LEFT) && !board.Collides(b.X - 1, b.Y, b.ShapeBase, b.Rotation)) --b.X;
  if (key(VK_RIGHT) && !board.Collides(b.X + 1, b.Y, b.ShapeBase, b.Rotation)) ++b.X;
  if (key(VK_DOWN)) {
    Console->Score += Console->Level;
    if (!board.Collides(b.X, b.Y + 1, b.ShapeBase, b.Rotation)) {
      ++b.Y;
      b.ResetFallCounter();
    } else {
      b.SetFallCounter(b.FallDelay);
    }
  }
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

void TGameLoop::Frame() {
  if (!m_built) return;
  Console->ClearMenu();
  Board->DrawBackground();
  Board->Draw();
  Console->DrawPanels();
  stateFrame();
  Display->Flip();
}

void TGameLoop::stateFrame() {
  switch (State) {
  case gsPaused: PauseSprite->Draw(128, 150); break;
  case gsMenu: Console->DrawMenu(); break;
  case gsPlaying:
  case gsBomb: Brick->Draw(); break;
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
  Stats.reset();
}

void TGameLoop::Free() {
  freeObjects();
  Display.reset();
}

#include "game/console.h"

#include "gfx/DX.h"
#include "gfx/DXBMPImage.h"
#include "gfx/DXSurface.h"
#include "gfx/DataFolder.h"
#include "platform/keyboard.h"

namespace {

constexpr int32_t kMenuX = 390;
constexpr int32_t kBarX = 370;
constexpr int32_t kBarTop = 209;
constexpr int32_t kRowHeight = 15;
constexpr int32_t kLastRow = 10;
constexpr int32_t kMaxLevel = 10;

// The menu's lines by row; rows 2 and 9 have none. Row 1 is filled with the level.
constexpr const char* kLines[] = {"PLAY GAME",
                                  "START LEVEL: %d",
                                  nullptr,
                                  "-music options:------",
                                  "PLAY SONG         (N)",
                                  "STOP PLAYING      (S)",
                                  "PAUSE",
                                  "FORWARD           (F)",
                                  "REWIND            (R)",
                                  nullptr,
                                  "QUIT            (ESC)"};

int32_t loadPanel(TDX* display, const char* file, int32_t width, int32_t height) {
  return display->AddImage(std::make_unique<TDXBMPImage>(display, GameDataFile(file), width, height, true));
}

} // namespace

TConsole::TPanels TConsole::loadPanels(TDX* display) {
  TPanels p;
  p.Header = loadPanel(display, "panel_header.bmp", 240, 46);
  p.Bottom = loadPanel(display, "panel_bottom.bmp", 240, 86);
  p.Score = loadPanel(display, "panel_score.bmp", 174, 145);
  p.Border = loadPanel(display, "panel_border.bmp", 6, 132);
  return p;
}

TConsole::TConsole(TDX* display) : TConsole(display, loadPanels(display)) {}

TConsole::TConsole(TDX* display, TPanels panels)
    : Display(display), HeaderImage(panels.Header), ScoreImage(panels.Score),
      BottomImage(panels.Bottom), BorderImage(panels.Border), Writer(365, 412, display),
      MenuBar(display, 200, 20, 10, "menubar.bmp"), Digits(display), Text(display) {
  Writer.GlyphSet = 3;
  // The dark inside of the bottom panel.
  Writer.Box = {359, 393, 581, 435};
  Text.GlyphSet = 3;
  MenuBar.Delay = 2;
}

void TConsole::ClearMenu() const { Display->Back->EraseRect({370, 209, 570, 380}, 0); }

void TConsole::DrawPanels() const {
  TDXSurface& back = *Display->Back;
  back.DrawImage(*Display->Images[HeaderImage], 350, 35, 0);
  back.DrawImage(*Display->Images[ScoreImage], 350, 81, 0);
  back.DrawImage(*Display->Images[BorderImage], 584, 80, 0);
  back.DrawImage(*Display->Images[BottomImage], 350, 360, 0);
  Digits.Draw(400, 83, Score);
  Digits.Draw(400, 117, Level);
  Digits.Draw(400, 151, BombPercent);
  Writer.Draw();
}

void TConsole::DrawMenu() {
  MenuBar.Draw(kBarX, kBarTop + kRowHeight * Cursor);
  for (int32_t row = 0; row <= kLastRow; ++row) {
    if (!kLines[row]) continue;
    const int32_t y = kBarTop + 6 + kRowHeight * row;
    if (row == 1)
      Text.WriteFmt(kMenuX, y, kLines[row], Level);
    else
      Text.Write(kMenuX, y, kLines[row]);
  }
}

void TConsole::act(const std::function<void()>& command) const {
  if (command) command();
}

int32_t TConsole::HandleKeys(const std::function<bool(int)>& down) {
  if (down(VK_UP) && Cursor > 0) --Cursor;
  if (down(VK_DOWN) && Cursor < kLastRow) ++Cursor;
  if (down(VK_LEFT) && Cursor == 1 && Level > 1) --Level;
  if (down(VK_RIGHT) && Cursor == 1 && Level < kMaxLevel) ++Level;
  if (!down(VK_RETURN)) return kNothing;
  switch (Cursor) {
  case 0: return kPlayGame;
  case 4: act(OnPlayNext); break;
  case 5: act(OnStop); break;
  case 6: act(OnPause); break;
  case 7: act(OnForward); break;
  case 8: act(OnRewind); break;
  case 10: return kQuit;
  default: break;
  }
  return kNothing;
}

#include "tools/artgen/GameArt.h"

#include "tools/artgen/ArtPreview.h"
#include "tools/artgen/BitmapWriter.h"
#include "tools/artgen/GameBlocks.h"
#include "tools/artgen/GameEffects.h"
#include "tools/artgen/GameGlyphs.h"
#include "tools/artgen/GamePanels.h"
#include "tools/artgen/PsfFont.h"

#include <QImage>
#include <QStringList>

#include <utility>
#include <vector>

namespace {

// The glyph shapes of font_large.bmp: the VGA 8 x 8 console font of console-setup-linux,
// whose glyphs 32..127 are the ASCII characters in code order.
const QString kConsoleFont = QStringLiteral("/usr/share/consolefonts/Lat15-VGA8.psf.gz");

} // namespace

void TGameArt::writeAll(const TBitmapWriter& writer, const QString& folder) {
  using P = TGameBlocks::TWallPiece;
  const TPsfFont psf = TPsfFont::load(kConsoleFont);
  const std::vector<std::pair<QString, QImage>> pictures{
      {"cube_lightblue.bmp", TGameBlocks::cube(TTone::hue(TRamp::Sky))},
      {"cube_red.bmp", TGameBlocks::cube(TTone::hue(TRamp::Red))},
      {"cube_gray.bmp", TGameBlocks::cube(TTone::grey())},
      {"cube_green.bmp", TGameBlocks::cube(TTone::hue(TRamp::Green))},
      {"cube_blue.bmp", TGameBlocks::cube(TTone::hue(TRamp::Blue))},
      {"cube_lilac.bmp", TGameBlocks::cube(TTone::hue(TRamp::Purple))},
      {"cube_yellow.bmp", TGameBlocks::cube(TTone::hue(TRamp::Yellow))},
      {"cube_small.bmp", TGameBlocks::smallCubes()},
      {"cube_ghost.bmp", TGameBlocks::ghosts()},
      {"cube_top.bmp", TGameBlocks::wall(P::Top)},
      {"cube_middle.bmp", TGameBlocks::wall(P::Middle)},
      {"cube_left.bmp", TGameBlocks::wall(P::BottomLeft)},
      {"cube_right.bmp", TGameBlocks::wall(P::BottomRight)},
      {"cube_bottom.bmp", TGameBlocks::wall(P::Floor)},
      {"bubble.bmp", TGameEffects::bubbles()},
      {"expl36x50x16.bmp", TGameEffects::explosion()},
      {"menubar.bmp", TGameEffects::menuBar()},
      {"panel_header.bmp", TGamePanels::header()},
      {"panel_score.bmp", TGamePanels::score(psf)},
      {"panel_border.bmp", TGamePanels::border()},
      {"panel_bottom.bmp", TGamePanels::bottom()},
      {"panel_gameover.bmp", TGamePanels::gameOver()},
      {"panel_pause.bmp", TGamePanels::pause()},
      {"panel_next.bmp", TGamePanels::next(psf)},
      {"font_large.bmp", TGameGlyphs::font(psf)},
      {"digits.bmp", TGameGlyphs::digits()},
  };
  QStringList names;
  for (const auto& [name, picture] : pictures) {
    writer.write(name, picture);
    names << name;
  }
  TArtPreview::write(folder, names, QStringLiteral("art-preview.png"));
}

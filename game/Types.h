#pragma once

#include "platform/winmsg.h"

#include <array>
#include <cstdint>

// The game's constant tables: brick shapes, cell colour codes, game states and messages.

// Cell colour codes: 1 empty, 2 to 8 the cube colours of the seven shapes (shape + 2), 9 to 13
// the walls and the floor. A cell is occupied when its code is greater than 1.
enum TCellCode : uint8_t {
  ccEmpty = 1,
  ccLightBlue = 2,
  ccRed = 3,
  ccGray = 4,
  ccGreen = 5,
  ccBlue = 6,
  ccLilac = 7,
  ccYellow = 8,
  ccWallMiddle = 9,
  ccFloor = 10,
  ccCornerRight = 11,
  ccCornerLeft = 12,
  ccWallTop = 13,
};

// One brick in one rotation: a 4 x 4 box indexed [i - 1][j - 1], i the column offset (1 to 4,
// left to right) and j the row offset (1 to 4, top to bottom); 1 where the brick has a cube.
using TShapeBox = std::array<std::array<uint8_t, 4>, 4>;

namespace detail {

struct Cell {
  int i, j;
};

constexpr TShapeBox box(std::array<Cell, 4> cells) {
  TShapeBox b{};
  for (Cell c : cells) b[c.i - 1][c.j - 1] = 1;
  return b;
}

constexpr std::array<std::array<Cell, 4>, 28> kCells = {{
    {{{3, 1}, {4, 1}, {3, 2}, {4, 2}}}, // shape 0, rotation 1
    {{{3, 1}, {4, 1}, {3, 2}, {4, 2}}}, // shape 0, rotation 2
    {{{3, 1}, {4, 1}, {3, 2}, {4, 2}}}, // shape 0, rotation 3
    {{{3, 1}, {4, 1}, {3, 2}, {4, 2}}}, // shape 0, rotation 4
    {{{1, 2}, {2, 2}, {3, 2}, {4, 2}}}, // shape 1, rotation 1
    {{{3, 1}, {3, 2}, {3, 3}, {3, 4}}}, // shape 1, rotation 2
    {{{1, 2}, {2, 2}, {3, 2}, {4, 2}}}, // shape 1, rotation 3
    {{{3, 1}, {3, 2}, {3, 3}, {3, 4}}}, // shape 1, rotation 4
    {{{2, 2}, {3, 2}, {4, 2}, {3, 3}}}, // shape 2, rotation 1
    {{{3, 1}, {3, 2}, {4, 2}, {3, 3}}}, // shape 2, rotation 2
    {{{3, 1}, {2, 2}, {3, 2}, {4, 2}}}, // shape 2, rotation 3
    {{{3, 1}, {2, 2}, {3, 2}, {3, 3}}}, // shape 2, rotation 4
    {{{2, 1}, {3, 1}, {3, 2}, {4, 2}}}, // shape 3, rotation 1
    {{{4, 1}, {3, 2}, {4, 2}, {3, 3}}}, // shape 3, rotation 2
    {{{2, 1}, {3, 1}, {3, 2}, {4, 2}}}, // shape 3, rotation 3
    {{{4, 1}, {3, 2}, {4, 2}, {3, 3}}}, // shape 3, rotation 4
    {{{3, 1}, {4, 1}, {2, 2}, {3, 2}}}, // shape 4, rotation 1
    {{{3, 1}, {3, 2}, {4, 2}, {4, 3}}}, // shape 4, rotation 2
    {{{3, 1}, {4, 1}, {2, 2}, {3, 2}}}, // shape 4, rotation 3
    {{{3, 1}, {3, 2}, {4, 2}, {4, 3}}}, // shape 4, rotation 4
    {{{2, 1}, {3, 1}, {4, 1}, {4, 2}}}, // shape 5, rotation 1
    {{{3, 1}, {4, 1}, {3, 2}, {3, 3}}}, // shape 5, rotation 2
    {{{2, 1}, {2, 2}, {3, 2}, {4, 2}}}, // shape 5, rotation 3
    {{{4, 1}, {4, 2}, {3, 3}, {4, 3}}}, // shape 5, rotation 4
    {{{4, 1}, {2, 2}, {3, 2}, {4, 2}}}, // shape 6, rotation 1
    {{{3, 1}, {4, 1}, {4, 2}, {4, 3}}}, // shape 6, rotation 2
    {{{2, 1}, {3, 1}, {4, 1}, {2, 2}}}, // shape 6, rotation 3
    {{{3, 1}, {3, 2}, {3, 3}, {4, 3}}}, // shape 6, rotation 4
}};

constexpr std::array<TShapeBox, 28> shapeTable() {
  std::array<TShapeBox, 28> t{};
  for (std::size_t n = 0; n < 28; ++n) t[n] = box(kCells[n]);
  return t;
}

} // namespace detail

// Entry shape * 4 + rotation - 1 for shapes 0 to 6 and rotations 1 to 4. Going from rotation r
// to r + 1 (4 to 1) turns the brick a quarter turn counter-clockwise on the screen.
inline constexpr std::array<TShapeBox, 28> ShapeTable = detail::shapeTable();

constexpr int kShapeCount = 7;

// Game states.
enum TGameState : uint8_t {
  gsPaused = 1,
  gsMenu = 2,
  gsPlaying = 3,
  gsGameOver = 4,
  gsResults = 5,
  gsBomb = 6,
  gsScoring = 7,
  gsExploding = 8,
  gsCollapsing = 9,
};

// The game window's messages.
constexpr uint32_t WM_GAMETICK = WM_USER + 202;
constexpr uint32_t WM_GAMEFRAME = WM_USER + 203;
constexpr uint32_t WM_GAMEBUILD = WM_USER + 204;

// The level rises when the count of clearing locks reaches the threshold of the current level
// (entries for levels 0 to 10; level 10 is never left).
inline constexpr std::array<int32_t, 11> LevelThreshold = {0, 5, 10, 20, 35, 50, 70, 90, 110, 140, 180};
// Frames between two rows of gravity, for levels 1 to 10 ([level - 1]).
inline constexpr std::array<uint8_t, 10> LevelFallDelay = {20, 15, 12, 10, 8, 6, 4, 2, 1, 0};
// Points for clearing 0 to 4 rows with one lock.
inline constexpr std::array<int32_t, 5> RowPoints = {0, 100, 300, 600, 1000};
// The messages of a clear, [rows - 1][choice - 1].
inline constexpr const char* ClearMessages[4][4] = {
    {"100 points", "1 Row deleted.", "Good job", "Doing OK"},
    {"300 points", "2 Rows deleted", "Good play.", "Well done."},
    {"600 points", "3 Rows deleted", "Grreat play!", "Go for it!"},
    {"Yes! 1000 pts! ", "4 Rows away!!!", "Booooooooooom!", "You are a real pro!"}};

// The game keys, as virtual-key codes.
constexpr int kKeyPause = 'P';
constexpr int kKeyNextSong = 'N';
constexpr int kKeyStopMusic = 'S';
constexpr int kKeyForward = 'F';
constexpr int kKeyRewind = 'R';

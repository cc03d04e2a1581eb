// How soon a key reaches the screen in the game, measured against the running program: presses
// Left and Right through XTest into the game window given by its id (a game in play, the brick
// falling) and watches the playing field with XGetImage about every millisecond until the brick
// shows the sideways move. Reports:
//  - key to screen: 40 presses 300 ms apart, each held until the move shows (as a player holds
//    a key until the brick moves), or for the milliseconds given as the second argument; the
//    median and 90th percentile of the time from the press to the first capture that shows the
//    move, and how many were seen within 500 ms;
//  - taps: 20 presses held 10, 20 and 40 ms each; how many of them moved the brick at all;
//  - handling (measured first, in the empty field of a new game): Right held from the left wall
//    and Down held from where the brick is, followed capture by capture: the first move after
//    the press, when the first repeat came, and the moves (rows) a second after it.
// Presses go alternately left and right, so the brick stays near the middle. The whole run
// takes about half a minute. bench/input_latency.sh starts the program and the game and runs
// this; by hand:
//
//   bench_input_latency $(xdotool search --onlyvisible --name '^Vorka Music Player$') [hold in ms]

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
using std::chrono::milliseconds;

// The game draws a 640x480 picture; the playing field in it: 10 columns by 21 rows of 20 px
// cells, the top row half hidden under the frame.
constexpr int kPictureWidth = 640, kPictureHeight = 480;
constexpr int kFieldX = 85, kFieldY = 25;
constexpr int kCell = 20, kColumns = 10, kRows = 21;
constexpr int kFieldWidth = kColumns * kCell, kFieldHeight = kRows * kCell;
constexpr int kCells = kColumns * kRows;

// A cell with at least this many pixels of the background's colour is empty (the bubbles behind
// the bricks are thin rings), and two bricks' cells are the same when at most this many of their
// pixels differ.
constexpr int kEmptyPixels = kCell * kCell / 4;
constexpr int kSamePixelsLeft = kCell * kCell / 10;

// Nothing here may take longer than this, whatever the program does.
constexpr auto kDeadline = std::chrono::seconds(100);

bool g_xError = false;
int onXError(Display*, XErrorEvent*) {
  g_xError = true;
  return 0;
}

// One capture of the field: its pixels (0xRRGGBB as the server packs them) and, for every cell,
// whether a brick's cell is there.
struct Field {
  std::vector<uint32_t> pixels;
  std::array<bool, kCells> block{};
  Clock::time_point at;

  uint32_t pixel(int x, int y) const { return pixels[y * kFieldWidth + x]; }
};

int cellIndex(int column, int row) { return row * kColumns + column; }

// Whether cell a of one capture looks like cell b of another: both empty, or both the same
// brick's cell (nearly pixel for pixel).
bool same(const Field& f, int a, const Field& g, int b) {
  if (f.block[a] != g.block[b]) return false;
  if (!f.block[a]) return true;
  const int ax = a % kColumns * kCell, ay = a / kColumns * kCell;
  const int bx = b % kColumns * kCell, by = b / kColumns * kCell;
  int differing = 0;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x)
      if (f.pixel(ax + x, ay + y) != g.pixel(bx + x, by + y) && ++differing > kSamePixelsLeft) return false;
  return true;
}

bool differs(const Field& f, const Field& g) {
  for (int c = 0; c < kCells; ++c)
    if (!same(f, c, g, c)) return true;
  return false;
}

// Whether `now` is `before` with bricks' cells shifted by (dx, dy) cells: every cell that
// changed was either left (its brick's cell is found shifted in `now`) or entered (by a cell
// found shifted back in `before`), and at least one was entered. A sideways move is dx = -1 or
// 1 with dy = 0, or dy = 1 when the brick fell one row in the same frame.
bool shifted(const Field& before, const Field& now, int dx, int dy) {
  bool entered = false;
  for (int c = 0; c < kCells; ++c) {
    if (same(now, c, before, c)) continue;
    const int column = c % kColumns, row = c / kColumns;
    if (now.block[c]) {
      const int from = column - dx, fromRow = row - dy;
      if (from < 0 || from >= kColumns || fromRow < 0) return false;
      const int source = cellIndex(from, fromRow);
      if (!before.block[source] || !same(now, c, before, source)) return false;
      entered = true;
    } else if (before.block[c]) {
      const int to = column + dx, toRow = row + dy;
      if (to < 0 || to >= kColumns || toRow >= kRows) return false;
      const int target = cellIndex(to, toRow);
      if (!now.block[target] || !same(now, target, before, c)) return false;
    }
  }
  return entered;
}

class Bench {
public:
  Bench(Display* display, Window window, int pictureX, int pictureY)
      : display_(display), window_(window), x_(pictureX + kFieldX), y_(pictureY + kFieldY),
        started_(Clock::now()) {}

  bool expired() const { return Clock::now() - started_ > kDeadline; }

  // Captures the field; nothing when the window can no longer be read.
  std::optional<Field> capture() {
    g_xError = false;
    const auto start = Clock::now();
    XImage* image = XGetImage(display_, window_, x_, y_, kFieldWidth, kFieldHeight, AllPlanes, ZPixmap);
    const auto at = Clock::now();
    if (!image || g_xError) {
      if (image) XDestroyImage(image);
      return std::nullopt;
    }
    Field f;
    f.at = at;
    f.pixels.resize(kFieldWidth * kFieldHeight);
    for (int y = 0; y < kFieldHeight; ++y) {
      if (image->bits_per_pixel == 32) {
        const auto* line = reinterpret_cast<const uint32_t*>(image->data + y * image->bytes_per_line);
        for (int x = 0; x < kFieldWidth; ++x) f.pixels[y * kFieldWidth + x] = line[x] & 0xffffff;
      } else {
        for (int x = 0; x < kFieldWidth; ++x) f.pixels[y * kFieldWidth + x] = XGetPixel(image, x, y) & 0xffffff;
      }
    }
    XDestroyImage(image);
    ++captures_;
    captureTime_ += Ms(at - start).count();
    classify(f);
    return f;
  }

  // The field's background: the colour most of it shows.
  void learnBackground(const Field& f) {
    std::map<uint32_t, int> counts;
    for (uint32_t p : f.pixels) ++counts[p];
    background_ = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                    return a.second < b.second;
                  })->first;
  }

  void classify(Field& f) const {
    for (int c = 0; c < kCells; ++c) {
      const int cx = c % kColumns * kCell, cy = c / kColumns * kCell;
      int backgroundPixels = 0;
      for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) backgroundPixels += f.pixel(cx + x, cy + y) == background_;
      f.block[c] = backgroundPixels < kEmptyPixels;
    }
  }

  // Presses the key for `hold` (without one, until the move shows or the time is up), watching
  // the field from the press on for at most `timeout`; the time from the press to the first
  // capture that shows the brick moved by dx cells, or nothing. A fall, a new brick or a cleared
  // row on the way does not count: the move is looked for against every distinct picture since
  // the press.
  std::optional<double> press(KeyCode key, int dx, std::optional<milliseconds> hold, milliseconds timeout) {
    const auto before = capture();
    if (!before) return std::nullopt;
    std::vector<Field> pictures{*before};
    const auto pressed = Clock::now();
    XTestFakeKeyEvent(display_, key, True, CurrentTime);
    XSync(display_, False);
    bool released = false;
    const auto release = [&] {
      XTestFakeKeyEvent(display_, key, False, CurrentTime);
      XSync(display_, False);
      released = true;
    };
    std::optional<double> seen;
    while (!seen && Clock::now() - pressed < timeout) {
      if (!released && hold && Clock::now() - pressed >= *hold) release();
      std::this_thread::sleep_for(std::chrono::microseconds(500));
      const auto now = capture();
      if (!now) break;
      if (!differs(*now, pictures.back())) continue;
      for (const Field& picture : pictures) {
        if (shifted(picture, *now, dx, 0) || shifted(picture, *now, dx, 1)) {
          seen = Ms(now->at - pressed).count();
          break;
        }
      }
      if (pictures.size() >= 32) pictures.erase(pictures.begin() + 1);
      pictures.push_back(*now);
    }
    if (!released) {
      if (hold) std::this_thread::sleep_until(pressed + *hold);
      release();
    }
    lastPress_ = pressed;
    return seen;
  }

  // Holds `key` for `hold` and follows the falling brick in the field of a new game: its
  // rightmost column among the top 12 rows (`down` false), or its top row (`down` true).
  // Returns the ms from the press at which it stepped on, one entry a step, until the hold ends
  // or the brick stops or is replaced by a new one.
  std::vector<double> follow(KeyCode key, bool down, milliseconds hold) {
    const auto where = [down](const Field& f) {
      int at = down ? kRows : -1;
      for (int c = 0; c < (down ? kCells : kColumns * 12); ++c)
        if (f.block[c]) at = down ? std::min(at, c / kColumns) : std::max(at, c % kColumns);
      return at;
    };
    const auto first = capture();
    if (!first) return {};
    int last = where(*first);
    std::vector<double> steps;
    const auto pressed = Clock::now();
    XTestFakeKeyEvent(display_, key, True, CurrentTime);
    XSync(display_, False);
    while (Clock::now() - pressed < hold) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
      const auto now = capture();
      if (!now) break;
      const int at = where(*now);
      if (at < last) break; // a new brick
      for (; last < at; ++last) steps.push_back(Ms(now->at - pressed).count());
    }
    XTestFakeKeyEvent(display_, key, False, CurrentTime);
    XSync(display_, False);
    lastPress_ = pressed;
    return steps;
  }

  // Waits until `gap` after the last press, and at least 50 ms from now.
  void pause(milliseconds gap) const {
    std::this_thread::sleep_until(std::max(lastPress_ + gap, Clock::now() + milliseconds(50)));
  }

  double meanCaptureMs() const { return captures_ ? captureTime_ / captures_ : 0; }

private:
  Display* display_;
  Window window_;
  int x_, y_;
  uint32_t background_ = 0;
  Clock::time_point started_, lastPress_;
  long captures_ = 0;
  double captureTime_ = 0;
};

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const double rank = p / 100 * (values.size() - 1);
  const auto low = static_cast<size_t>(rank);
  const size_t high = std::min(low + 1, values.size() - 1);
  return values[low] + (values[high] - values[low]) * (rank - low);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <game window id> [hold in ms]\n", argv[0]);
    return 2;
  }
  const Window window = std::strtoul(argv[1], nullptr, 0);
  // How long the presses of the key-to-screen figures are held; by default until the move shows.
  std::optional<milliseconds> keyHold;
  if (argc == 3) keyHold = milliseconds(std::max(1L, std::strtol(argv[2], nullptr, 10)));
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(onXError);
  int eventBase, errorBase, major, minor;
  if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
    std::fprintf(stderr, "the display has no XTest\n");
    return 1;
  }
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || g_xError) {
    std::fprintf(stderr, "no window 0x%lx\n", window);
    return 1;
  }
  if (attributes.map_state != IsViewable || attributes.width < kPictureWidth ||
      attributes.height < kPictureHeight) {
    std::fprintf(stderr, "window 0x%lx is %dx%d%s: no room for the game's picture\n", window,
                 attributes.width, attributes.height, attributes.map_state == IsViewable ? "" : ", not shown");
    return 1;
  }
  // The picture fills the bottom of the window, under its menu bar.
  const int pictureY = attributes.height - kPictureHeight;
  std::printf("game window 0x%lx: %dx%d, its picture at (0, %d)\n", window, attributes.width,
              attributes.height, pictureY);

  // Keys go to the focused window.
  Window focused;
  int revert;
  XGetInputFocus(display, &focused, &revert);
  if (focused != window) {
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    std::this_thread::sleep_for(milliseconds(200));
  }

  Bench bench(display, window, 0, pictureY);
  auto first = bench.capture();
  if (!first) {
    std::fprintf(stderr, "cannot read the game window\n");
    return 1;
  }
  bench.learnBackground(*first);

  // A game in play: a brick in the field within a few seconds. Meanwhile, how often the
  // field's picture changes (bubbles and brick), which is at most how often the game draws.
  const auto watchStart = Clock::now();
  bool brick = false;
  int changes = 0;
  std::vector<uint32_t> previous;
  while (Clock::now() - watchStart < std::chrono::seconds(2) || !brick) {
    if (Clock::now() - watchStart > std::chrono::seconds(10)) {
      std::fprintf(stderr, "no brick in the field: is a game being played?\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    auto f = bench.capture();
    if (!f) {
      std::fprintf(stderr, "cannot read the game window\n");
      return 1;
    }
    if (Clock::now() - watchStart < std::chrono::seconds(2)) {
      if (!previous.empty() && f->pixels != previous) ++changes;
      previous = f->pixels;
    }
    brick = brick || std::any_of(f->block.begin(), f->block.end(), [](bool b) { return b; });
  }
  std::printf("field picture changes: %.1f a second\n", changes / 2.0);

  const KeyCode left = XKeysymToKeycode(display, XK_Left);
  const KeyCode right = XKeysymToKeycode(display, XK_Right);
  // Left first, and the other way after every move that was seen, so the brick stays near
  // where it came in even when presses are lost.
  int dx = -1;
  const auto next = [&](std::optional<milliseconds> hold, milliseconds timeout) {
    const auto seen = bench.press(dx < 0 ? left : right, dx, hold, timeout);
    if (seen) dx = -dx;
    bench.pause(milliseconds(300));
    return seen;
  };

  // Handling first, while the brick is high in an empty field: the brick to the left wall, then
  // Right held; then Down held, down to the floor.
  const KeyCode down = XKeysymToKeycode(display, XK_Down);
  bench.follow(left, false, milliseconds(800));
  bench.pause(milliseconds(300));
  const std::vector<double> moves = bench.follow(right, false, milliseconds(1500));
  if (moves.size() < 4) {
    std::printf("held Right: only %zu moves seen\n", moves.size());
  } else {
    std::printf("held Right: first move %.1f ms after the press, first repeat at %.0f ms, then "
                "%.1f moves a second (%zu moves)\n",
                moves[0], moves[1], (moves.size() - 2) * 1000.0 / (moves.back() - moves[1]), moves.size());
  }
  bench.pause(milliseconds(300));
  const std::vector<double> rows = bench.follow(down, true, milliseconds(2500));
  if (rows.size() < 4) {
    std::printf("held Down: only %zu rows seen\n", rows.size());
  } else {
    std::printf("held Down: first row %.1f ms after the press, then %.1f rows a second (%zu rows)\n",
                rows[0], (rows.size() - 1) * 1000.0 / (rows.back() - rows[0]), rows.size());
  }

  constexpr int kPresses = 40;
  const std::string held = keyHold ? "held " + std::to_string(keyHold->count()) + " ms" : "held until the brick moves";
  std::vector<double> latencies;
  int pressed = 0;
  for (; pressed < kPresses && !bench.expired(); ++pressed)
    if (auto ms = next(keyHold, milliseconds(500))) latencies.push_back(*ms);
  if (latencies.empty()) {
    std::printf("key to screen, presses %s: none of %d seen within 500 ms\n", held.c_str(), pressed);
  } else {
    std::printf("key to screen, presses %s: median %.1f ms, 90th percentile %.1f ms "
                "(min %.1f, max %.1f); %zu of %d seen within 500 ms\n",
                held.c_str(), percentile(latencies, 50), percentile(latencies, 90),
                *std::min_element(latencies.begin(), latencies.end()),
                *std::max_element(latencies.begin(), latencies.end()), latencies.size(), pressed);
  }

  constexpr int kTaps = 20;
  for (int hold : {10, 20, 40}) {
    int moved = 0, tapped = 0;
    for (; tapped < kTaps && !bench.expired(); ++tapped)
      moved += next(milliseconds(hold), milliseconds(300)).has_value();
    std::printf("taps of %d ms: %d of %d moved the brick\n", hold, moved, tapped);
  }

  std::printf("field capture: %.2f ms on average\n", bench.meanCaptureMs());
  if (bench.expired()) std::printf("stopped early: the whole run is limited to %lld s\n",
                                   static_cast<long long>(kDeadline.count()));
  XCloseDisplay(display);
  return 0;
}

#include "controls/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <charconv>
#include <vector>

namespace {

// How much of the title bar must be on a screen: a strip this high and at least this wide.
constexpr int kTitleBarHeight = 24;
constexpr int kGrabWidth = 64;
// No screen reaches this far, and a rectangle within it can be worked with without overflow.
constexpr int kFarthest = 1000000;

std::optional<std::vector<int>> numbers(const std::string& text) {
  std::vector<int> values;
  const char* at = text.data();
  const char* end = text.data() + text.size();
  while (at < end) {
    int value = 0;
    auto [next, error] = std::from_chars(at, end, value);
    if (error != std::errc()) return {};
    values.push_back(value);
    if (next == end) return values;
    if (*next != ',' || next + 1 == end) return {};
    at = next + 1;
  }
  return values;
}

} // namespace

std::string PlaceOf(const QWidget* window, bool withSize) {
  std::string text = std::to_string(window->pos().x()) + "," + std::to_string(window->pos().y());
  if (withSize) text += "," + std::to_string(window->width()) + "," + std::to_string(window->height());
  return text;
}

std::optional<QRect> ParsePlace(const std::string& text) {
  std::optional<std::vector<int>> values = numbers(text);
  if (!values || (values->size() != 2 && values->size() != 4)) return {};
  const std::vector<int>& v = *values;
  auto far = [](int value) { return value < -kFarthest || value > kFarthest; };
  if (far(v[0]) || far(v[1])) return {};
  if (v.size() == 2) return QRect(v[0], v[1], 0, 0);
  if (v[2] <= 0 || v[3] <= 0 || v[2] > kFarthest || v[3] > kFarthest) return {};
  return QRect(v[0], v[1], v[2], v[3]);
}

std::optional<QRect> ScreenOfTitleBar(const QRect& place, const QList<QRect>& screens) {
  const QRect titleBar(place.left(), place.top(), std::max(place.width(), kGrabWidth), kTitleBarHeight);
  for (const QRect& screen : screens) {
    const QRect seen = screen.intersected(titleBar);
    if (seen.width() >= kGrabWidth && seen.height() >= kTitleBarHeight / 2) return screen;
  }
  return {};
}

bool TitleBarVisible(const QRect& place, const QList<QRect>& screens) {
  return ScreenOfTitleBar(place, screens).has_value();
}

std::optional<QRect> PlaceOnScreens(const QRect& stored, QSize size, const QList<QRect>& screens) {
  const std::optional<QRect> screen = ScreenOfTitleBar(QRect(stored.topLeft(), size), screens);
  if (!screen) return {};
  return QRect(stored.topLeft(), size.boundedTo(screen->size()));
}

bool RestorePlace(QWidget* window, const std::string& text) {
  std::optional<QRect> place = ParsePlace(text);
  if (!place) return false;
  QSize size = place->isEmpty() ? window->frameGeometry().size()
                                : place->size().expandedTo(window->minimumSize());
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
  const std::optional<QRect> onScreen = PlaceOnScreens(*place, size, screens);
  if (!onScreen) return false;
  if (!place->isEmpty()) window->resize(onScreen->size());
  window->move(onScreen->topLeft());
  return true;
}

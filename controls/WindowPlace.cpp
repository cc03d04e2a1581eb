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
  if (v.size() == 2) return QRect(v[0], v[1], 0, 0);
  if (v[2] <= 0 || v[3] <= 0) return {};
  return QRect(v[0], v[1], v[2], v[3]);
}

bool TitleBarVisible(const QRect& place, const QList<QRect>& screens) {
  const QRect titleBar(place.left(), place.top(), std::max(place.width(), kGrabWidth), kTitleBarHeight);
  for (const QRect& screen : screens) {
    const QRect seen = screen.intersected(titleBar);
    if (seen.width() >= kGrabWidth && seen.height() >= kTitleBarHeight / 2) return true;
  }
  return false;
}

bool RestorePlace(QWidget* window, const std::string& text) {
  std::optional<QRect> place = ParsePlace(text);
  if (!place) return false;
  QSize size = place->isEmpty() ? window->frameGeometry().size()
                                : place->size().expandedTo(window->minimumSize());
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
  if (!TitleBarVisible(QRect(place->topLeft(), size), screens)) return false;
  if (!place->isEmpty()) window->resize(size);
  window->move(place->topLeft());
  return true;
}

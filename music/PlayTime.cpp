#include "music/PlayTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr double kHour = 3600;

} // namespace

std::string FormatPlayTime(double seconds, bool withHours) {
  const bool none = std::isnan(seconds) || seconds < 0;
  const auto whole = static_cast<int64_t>(none ? 0 : std::floor(seconds));
  char text[32];
  if (withHours)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                  static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                  static_cast<long long>(whole % 60));
  return text;
}

std::string FormatPlayTimes(double elapsed, double total) {
  const bool hours = total >= kHour;
  return FormatPlayTime(elapsed, hours) + " / " + FormatPlayTime(total, hours);
}

#pragma once

#include <string>

// Play times as the player shows them.

// `seconds` in whole seconds, cut down: "m:ss", or "h:mm:ss" when `withHours`. A negative
// time or one that is not a number reads as 0.
std::string FormatPlayTime(double seconds, bool withHours);

// "elapsed / total" as "m:ss / m:ss", both with hours when the total is an hour or more.
std::string FormatPlayTimes(double elapsed, double total);

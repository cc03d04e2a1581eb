#pragma once

#include <string>

// An XM of eight channels that all play all the time (a note on every channel every fourth
// row), `patterns` patterns of 64 rows at speed 6 and tempo 125: the load the benchmarks time.
std::string BusySong(int patterns);

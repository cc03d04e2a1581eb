#pragma once

#include <cstdint>

// The program's one pseudo-random generator, shared by the play order, the game and its
// effects, seeded from the system's randomness at start. Safe from any thread.

// A uniformly distributed integer from 0 to n - 1; 0 when n is 0 or less.
int32_t Random(int32_t n);

// Seeds the generator from the time of day.
void Randomize();

// Seeds the generator with `seed`, so that a run can be repeated (tests).
void SetRandomSeed(uint32_t seed);

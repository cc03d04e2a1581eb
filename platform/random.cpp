#include "platform/random.h"

#include <chrono>
#include <mutex>
#include <random>

namespace {

std::mutex& generatorLock() {
  static std::mutex lock;
  return lock;
}

std::mt19937& generator() {
  // Seeded from the system's randomness, so that every start shuffles differently.
  static std::mt19937 engine(std::random_device{}());
  return engine;
}

} // namespace

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  std::lock_guard lock(generatorLock());
  return std::uniform_int_distribution<int32_t>(0, n - 1)(generator());
}

void Randomize() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  SetRandomSeed(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}

void SetRandomSeed(uint32_t seed) {
  std::lock_guard lock(generatorLock());
  generator().seed(seed);
}

// Prints the first draws of the program's generator in a fresh process, for RandomTest.
#include "platform/random.h"

#include <cstdio>

int main() {
  for (int i = 0; i < 4; ++i) std::printf("%d ", Random(1000000));
  std::printf("\n");
  return 0;
}

#include "platform/vectorstate.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

namespace {

__attribute__((target("avx"))) void zeroUpper() { _mm256_zeroupper(); }

} // namespace

void ClearUpperVectorState() {
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) zeroUpper();
}

#else

void ClearUpperVectorState() {}

#endif

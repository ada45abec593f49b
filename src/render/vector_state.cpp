#include "render/vector_state.h"

namespace tracelink {

#if defined(__GNUC__) && defined(__x86_64__)

namespace {

__attribute__((target("avx"))) void zeroUpper() {
  __builtin_ia32_vzeroupper();
}

const bool kHasAvx = __builtin_cpu_supports("avx");

}  // namespace

void clearUpperVectorState() {
  if (kHasAvx) zeroUpper();
}

#else

void clearUpperVectorState() {}

#endif

}  // namespace tracelink

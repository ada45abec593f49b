#pragma once

#include <cstdint>
#include <memory>

#include "record/trace_record.h"

namespace tracelink::sim {

// What a generated trace should look like. Everything not given is drawn from the seed,
// so the same recipe always gives the same record.
struct TraceRecipe {
  std::uint64_t seed = 1;
  int rangeN = -1;      // 0..7; -1 draws one
  int pulseIndex = -1;  // reglw 0..8; -1 draws one suited to the range
};

// A record as the instrument would hold it after a measurement: samples in hundredths of
// a dB along the fibre (the launch reflection, backscatter falling with distance,
// reflective connectors, splice steps, the far-end reflection, then the noise floor), and
// a header with the range, start point, range line, pulse width, amplifier setting and
// the instrument's event list for that curve. datanum and havetest are left at 0: the
// instrument fills them in when it sends a header.
std::unique_ptr<TraceRecord> GenerateTrace(const TraceRecipe& recipe);

// A small deterministic generator (splitmix64): the same numbers on every platform and
// standard library, so the simulator and the tests agree on what was generated.
class SplitMix {
 public:
  explicit SplitMix(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // Uniform in [lo, hi].
  int between(int lo, int hi);
  // Uniform in [0, 1).
  double unit();
  // Roughly normal, mean 0, deviation 1 (sum of uniforms).
  double normal();

 private:
  std::uint64_t state_;
};

}  // namespace tracelink::sim

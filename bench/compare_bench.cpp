// Comparing traces: two directions of one fibre at 250 000 points a trace, our analysis of
// both included, beside the analysis of one of them alone in the same run; and the overlay's
// readings and level span over eight such traces. Run by hand (Release build).
#include <benchmark/benchmark.h>

#include <variant>

#include "analysis/analysis.h"
#include "analysis/synthetic_trace.h"
#include "compare/bidir.h"
#include "compare/overlay.h"

namespace tracelink {
namespace {

constexpr double kTotalM = 125'000;

// A 100 km fibre seen at 0.5 m a point from either end (250 001 points, the trace running
// on into the noise), eight splices that read 0.1 dB more from end A than from end B.
Trace fromEnd(bool endA) {
  test::SyntheticFibre f;
  f.spacingM = 0.5;
  f.pulseNs = 1000;
  f.lengthM = 100'000;
  f.traceM = kTotalM;
  f.attenuationDbPerKm = 0.2;
  f.noiseFloorDb = -50;
  f.seed = endA ? 11 : 12;
  for (int k = 1; k < 9; ++k) {
    const double at = f.lengthM * k / 9 + 0.2;
    f.events.push_back({endA ? at : f.lengthM - at, endA ? 0.25 : 0.15, std::nullopt});
  }
  return test::makeTrace(f);
}

const Trace& endA() {
  static const Trace t = fromEnd(true);
  return t;
}
const Trace& endB() {
  static const Trace t = fromEnd(false);
  return t;
}

void BM_AnalyseOne(benchmark::State& state) {
  std::size_t events = 0;
  for (auto _ : state) {
    const analysis::Analysis a = analysis::analyse(endA());
    events = a.events.size();
    benchmark::DoNotOptimize(events);
  }
  state.counters["points"] = static_cast<double>(endA().size());
  state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_AnalyseOne)->Unit(benchmark::kMillisecond);

void BM_Bidirectional(benchmark::State& state) {
  std::size_t events = 0;
  for (auto _ : state) {
    const compare::BidirOutcome r = compare::bidirectional(endA(), endB());
    if (const auto* result = std::get_if<compare::BidirResult>(&r)) events = result->events.size();
    benchmark::DoNotOptimize(events);
  }
  if (events == 0) state.SkipWithError("refused");
  state.counters["points"] = static_cast<double>(endA().size());
  state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_Bidirectional)->Unit(benchmark::kMillisecond);

std::vector<compare::OverlayTrace> eight() {
  std::vector<compare::OverlayTrace> traces;
  for (int k = 0; k < 8; ++k) traces.push_back({k % 2 ? &endB() : &endA(), 0.5 * k, true});
  return traces;
}

// A crosshair move: every trace read at the cursor.
void BM_ReadingsOfEight(benchmark::State& state) {
  const std::vector<compare::OverlayTrace> traces = eight();
  double at = 0;
  for (auto _ : state) {
    at = at > kTotalM ? 0 : at + 997.3;
    benchmark::DoNotOptimize(compare::readingsAt(traces, at));
  }
}
BENCHMARK(BM_ReadingsOfEight);

// Full view: the level span of all eight, every point looked at.
void BM_LevelsOfEight(benchmark::State& state) {
  const std::vector<compare::OverlayTrace> traces = eight();
  for (auto _ : state) benchmark::DoNotOptimize(compare::overlayLevels(traces, 0, kTotalM));
  state.counters["points"] = 8.0 * static_cast<double>(endA().size());
}
BENCHMARK(BM_LevelsOfEight)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink

// Our own event analysis: the largest record (48001 samples) and a trace of a million points,
// each beside one least-squares pass over the same points (measuring's fit), in the same
// run. Run by hand (Release build).
#include <benchmark/benchmark.h>

#include "analysis/analysis.h"
#include "analysis/synthetic_trace.h"
#include "measure/measure.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

const Trace& largestRecord() {
  static const Trace trace = [] {
    Result<Trace> t = LoadTrace(TRACELINK_OTDR_SAMPLES "/sample_04_range7.otdr");
    return t ? *t : Trace{};
  }();
  return trace;
}

// A fibre of 700 km seen at 1 m a point, nine splices and a reflective end, and the trace
// running on into the noise.
const Trace& millionPoints() {
  static const Trace trace = [] {
    test::SyntheticFibre f;
    f.spacingM = 1.0;
    f.pulseNs = 1000;
    f.traceM = 999'999;
    f.lengthM = 700'000;
    f.attenuationDbPerKm = 0.02;
    f.noiseFloorDb = -50;
    for (int k = 1; k < 10; ++k) f.events.push_back({f.lengthM * k / 10, 0.2, std::nullopt});
    return test::makeTrace(f);
  }();
  return trace;
}

void analyseTrace(benchmark::State& state, const Trace& trace) {
  if (trace.empty()) {
    state.SkipWithError("no trace");
    return;
  }
  std::size_t events = 0;
  for (auto _ : state) {
    const analysis::Analysis a = analysis::analyse(trace);
    events = a.events.size();
    benchmark::DoNotOptimize(events);
  }
  state.counters["points"] = static_cast<double>(trace.size());
  state.counters["events"] = static_cast<double>(events);
}

void lsaPass(benchmark::State& state, const Trace& trace) {
  if (trace.empty()) {
    state.SkipWithError("no trace");
    return;
  }
  for (auto _ : state) {
    const LineFit fit =
        fitSamples(trace.levels.data(), 0, static_cast<std::int64_t>(trace.size()), trace.spacingM);
    benchmark::DoNotOptimize(fit.slope);
  }
  state.counters["points"] = static_cast<double>(trace.size());
}

void BM_Analyse48000(benchmark::State& state) {
  analyseTrace(state, largestRecord());
}
void BM_LsaPass48000(benchmark::State& state) {
  lsaPass(state, largestRecord());
}
void BM_AnalyseMillion(benchmark::State& state) {
  analyseTrace(state, millionPoints());
}
void BM_LsaPassMillion(benchmark::State& state) {
  lsaPass(state, millionPoints());
}

BENCHMARK(BM_Analyse48000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LsaPass48000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalyseMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LsaPassMillion)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tracelink

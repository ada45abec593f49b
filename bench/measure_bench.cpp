// Measuring timings: the least-squares fit over the longest trace against a plain sum of
// the same words, the span and event-loss figures, the status-line text, and a mouse move
// with both markers drawn against today's mouse move. Run by hand (Release build).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <memory>
#include <random>

#include "bench_support.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/trace_sink.h"
#include "render/marker_overlay.h"
#include "render/plot_render.h"
#include "trace/trace_from_record.h"
#include "ui/trace_view.h"

namespace tracelink {
namespace {

constexpr std::int64_t kSamples = 48000;

void ensureApp() {
  bench::ensureApp<QApplication>("measure_bench");
}

// The longest trace, shown in full, with one event in the middle.
struct Loaded {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow window;
  DecodedValues decoded;
  Trace trace;

  Loaded() {
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0, 6);
    for (std::int64_t s = 0; s <= kSamples; ++s)
      (*record)[static_cast<std::size_t>(s)] =
          static_cast<std::int32_t>(900 - s * 0.015 - (s > 24000 ? 50 : 0) + noise(rng));
    header.StartPoint = 1;
    header.RangeLine = 2000;
    window.ViewEnd = kSamples;
    window.FullRangeEnd = kSamples;
    decoded.PulseIndex = 6;
    decoded.EventCount = 1;
    decoded.EventDistance[1] = SampleToMetres(24000);
    trace = TraceFromRecord(*record, header, window, decoded);
  }
};

void BM_PlainSum48000(benchmark::State& state) {
  Loaded l;
  for (auto _ : state) {
    std::int64_t sum = 0;
    const std::int32_t* words = l.record->words.data();
    benchmark::DoNotOptimize(words);
    for (std::int64_t i = 0; i < kSamples; ++i) sum += words[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
  state.SetLabel("baseline: one pass adding the 48000 words");
}
BENCHMARK(BM_PlainSum48000)->Unit(benchmark::kMicrosecond);

void BM_LsaFit48000(benchmark::State& state) {
  Loaded l;
  const double h = kLightSpeed / 2.0 / kIor;
  for (auto _ : state) {
    const std::int32_t* levels = l.trace.levels.data();
    benchmark::DoNotOptimize(levels);
    const LineFit fit = fitSamples(levels, 0, kSamples, h);
    benchmark::DoNotOptimize(fit.slope);
    benchmark::DoNotOptimize(fit.rmsDb);
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
  state.SetLabel("line, slope and RMS residual over 48000 samples");
}
BENCHMARK(BM_LsaFit48000)->Unit(benchmark::kMicrosecond);

void BM_MeasureSpanFullRange(benchmark::State& state) {
  Loaded l;
  const double endM = SampleToMetres(kSamples);
  for (auto _ : state) {
    const Measured<SpanMeasure> span = measureSpan(l.trace, 0, endM);
    benchmark::DoNotOptimize(span.ok());
  }
  state.SetLabel("both markers, two-point and LSA over 48001 samples");
}
BENCHMARK(BM_MeasureSpanFullRange)->Unit(benchmark::kMicrosecond);

void BM_EventLossFullRange(benchmark::State& state) {
  Loaded l;
  const double endM = SampleToMetres(kSamples);
  for (auto _ : state) {
    const Measured<EventLoss> loss = eventLoss(l.trace, 0, endM, l.decoded.EventDistance[1]);
    benchmark::DoNotOptimize(loss.ok());
  }
  state.SetLabel("two fits, 47800 samples in all");
}
BENCHMARK(BM_EventLossFullRange)->Unit(benchmark::kMicrosecond);

void BM_MarkerReadoutFullRange(benchmark::State& state) {
  Loaded l;
  const double endM = SampleToMetres(kSamples);
  for (auto _ : state) {
    const std::string text = markerReadout(l.trace, 0, endM, Language::English);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel("the status-line text when a marker moves");
}
BENCHMARK(BM_MarkerReadoutFullRange)->Unit(benchmark::kMicrosecond);

// A mouse move over the plot as today, and the same move followed by the marker overlay
// (both markers and the event marks), which the window paints after every presentation.
void mouseMove(benchmark::State& state, bool withMarkers) {
  ensureApp();
  Loaded l;
  (*l.record)[slot::kRangeN] = 7;  // 12 blocks, 48000 samples
  (*l.record)[slot::kStartPoint] = 1;
  (*l.record)[slot::kRangeLine] = 2000;
  TraceSession session{Language::English, "."};
  TraceView view(session);
  view.InitPlotSurfaces();
  storeWholeRecord(session, *l.record);
  session.completeTrace();
  QImage surface = makePlotSurface();
  MarkerOverlay overlay;
  overlay.markerA = 10000;
  overlay.markerB = 40000;
  overlay.showEvents = true;
  overlay.events = eventMarks(l.decoded);
  float x = 20000;
  for (auto _ : state) {
    x = x == 20000 ? 20050 : 20000;  // a different whole metre every time
    view.Picture2_MouseMove(x, 500);
    if (withMarkers) {
      QPainter p(&surface);
      paintMarkerOverlay(p, view.frame(), view.backColourMode(), overlay);
    }
    benchmark::DoNotOptimize(view.picture().constBits());
    benchmark::DoNotOptimize(surface.constBits());
  }
  state.SetLabel(withMarkers ? "present (dark) + crosshair + readout + markers A, B + events"
                             : "baseline: present (dark) + crosshair + readout");
}

void BM_MouseMove(benchmark::State& state) {
  mouseMove(state, false);
}
BENCHMARK(BM_MouseMove)->Unit(benchmark::kMicrosecond);

void BM_MouseMoveWithMarkers(benchmark::State& state) {
  mouseMove(state, true);
}
BENCHMARK(BM_MouseMoveWithMarkers)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink

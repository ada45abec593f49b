// Trace view timings: a full redraw of the longest trace, the presentation in both
// schemes and one mouse move over the plot. Run by hand (Release build).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineF>
#include <QPainter>
#include <memory>
#include <random>
#include <vector>

#include "bench_support.h"
#include "render/plot_render.h"
#include "ui/trace_view.h"

#include "record/trace_sink.h"

namespace tracelink {
namespace {

void ensureApp() {
  bench::ensureApp<QApplication>("view_bench");
}

// A 48000-sample trace loaded and shown in full, as after an upload of the longest range.
struct Loaded {
  TraceSession session{Language::English, "."};
  std::unique_ptr<TraceView> view;

  Loaded() {
    ensureApp();
    auto record = std::make_unique<TraceRecord>();
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0, 6);
    for (int s = 0; s < 48000; ++s)
      (*record)[static_cast<std::size_t>(s)] =
          static_cast<std::int32_t>(900 - s * 0.015 + noise(rng));
    (*record)[slot::kRangeN] = 7;  // 12 blocks, 48000 samples
    (*record)[slot::kStartPoint] = 1;
    (*record)[slot::kRangeLine] = 2000;
    view = std::make_unique<TraceView>(session);
    view->InitPlotSurfaces();
    storeWholeRecord(session, *record);
    session.completeTrace();
  }
};

void BM_RedrawPlot48000(benchmark::State& state) {
  Loaded l;
  for (auto _ : state) {
    l.view->RedrawPlot();
    benchmark::DoNotOptimize(l.view->canvas().constBits());
  }
  state.SetLabel("full view, 48001 segments, grid, labels, present (dark)");
}
BENCHMARK(BM_RedrawPlot48000)->Unit(benchmark::kMicrosecond);

void BM_GridAndLabelsOnly(benchmark::State& state) {
  Loaded l;
  HeaderState none;  // StartPoint = RangeLine: no curve
  QImage canvas = makePlotSurface();
  for (auto _ : state) {
    renderPlotCanvas(canvas, l.session.record(), none, l.session.view(), kIor);
    benchmark::DoNotOptimize(canvas.constBits());
  }
}
BENCHMARK(BM_GridAndLabelsOnly)->Unit(benchmark::kMicrosecond);

// The curve alone, with the run rasteriser and, for comparison, through QPainter.
void BM_Curve(benchmark::State& state) {
  Loaded l;
  const PlotFrame f = computePlotFrame(l.session.view(), kIor);
  QImage canvas = makePlotSurface();
  const int how = static_cast<int>(state.range(0));
  std::vector<QLineF> lines;
  const auto span = prepareCurve(l.session.header(), l.session.view());
  forEachTraceSegment(
      f, l.session.record(), l.session.header().StartPoint, *span, kIor,
      [&](double x1, double y1, double x2, double y2) { lines.emplace_back(x1, y1, x2, y2); });
  for (auto _ : state) {
    canvas.fill(kCanvasBackground);
    if (how == 0) {
      drawTraceCurve(canvas, f, l.session.record(), l.session.header(), l.session.view(), kIor);
    } else {
      QPainter p(&canvas);
      p.setPen(QPen(QColor::fromRgb(kCanvasInk), 1));
      if (how == 1) {
        for (const QLineF& line : lines) p.drawLine(line);
      } else {
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
      }
    }
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetLabel(how == 0 ? "run rasteriser" : how == 1 ? "QPainter drawLine each" : "drawLines");
}
BENCHMARK(BM_Curve)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_PresentPlot(benchmark::State& state) {
  Loaded l;
  const auto mode = static_cast<std::int16_t>(state.range(0));
  QImage visible = makePlotSurface();
  for (auto _ : state) {
    presentPlot(l.view->canvas(), visible, mode);
    benchmark::DoNotOptimize(visible.constBits());
  }
  state.SetLabel(mode == 1 ? "inverted (dark)" : "plain (light)");
}
BENCHMARK(BM_PresentPlot)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_MouseMoveChangingX(benchmark::State& state) {
  Loaded l;
  float x = 20000;
  for (auto _ : state) {
    x = x == 20000 ? 20050 : 20000;  // a different whole metre every time
    l.view->Picture2_MouseMove(x, 500);
    benchmark::DoNotOptimize(l.view->picture().constBits());
  }
  state.SetLabel("present (dark) + crosshair + readout");
}
BENCHMARK(BM_MouseMoveChangingX)->Unit(benchmark::kMicrosecond);

// The same move with both measuring markers and the event marks drawn over the plot: the
// presentation, the overlay, the crosshair and the readout.
void BM_MouseMoveWithMarkers(benchmark::State& state) {
  Loaded l;
  l.session.setMarker('A', 10000);
  l.session.setMarker('B', 30000);
  l.session.setShowEvents(true);
  float x = 20000;
  for (auto _ : state) {
    x = x == 20000 ? 20050 : 20000;
    l.view->Picture2_MouseMove(x, 500);
    benchmark::DoNotOptimize(l.view->picture().constBits());
  }
  state.SetLabel("present (dark) + markers A, B + events + crosshair + readout");
}
BENCHMARK(BM_MouseMoveWithMarkers)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink

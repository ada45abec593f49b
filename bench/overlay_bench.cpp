// The overlay's timings: a full redraw of one and of eight traces of 250 000 points each,
// beside the single plot of one such trace, and a crosshair move that reads all eight and
// draws its line and their ticks. Run by hand (Release build).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "bench_support.h"
#include "compare/overlay.h"
#include "render/level_series_plot.h"
#include "render/overlay_plot.h"
#include "render/plot_render.h"

namespace tracelink {
namespace {

void ensureApp() {
  bench::ensureApp<QGuiApplication>("overlay_bench");
}

constexpr std::size_t kPoints = 250'000;

// Eight fibres as eight instruments measured them: each its spacing, start and loss, with
// noise, splices, a reflection and the noise floor after the end.
const std::vector<Trace>& eightTraces() {
  static const std::vector<Trace> traces = [] {
    std::vector<Trace> out;
    std::mt19937 rng(20261209);
    for (int k = 0; k < 8; ++k) {
      Trace t;
      // Spacings as instruments state them (a sampling interval in fibre at its index).
      constexpr double kSpacings[] = {0.2041, 0.2552, 0.3062, 0.4083,
                                      0.5104, 0.6125, 0.8166, 1.0208};
      t.spacingM = kSpacings[k];
      t.originM = -50.0 * k;
      std::normal_distribution<double> noise(0, 20 + 10 * k);
      double level = -3000 - 2000 * k;
      const std::size_t end = kPoints * 4 / 5;
      for (std::size_t i = 0; i < kPoints; ++i) {
        level -= 0.35 * t.spacingM;
        if (i % 40000 == 39999) level -= 300;
        double v = level + noise(rng);
        if (i % 60000 == 500) v += 15000;
        if (i >= end) v = -60000 + noise(rng) * 50;
        t.levels.push_back(static_cast<std::int32_t>(v));
      }
      out.push_back(std::move(t));
    }
    return out;
  }();
  return traces;
}

std::vector<compare::OverlayTrace> overlayOf(std::size_t count) {
  std::vector<compare::OverlayTrace> overlay;
  for (std::size_t k = 0; k < count; ++k) overlay.push_back({&eightTraces()[k]});
  return overlay;
}

// The baseline: the single plot of one trace, full view.
void BM_SinglePlot(benchmark::State& state) {
  ensureApp();
  const Trace& trace = eightTraces()[0];
  QImage canvas = makePlotSurface();
  for (auto _ : state) {
    renderTraceCanvas(canvas, trace, 0, trace.size() - 1);
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetLabel("renderTraceCanvas, 1 x 250000 points");
}
BENCHMARK(BM_SinglePlot)->Unit(benchmark::kMillisecond);

void BM_OverlayRedraw(benchmark::State& state) {
  ensureApp();
  const std::vector<compare::OverlayTrace> overlay =
      overlayOf(static_cast<std::size_t>(state.range(0)));
  const OverlayView view = fullOverlayView(overlay);
  QImage canvas = makePlotSurface();
  for (auto _ : state) {
    renderOverlay(canvas, overlay, view);
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetLabel(std::to_string(state.range(0)) + " x 250000 points, full view");
}
BENCHMARK(BM_OverlayRedraw)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

// Zoomed to a tenth: the window's points are found by distance, not by walking them.
void BM_OverlayRedrawZoomed(benchmark::State& state) {
  ensureApp();
  const std::vector<compare::OverlayTrace> overlay = overlayOf(8);
  const OverlayView full = fullOverlayView(overlay);
  const OverlayView view{full.fromM + (full.toM - full.fromM) * 0.45,
                         full.fromM + (full.toM - full.fromM) * 0.55, std::nullopt};
  QImage canvas = makePlotSurface();
  for (auto _ : state) {
    renderOverlay(canvas, overlay, view);
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetLabel("8 x 250000 points, a tenth of the span");
}
BENCHMARK(BM_OverlayRedrawZoomed)->Unit(benchmark::kMillisecond);

// One pointer move as the Compare window answers it: the picture from the canvas, the
// crosshair's line, every trace's reading and its tick in its colour.
void BM_CrosshairMove(benchmark::State& state) {
  ensureApp();
  const std::vector<compare::OverlayTrace> overlay = overlayOf(8);
  const OverlayView view = fullOverlayView(overlay);
  OverlayScale scale;
  const QImage canvas = renderOverlay(overlay, view, &scale);
  QImage picture = canvas;
  // Where every trace has points, so that each move reads all eight.
  double from = view.fromM;
  double to = view.toM;
  for (const compare::OverlayTrace& t : overlay) {
    from = std::max(from, t.trace->originM);
    to = std::min(to, t.trace->lastDistanceM());
  }
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> at(from, to);
  std::size_t read = 0;
  for (auto _ : state) {
    const double distance = at(rng);
    presentPlot(canvas, picture, 0);
    QPainter p(&picture);
    const double x = scale.xOfDistance(distance);
    p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    p.drawLine(QLineF(x, PlotFrame::row(kPlotTop), x, PlotFrame::row(0)));
    const auto readings = compare::readingsAt(overlay, distance);
    for (std::size_t i = 0; i < readings.size(); ++i) {
      if (!readings[i]) continue;
      ++read;
      const double px = scale.xOfDistance(readings[i]->distanceM);
      const double py = scale.yOfLevel(readings[i]->levelDb);
      p.setPen(QPen(QColor::fromRgb(overlayColour(i)), 1));
      p.drawLine(QLineF(px - 4, py, px + 4, py));
    }
    p.end();
    benchmark::DoNotOptimize(picture.constBits());
  }
  state.counters["readings"] =
      benchmark::Counter(static_cast<double>(read), benchmark::Counter::kAvgIterations);
  state.SetLabel("8 readings, line and ticks, picture from the canvas");
}
BENCHMARK(BM_CrosshairMove)->Unit(benchmark::kMicrosecond);

// The readings alone.
void BM_ReadingsAt(benchmark::State& state) {
  const std::vector<compare::OverlayTrace> overlay = overlayOf(8);
  const OverlayView view = fullOverlayView(overlay);
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> at(view.fromM, view.toM);
  for (auto _ : state) benchmark::DoNotOptimize(compare::readingsAt(overlay, at(rng)));
  state.SetLabel("8 traces");
}
BENCHMARK(BM_ReadingsAt)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink

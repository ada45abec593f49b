// Big traces: from the open to the pixels (read the file, make the Trace, draw the full
// view) for the largest shared SOR sample and a generated SOR of 2 million points; a
// full-view redraw of 1 million points beside QPainter drawing the same segments; and a
// mouse move over a million-point trace. Each beside a baseline of the same run: the
// drawing as it was before the column runs (kept here as drawBefore), and QPainter.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "bench_support.h"
#include "files/record_file.h"
#include "measure/measure.h"
#include "render/level_series_plot.h"
#include "render/plot_render.h"
#include "render/segment_raster.h"
#include "session/trace_file.h"
#include "session/trace_session.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"
#include "trace/load_trace.h"
#include "trace/sha256.h"
#include "trace/trace_from_sor.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const fs::path kLargestSample = fs::path(TRACELINK_SOR_SAMPLES) / "sample06.sor";

void ensureApp() {
  bench::ensureApp<QGuiApplication>("big_trace_bench");
}

// A fibre as an instrument sees it: 0.2 dB/km, a few splices, noise that grows with the
// distance, and the noise floor at the end.
std::vector<std::int32_t> fibreLevels(std::size_t points, double spacingM, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0, 1);
  std::vector<std::int32_t> levels(points);
  for (std::size_t i = 0; i < points; ++i) {
    const double km = static_cast<double>(i) * spacingM / 1000;
    const double db = -3 - 0.2 * km - 0.3 * std::floor(km / 7) + noise(rng) * 0.02 * (1 + km);
    levels[i] = static_cast<std::int32_t>(std::lround(std::max(db, -60.0) * 1000));
  }
  return levels;
}

Trace millionPointTrace() {
  Trace t;
  t.spacingM = 0.0816;  // 81.6 km
  t.levels = fibreLevels(1000000, t.spacingM, 1);
  t.acquisition.rangeM = 81600;
  return t;
}

// sample06 with its data points replaced by `points` points 2 cm apart (40 km for 2
// million), as a high-resolution acquisition stores them.
fs::path generatedSor(std::size_t points) {
  const fs::path path =
      fs::temp_directory_path() / ("tracelink_bench_" + std::to_string(points) + "_2cm.sor");
  if (fs::exists(path)) return path;
  const Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(kLargestSample, 1 << 20);
  if (!bytes) std::abort();
  sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes);
  if (!file || !file->dataPts || !file->fxdParams) std::abort();
  sor::FxdParams& f = *file->fxdParams;
  f.dataSpacing.front() = static_cast<std::uint32_t>(
      std::lround(0.02 * sor::GroupIndex(f) / 1e-14 / sor::kVacuumLightSpeed));
  f.pointCounts.front() = static_cast<std::uint32_t>(points);
  sor::DataTrace& trace = file->dataPts->traces.front();
  const std::vector<std::int32_t> levels = fibreLevels(points, 0.02, 2);
  trace.scaleFactor = 1000;
  trace.values.resize(points);
  for (std::size_t i = 0; i < points; ++i)
    trace.values[i] = static_cast<std::uint16_t>(std::clamp(-levels[i], 0, 65535));
  file->dataPts->pointCount = static_cast<std::uint32_t>(points);
  const std::vector<std::uint8_t> out = sor::WriteSor(*file);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return path;
}

// The canvas as it was drawn before the column runs: every segment through the
// rasteriser's own path (the grid is the same and drawn by renderTraceCanvas today).
void drawBefore(const Trace& trace, QImage& canvas, const PlotFrame& f, double step) {
  const std::size_t n = trace.size();
  double lo = trace.levelDb(0);
  for (std::size_t i = 0; i < n; ++i) lo = std::min(lo, trace.levelDb(i));
  SegmentRaster raster(reinterpret_cast<std::uint32_t*>(canvas.bits()), canvas.bytesPerLine() / 4,
                       canvas.width(), canvas.height(), kCanvasInk);
  const double ior = kLightSpeed / 2.0 / trace.spacingM;
  const double metresPerSample = kLightSpeed / 2.0 / ior;
  const auto y = [&](std::size_t i) {
    return PlotFrame::row((trace.levelDb(i) - lo) / step * 100.0);
  };
  const auto x = [&](std::size_t i) {
    return f.column(sampleMetres(static_cast<std::int64_t>(i), ior, metresPerSample));
  };
  double x0 = x(0), y0 = y(0);
  for (std::size_t i = 1; i < n; ++i) {
    const double x1 = x(i), y1 = y(i);
    raster.addSegment(x0, y0, x1, y1);
    x0 = x1;
    y0 = y1;
  }
}

// The whole canvas as renderTraceCanvas drew it before: the extremes in dB point by point,
// the same grid, and drawBefore's curve.
void renderBefore(QImage& canvas, const Trace& trace) {
  canvas.fill(kCanvasBackground);
  double lo = trace.levelDb(0), hi = lo;
  for (std::size_t i = 0; i < trace.size(); ++i) {
    lo = std::min(lo, trace.levelDb(i));
    hi = std::max(hi, trace.levelDb(i));
  }
  const double step = levelStep(hi - lo);
  ViewWindow view;
  view.ViewStart = 0;
  view.ViewEnd = static_cast<std::int32_t>(trace.size() - 1);
  const PlotFrame f = computePlotFrame(drawnWindow(view), kLightSpeed / 2.0 / trace.spacingM);
  std::vector<LevelLine> levels = levelLines(f);
  for (LevelLine& line : levels)
    if (line.y != 900) line.label.text = std::to_string(std::llround(line.y / 100 * step));
  drawPlotGrid(canvas, f, levels);
  drawBefore(trace, canvas, f, step);
}

// The segments of the full view, as renderTraceCanvas draws them.
std::vector<QLineF> segmentsOf(const Trace& trace) {
  const TraceCanvasScale scale = traceCanvasScale(trace, 0, trace.size() - 1);
  std::vector<QLineF> lines;
  lines.reserve(trace.size());
  for (std::size_t i = scale.first; i < scale.end; ++i)
    lines.emplace_back(scale.x(i), scale.y(trace, i), scale.x(i + 1), scale.y(trace, i + 1));
  return lines;
}

// --- from the open to the pixels -------------------------------------------------------

// Arg 0: today's canvas; arg 1: the canvas drawn as before (the baseline).
void openToPixels(benchmark::State& state, const fs::path& path) {
  ensureApp();
  QImage canvas = makePlotSurface();
  const bool before = state.range(0) == 1;
  if (const Result<Trace> once = LoadTrace(path)) {
    QImage old = makePlotSurface();
    renderBefore(old, *once);
    if (old != renderTraceCanvas(*once, 0, once->size() - 1))
      state.SkipWithError("the canvas differs from the one drawn before");
  }
  for (auto _ : state) {
    Result<Trace> trace = LoadTrace(path);
    if (!trace) {
      state.SkipWithError(trace.error().text().c_str());
      break;
    }
    if (before) {
      renderBefore(canvas, *trace);
    } else {
      renderTraceCanvas(canvas, *trace, 0, trace->size() - 1);
    }
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
}

void BM_OpenToPixels_Sample06(benchmark::State& state) {
  openToPixels(state, kLargestSample);
  state.SetLabel(state.range(0) == 1 ? "baseline: as before" : "LoadTrace + full-view canvas");
}
BENCHMARK(BM_OpenToPixels_Sample06)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OpenToPixels_Generated2M(benchmark::State& state) {
  openToPixels(state, generatedSor(2000000));
  state.SetLabel(state.range(0) == 1 ? "baseline: as before" : "LoadTrace + full-view canvas");
}
BENCHMARK(BM_OpenToPixels_Generated2M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The steps of the open, for the 2M-point file.
void BM_Open2M_Steps(benchmark::State& state) {
  const fs::path path = generatedSor(2000000);
  const Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path, sor::kMaxSorFileBytes);
  const sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes);
  const int step = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (step == 0) {
      auto b = ReadFileBytes(path, sor::kMaxSorFileBytes);
      benchmark::DoNotOptimize(b);
    } else if (step == 1) {
      auto f = sor::ReadSor(*bytes);
      benchmark::DoNotOptimize(f);
    } else if (step == 2) {
      auto t = TraceOfSorFile(*file);
      benchmark::DoNotOptimize(t);
    } else if (step == 3) {
      auto t = LoadTrace(path);
      benchmark::DoNotOptimize(t);
    } else if (step == 4) {
      benchmark::DoNotOptimize(sor::Crc16(*bytes));
    } else {
      auto sha = Sha256Hex(*bytes);
      benchmark::DoNotOptimize(sha);
    }
  }
  const char* const names[] = {"ReadFileBytes",
                               "ReadSor",
                               "TraceOfSorFile",
                               "LoadTrace (all, with SHA-256)",
                               "of ReadSor: the CRC over the file",
                               "of LoadTrace: the SHA-256 of the file"};
  state.SetLabel(names[step]);
}
BENCHMARK(BM_Open2M_Steps)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// --- the full-view redraw of a million points --------------------------------------------

void BM_Redraw1M(benchmark::State& state) {
  ensureApp();
  const Trace trace = millionPointTrace();
  QImage canvas = makePlotSurface();
  for (auto _ : state) {
    renderTraceCanvas(canvas, trace, 0, trace.size() - 1);
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(trace.size()));
  state.SetLabel("renderTraceCanvas: grid, labels, curve");
}
BENCHMARK(BM_Redraw1M)->Unit(benchmark::kMillisecond);

// The curve alone: 0 the column runs, 1 every segment through the rasteriser (before),
// 2 QPainter::drawLines of the same segments, 3 QPainter::drawLine each.
void BM_Curve1M(benchmark::State& state) {
  ensureApp();
  const Trace trace = millionPointTrace();
  QImage canvas = makePlotSurface();
  const int how = static_cast<int>(state.range(0));
  PlotFrame frame;
  double step = 0;
  renderTraceCanvas(canvas, trace, 0, trace.size() - 1, &frame, &step);
  const TraceCanvasScale scale = traceCanvasScale(trace, 0, trace.size() - 1);
  const std::vector<QLineF> lines = how >= 2 ? segmentsOf(trace) : std::vector<QLineF>{};
  if (how == 2) {
    // The figures compare the same pixels.
    QImage runs = makePlotSurface();
    drawTraceCurve(runs, trace, scale);
    QPainter p(&canvas);
    canvas.fill(kCanvasBackground);
    p.setPen(QPen(QColor::fromRgb(kCanvasInk), 1));
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
    p.end();
    if (runs != canvas) state.SkipWithError("drawLines set other pixels");
  }
  for (auto _ : state) {
    canvas.fill(kCanvasBackground);
    if (how == 0) {
      drawTraceCurve(canvas, trace, scale);
    } else if (how == 1) {
      drawBefore(trace, canvas, frame, step);
    } else {
      QPainter p(&canvas);
      p.setPen(QPen(QColor::fromRgb(kCanvasInk), 1));
      if (how == 2) {
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
      } else {
        for (const QLineF& line : lines) p.drawLine(line);
      }
    }
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(trace.size()));
  const char* const names[] = {"column runs", "before: each segment rasterised",
                               "QPainter drawLines", "QPainter drawLine each"};
  state.SetLabel(names[how]);
}
BENCHMARK(BM_Curve1M)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// --- the mouse move over a million points ------------------------------------------------

// What the crosshair does for a trace: present the canvas (inverted, the dark scheme),
// read the level at the pointer's metre and draw the two lines.
void BM_MouseMove1M(benchmark::State& state) {
  ensureApp();
  const Trace trace = millionPointTrace();
  PlotFrame frame;
  double step = 0;
  const QImage canvas = renderTraceCanvas(trace, 0, trace.size() - 1, &frame, &step);
  const TraceCanvasScale scale = traceCanvasScale(trace, 0, trace.size() - 1);
  QImage visible = makePlotSurface();
  std::int32_t metre = 20000;
  for (auto _ : state) {
    metre = metre == 20000 ? 20050 : 20000;
    presentPlot(canvas, visible, kInvertedColourMode);
    const Measured<MarkerLevel> level = levelAt(trace, metre);
    QPainter p(&visible);
    p.setPen(QPen(QColor(0, 0, 255), 1, Qt::DashLine));
    p.drawLine(
        QLineF(frame.column(metre), PlotFrame::row(2000), frame.column(metre), PlotFrame::row(0)));
    if (level) {
      const double row = scale.yOfMilliDb(level->milliDb);
      p.drawLine(QLineF(frame.column(frame.viewStartM), row, frame.column(frame.viewEndM), row));
    }
    benchmark::DoNotOptimize(visible.constBits());
  }
  state.SetLabel("present (dark) + levelAt + two lines");
}
BENCHMARK(BM_MouseMove1M)->Unit(benchmark::kMicrosecond);

// Baseline: the presentation alone.
void BM_Baseline_Present(benchmark::State& state) {
  ensureApp();
  const QImage canvas = makePlotSurface();
  QImage visible = makePlotSurface();
  for (auto _ : state) {
    presentPlot(canvas, visible, kInvertedColourMode);
    benchmark::DoNotOptimize(visible.constBits());
  }
  state.SetLabel("baseline: presentPlot (dark) alone");
}
BENCHMARK(BM_Baseline_Present)->Unit(benchmark::kMicrosecond);

// The window's open (read by content, then shown by the session) beside LoadTrace alone.
void sessionOpen(benchmark::State& state, const fs::path& path) {
  TraceSession session(Language::English, ".");
  for (auto _ : state) {
    if (state.range(0) == 1) {
      Result<Trace> trace = LoadTrace(path);
      if (!trace) state.SkipWithError("LoadTrace failed");
      benchmark::DoNotOptimize(trace);
    } else {
      Result<OpenedTrace> opened = ReadTraceByContent(path, Language::English, session.snapshot());
      if (!opened) state.SkipWithError("ReadTraceByContent failed");
      session.showOpened(std::move(*opened), path);
      benchmark::DoNotOptimize(session.scaleText());
    }
  }
  state.SetLabel(state.range(0) == 1 ? "baseline: LoadTrace"
                                     : "window: ReadTraceByContent + showOpened");
}

void BM_SessionOpen_Sample06(benchmark::State& state) {
  sessionOpen(state, kLargestSample);
}
BENCHMARK(BM_SessionOpen_Sample06)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SessionOpen_Generated2M(benchmark::State& state) {
  sessionOpen(state, generatedSor(2000000));
}
BENCHMARK(BM_SessionOpen_Generated2M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tracelink

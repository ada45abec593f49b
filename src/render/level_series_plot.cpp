#include "render/level_series_plot.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "record/units.h"
#include "render/plot_render.h"
#include "render/segment_raster.h"

namespace tracelink {

namespace {

// The group index that makes one sample of the plot arithmetic exactly one point of the
// trace, so that the frame, the grid and the distances follow the same rules.
double indexForSpacing(double spacingM) {
  return kLightSpeed / 2.0 / spacingM;
}

std::string stepLabel(double dB) {
  // Steps are whole numbers of dB, so every label is.
  return std::to_string(static_cast<long long>(std::llround(dB)));
}

// The last point from i on that sampleMetres() certainly puts on metre m, which it gave
// for point i: while the products s x metresPerSample stay clear of the halves on both
// sides of m, its rounding cannot go elsewhere. Point i itself when it is not clear.
std::size_t lastOnSameMetre(std::size_t i, std::int32_t m, double metresPerSample) {
  constexpr double kClear = 1e-5;  // well outside sampleMetres' 1e-6 next to a half
  const double v = static_cast<double>(i) * metresPerSample;
  const double top = m + 0.5 - kClear;
  if (!(v >= m - 0.5 + kClear && v <= top && top < 1.0e9)) return i;
  const double count = top / metresPerSample;
  if (!(count < 1e15)) return i;  // points too dense to be a trace: no shortcut
  auto last = static_cast<std::size_t>(count);
  while (last > i && static_cast<double>(last) * metresPerSample > top) --last;
  return std::max(last, i);
}

}  // namespace

double usableSpacing(const Trace& trace) {
  return std::isfinite(trace.spacingM) && trace.spacingM > 0 ? trace.spacingM
                                                             : kLightSpeed / 2 / kIor;
}

void drawTraceGrid(QImage& canvas, const PlotFrame& frame, double lowDb, double stepDb,
                   const LevelRange* levels) {
  canvas.fill(kCanvasBackground);
  std::vector<LevelLine> lines;
  if (frame.levelZoomed && levels) {
    // Zoomed, the lines are at round levels in dB, as the trace's own levels are.
    const double dbPerLevel = stepDb / 100.0;
    lines = zoomedLevelLines(frame, levelWindowOf(*levels, lowDb, dbPerLevel), lowDb, dbPerLevel);
  } else {
    lines = levelLines(frame);
    for (LevelLine& line : lines)
      if (line.y != 900) line.label.text = stepLabel(line.y / 100 * stepDb);
  }
  drawPlotGrid(canvas, frame, lines);
}

double levelStep(double spanDb) {
  return LevelDivisionDb(spanDb);
}

TraceCanvasScale traceCanvasScale(const Trace& trace, std::size_t first, std::size_t last,
                                  const LevelRange* levels) {
  TraceCanvasScale s;
  const std::size_t n = trace.size();
  last = std::min(last, n == 0 ? 0 : n - 1);
  first = std::min(first, last);
  s.ior = indexForSpacing(usableSpacing(trace));
  s.metresPerSample = kLightSpeed / 2.0 / s.ior;
  ViewWindow view;
  view.ViewStart = static_cast<std::int32_t>(std::min<std::size_t>(first, INT32_MAX - 1));
  view.ViewEnd = static_cast<std::int32_t>(std::min<std::size_t>(last, INT32_MAX));
  s.frame = computePlotFrame(drawnWindow(view), s.ior);
  s.first = first;
  // Every point drawn counts, the one beyond the window too.
  s.end = n == 0 ? 0 : std::min(last + 1, n - 1);
  if (n == 0) return s;
  // In whole thousandths, then in dB once: the same values as converting every point, in a
  // loop the compiler vectorises.
  std::int32_t lo = trace.levels[first];
  std::int32_t hi = lo;
  for (std::size_t i = first; i <= s.end; ++i) {
    lo = std::min(lo, trace.levels[i]);
    hi = std::max(hi, trace.levels[i]);
  }
  s.lowMilliDb = lo;
  s.highMilliDb = hi;
  s.lowDb = lo / kMilliDbPerDb;
  s.stepDb = levelStep(hi / kMilliDbPerDb - s.lowDb);
  s.curve = first < last;
  if (levels) applyLevelWindow(s.frame, levelWindowOf(*levels, s.lowDb, s.stepDb / 100.0));
  return s;
}

void drawTraceCurve(QImage& canvas, const Trace& trace, const TraceCanvasScale& scale) {
  drawTraceCurve(canvas, trace, scale, kCanvasInk);
}

void drawTraceCurve(QImage& canvas, const Trace& trace, const TraceCanvasScale& scale, QRgb ink) {
  if (!scale.curve || scale.end >= trace.size() || scale.first >= scale.end) return;
  SegmentRaster raster(reinterpret_cast<std::uint32_t*>(canvas.bits()), canvas.bytesPerLine() / 4,
                       canvas.width(), canvas.height(), ink);
  // A big trace repeats its levels many times over (a million points rarely span more
  // than 65 dB, 65000 levels): each level's row is worked out once, in a table, when the
  // table is smaller than the points. The rows are the very doubles scale.y() gives.
  const std::size_t points = scale.end - scale.first + 1;
  const std::int64_t levelCount =
      static_cast<std::int64_t>(scale.highMilliDb) - scale.lowMilliDb + 1;
  std::vector<double> rows;
  if (points >= 4096 && levelCount <= static_cast<std::int64_t>(points / 2)) {
    rows.resize(static_cast<std::size_t>(levelCount));
    for (std::int64_t k = 0; k < levelCount; ++k)
      rows[static_cast<std::size_t>(k)] =
          scale.yOfMilliDb(static_cast<std::int32_t>(scale.lowMilliDb + k));
  }
  const std::int32_t* levels = trace.levels.data();
  const std::int32_t base = scale.lowMilliDb;
  const auto y = [&](std::size_t i) {
    // A scale made for other levels still draws them, only without the table.
    const auto k = static_cast<std::uint64_t>(static_cast<std::int64_t>(levels[i]) - base);
    return k < rows.size() ? rows[k] : scale.yOfMilliDb(levels[i]);
  };

  // As our own curve does, the last segment reaches one point beyond the window (where
  // there is one) and is clipped at its edge. The many points of a big trace that share
  // a metre share its column: the metre is worked out once for each.
  const double metresPerSample = scale.metresPerSample;
  std::int32_t metre =
      sampleMetres(static_cast<std::int64_t>(scale.first), scale.ior, metresPerSample);
  double x = scale.frame.column(metre);
  raster.moveTo(x, y(scale.first));
  for (std::size_t i = scale.first + 1; i <= scale.end;) {
    const std::int32_t m = sampleMetres(static_cast<std::int64_t>(i), scale.ior, metresPerSample);
    if (m != metre) {
      metre = m;
      x = scale.frame.column(m);
    }
    const std::size_t until = std::min(scale.end, lastOnSameMetre(i, m, metresPerSample));
    for (; i <= until; ++i) raster.lineTo(x, y(i));
  }
}

void renderTraceCanvas(QImage& canvas, const Trace& trace, std::size_t first, std::size_t last,
                       PlotFrame* frameOut, double* stepOut, const LevelRange* range) {
  const TraceCanvasScale scale = traceCanvasScale(trace, first, last, range);
  if (frameOut) *frameOut = scale.frame;
  if (stepOut) *stepOut = scale.stepDb;
  drawTraceGrid(canvas, scale.frame, scale.lowDb, scale.stepDb, range);
  drawTraceCurve(canvas, trace, scale);
}

QImage renderTraceCanvas(const Trace& trace, std::size_t first, std::size_t last,
                         PlotFrame* frameOut, double* stepOut, const LevelRange* levels) {
  QImage canvas = makePlotSurface();
  renderTraceCanvas(canvas, trace, first, last, frameOut, stepOut, levels);
  return canvas;
}

}  // namespace tracelink

#include "view/level_series_plot.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "view/plot_render.h"
#include "view/segment_raster.h"

namespace tracelink {

namespace {

// The group index that makes one sample of the plot arithmetic exactly one point of the
// trace, so that the frame, the grid and the distances follow the same rules.
double indexForSpacing(double spacingM) {
  return kLightSpeed / 2.0 / spacingM;
}

QLineF plotLine(const PlotFrame& f, double x1, double y1, double x2, double y2) {
  return QLineF(f.column(x1), PlotFrame::row(y1), f.column(x2), PlotFrame::row(y2));
}

std::string stepLabel(double dB) {
  // Steps are whole numbers of dB, so every label is.
  return std::to_string(static_cast<long long>(std::llround(dB)));
}

}  // namespace

double levelStep(double spanDb) {
  double step = 1;
  for (int k = 0; k < 40 && step * 10 < spanDb; ++k) {
    const int digit =
        static_cast<int>(std::llround(step / std::pow(10.0, std::floor(std::log10(step)))));
    step *= digit == 2 ? 2.5 : 2;
  }
  return step;
}

QImage renderTraceCanvas(const Trace& trace, std::size_t first, std::size_t last,
                         PlotFrame* frameOut, double* stepOut) {
  QImage canvas = makePlotSurface();
  const std::size_t n = trace.size();
  last = std::min(last, n == 0 ? 0 : n - 1);
  first = std::min(first, last);
  const double spacing =
      std::isfinite(trace.spacingM) && trace.spacingM > 0 ? trace.spacingM : kLightSpeed / 2 / kIor;
  const double ior = indexForSpacing(spacing);
  ViewWindow view;
  view.ViewStart = static_cast<std::int32_t>(std::min<std::size_t>(first, INT32_MAX - 1));
  view.ViewEnd = static_cast<std::int32_t>(std::min<std::size_t>(last, INT32_MAX));
  repairWindow(view);
  const PlotFrame f = computePlotFrame(view, ior);

  double lo = 0, hi = 0;
  bool any = false;
  // Every point drawn counts, the one beyond the window too.
  const std::size_t end = n == 0 ? 0 : std::min(last + 1, n - 1);
  for (std::size_t i = first; i <= end && i < n; ++i) {
    const double v = trace.levelDb(i);
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  }
  const double step = levelStep(hi - lo);
  if (frameOut) *frameOut = f;
  if (stepOut) *stepOut = step;

  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, false);
    QFont font = p.font();
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    const QFontMetricsF metrics(p.font());
    const QPen ink(QColor::fromRgb(kCanvasInk), 1, Qt::SolidLine);
    const QPen grid(QColor::fromRgb(kGridColour), 1, Qt::DotLine);
    const auto label = [&](const PlotLabel& l, const std::string& text) {
      p.drawText(QPointF(f.column(l.x), PlotFrame::row(l.y) + metrics.ascent()),
                 QString::fromStdString(text));
    };
    for (const LevelLine& line : levelLines(f)) {
      p.setPen(ink);
      label(line.label, line.y == 900 ? line.label.text : stepLabel(line.y / 100 * step));
      p.setPen(grid);
      p.drawLine(plotLine(f, f.viewStartM, line.y, f.viewEndM, line.y));
    }
    for (const DistanceLine& line : distanceLines(f)) {
      p.setPen(ink);
      label(line.label, line.label.text);
      p.setPen(grid);
      p.drawLine(plotLine(f, line.x, 0, line.x, 2000));
    }
    p.setPen(ink);
    p.drawLine(plotLine(f, f.viewStartM, 1000, f.viewStartM, 0));
    p.drawLine(plotLine(f, f.viewStartM, 0, f.viewEndM, 0));
  }

  if (!any || first >= last) return canvas;
  SegmentRaster raster(reinterpret_cast<std::uint32_t*>(canvas.bits()), canvas.bytesPerLine() / 4,
                       canvas.width(), canvas.height(), kCanvasInk);
  const double metresPerSample = kLightSpeed / 2.0 / ior;
  const auto y = [&](std::size_t i) {
    return PlotFrame::row((trace.levelDb(i) - lo) / step * 100.0);
  };
  const auto x = [&](std::size_t i) {
    return f.column(sampleMetres(static_cast<std::int64_t>(i), ior, metresPerSample));
  };
  // As our own curve does, the last segment reaches one point beyond the window (where
  // there is one) and is clipped at its edge.
  double x0 = x(first), y0 = y(first);
  for (std::size_t i = first + 1; i <= end; ++i) {
    const double x1 = x(i), y1 = y(i);
    raster.addSegment(x0, y0, x1, y1);
    x0 = x1;
    y0 = y1;
  }
  return canvas;
}

}  // namespace tracelink

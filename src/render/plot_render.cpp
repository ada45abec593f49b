#include "render/plot_render.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstring>

#include "render/segment_raster.h"
#include "render/vector_state.h"

namespace tracelink {

QImage makePlotSurface() {
  QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
  image.fill(kCanvasBackground);
  return image;
}

std::optional<SampleSpan> prepareCurve(const HeaderState& header, const ViewWindow& view) {
  if (header.StartPoint >= header.RangeLine) return std::nullopt;
  // Sample s is the word at StartPoint - 1 + s and its segment also reads the next word;
  // the curve ends where the record does instead of reading past it.
  const std::int64_t sp = header.StartPoint;
  SampleSpan span;
  span.first = std::max<std::int64_t>(view.ViewStart, 1 - sp);
  span.last = std::min<std::int64_t>(view.ViewEnd, kRecordWords - 1 - sp);
  if (span.first > span.last) return std::nullopt;
  return span;
}

namespace {

QLineF plotLine(const PlotFrame& f, double x1, double y1, double x2, double y2) {
  return QLineF(f.column(x1), PlotFrame::row(y1), f.column(x2), PlotFrame::row(y2));
}

// Labels hang from their top-left corner, the way the plot has always printed text. A
// level's label follows the level rows; every other label stays in the layout.
void drawLabel(QPainter& p, const QFontMetricsF& metrics, const PlotFrame& f,
               const PlotLabel& label, bool level = false) {
  const double row = level ? f.levelRow(label.y) : PlotFrame::row(label.y);
  p.drawText(QPointF(f.column(label.x), row + metrics.ascent()),
             QString::fromStdString(label.text));
}

}  // namespace

void drawTraceCurve(QImage& canvas, const PlotFrame& frame, const TraceRecord& record,
                    const HeaderState& header, const ViewWindow& view, double ior) {
  const std::optional<SampleSpan> span = prepareCurve(header, view);
  if (!span) return;
  clearUpperVectorState();
  SegmentRaster raster(reinterpret_cast<std::uint32_t*>(canvas.bits()), canvas.bytesPerLine() / 4,
                       canvas.width(), canvas.height(), kCanvasInk);
  forEachTraceSegment(
      frame, record, header.StartPoint, *span, ior,
      [&](double x1, double y1, double x2, double y2) { raster.addSegment(x1, y1, x2, y2); });
}

void drawPlotGrid(QImage& canvas, const PlotFrame& f, const std::vector<LevelLine>& levels) {
  QPainter p(&canvas);
  p.setRenderHint(QPainter::Antialiasing, false);
  // Labels are plain black glyph pixels like every other line of the canvas; smoothed
  // edges would add greys the colour schemes do not have.
  QFont font = p.font();
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  const QFontMetricsF metrics(p.font());
  const QPen ink(QColor::fromRgb(kCanvasInk), 1, Qt::SolidLine);
  const QPen grid(QColor::fromRgb(kGridColour), 1, Qt::DotLine);

  for (const LevelLine& line : levels) {
    p.setPen(ink);
    drawLabel(p, metrics, f, line.label, true);
    p.setPen(grid);
    const double row = f.levelRow(line.levelY);
    p.drawLine(QLineF(f.column(f.viewStartM), row, f.column(f.viewEndM), row));
  }
  for (const DistanceLine& line : distanceLines(f)) {
    p.setPen(ink);
    drawLabel(p, metrics, f, line.label);
    p.setPen(grid);
    // Up to 2000 on purpose: the top edge clips it.
    p.drawLine(plotLine(f, line.x, 0, line.x, 2000));
  }
  p.setPen(ink);
  p.drawLine(plotLine(f, f.viewStartM, 1000, f.viewStartM, 0));
  p.drawLine(plotLine(f, f.viewStartM, 0, f.viewEndM, 0));
}

PlotFrame renderPlotCanvas(QImage& canvas, const TraceRecord& record, const HeaderState& header,
                           const ViewWindow& view, double ior, const LevelRange* levels) {
  canvas.fill(kCanvasBackground);
  PlotFrame f = computePlotFrame(view, ior);
  const LevelWindow window =
      levels ? levelWindowOf(*levels, 0.0, kDbPerRecordLevel) : LevelWindow{};
  if (levels && applyLevelWindow(f, window)) {
    drawPlotGrid(canvas, f, zoomedLevelLines(f, window, 0.0, kDbPerRecordLevel));
  } else {
    drawPlotGrid(canvas, f, levelLines(f));
  }
  drawTraceCurve(canvas, f, record, header, view, ior);
  return f;
}

QImage renderPlotCanvas(const TraceRecord& record, const HeaderState& header,
                        const ViewWindow& view, double ior, PlotFrame* out,
                        const LevelRange* levels) {
  QImage canvas = makePlotSurface();
  const ViewWindow window = drawnWindow(view);
  const PlotFrame f = renderPlotCanvas(canvas, record, header, window, ior, levels);
  if (out) *out = f;
  return canvas;
}

namespace {

// Every colour component c becomes 255 - c; the alpha byte stays opaque. A plain loop the
// compiler vectorises, rather than a raster operation through QPainter.
void invertRow(const std::uint32_t* __restrict src, std::uint32_t* __restrict dst, int count) {
  for (int x = 0; x < count; ++x) dst[x] = src[x] ^ 0x00ffffffu;
}

}  // namespace

void presentPlot(const QImage& canvas, QImage& visible, std::int16_t backColourMode) {
  const int w = std::min(canvas.width(), visible.width());
  const int h = std::min(canvas.height(), visible.height());
  const uchar* srcBits = canvas.constBits();
  uchar* dstBits = visible.bits();
  clearUpperVectorState();
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(srcBits + y * canvas.bytesPerLine());
    auto* dst = reinterpret_cast<std::uint32_t*>(dstBits + y * visible.bytesPerLine());
    if (backColourMode == kInvertedColourMode) {
      invertRow(src, dst, w);
    } else {
      std::memcpy(dst, src, static_cast<std::size_t>(w) * sizeof(std::uint32_t));
    }
  }
}

}  // namespace tracelink

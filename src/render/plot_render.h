#pragma once

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/trace_record.h"
#include "record/units.h"
#include "render/plot_geometry.h"

namespace tracelink {

// Colours of the canvas (the light scheme); the dark scheme is their inverse.
inline constexpr QRgb kCanvasBackground = 0xffffffffu;
inline constexpr QRgb kCanvasInk = 0xff000000u;
inline constexpr QRgb kGridColour = 0xff404040u;

// dB of one level of our records (their samples are hundredths of a dB).
inline constexpr double kDbPerRecordLevel = 0.01;

// A blank plot surface (723 x 369, 32-bit, white).
QImage makePlotSurface();

// The samples whose segments the curve draws: s = first .. last, each from sample s to
// s + 1. nullopt when no curve is drawn (StartPoint >= RangeLine, or the window lies
// wholly outside the record). The span is cut so that no segment reads a word outside the
// record.
struct SampleSpan {
  std::int64_t first = 0;
  std::int64_t last = -1;
};
std::optional<SampleSpan> prepareCurve(const HeaderState& header, const ViewWindow& view);

// Calls fn(x1, y1, x2, y2) in pixel coordinates for every segment of the curve, in order.
template <class Fn>
void forEachTraceSegment(const PlotFrame& frame, const TraceRecord& record, std::int32_t startPoint,
                         const SampleSpan& span, double ior, Fn&& fn) {
  ior = usableIor(ior);
  const double metresPerSample = kLightSpeed / 2.0 / ior;
  const std::int32_t* words = record.words.data() + (static_cast<std::int64_t>(startPoint) - 1);
  double x0 = frame.column(sampleMetres(span.first, ior, metresPerSample));
  double y0 = frame.levelRow(words[span.first]);
  for (std::int64_t s = span.first; s <= span.last; ++s) {
    const double x1 = frame.column(sampleMetres(s + 1, ior, metresPerSample));
    const double y1 = frame.levelRow(words[s + 1]);
    fn(x0, y0, x1, y1);
    x0 = x1;
    y0 = y1;
  }
}

// Draws the level lines (with their labels as given), the distance lines and labels of
// the frame and the two axes: everything of the canvas but the curve.
void drawPlotGrid(QImage& canvas, const PlotFrame& frame, const std::vector<LevelLine>& levels);

// Renders grid, labels, axes and curve of the window onto a canvas made by
// makePlotSurface(), always in the light colours. The window must have positive width
// (drawnWindow). Returns the frame drawn; its gridStep gives the scale text. With a level
// range the levels are zoomed to it and the level
// lines follow; without one the picture is the unzoomed plot.
PlotFrame renderPlotCanvas(QImage& canvas, const TraceRecord& record, const HeaderState& header,
                           const ViewWindow& view, double ior, const LevelRange* levels = nullptr);
// The same into a new image.
QImage renderPlotCanvas(const TraceRecord& record, const HeaderState& header,
                        const ViewWindow& view, double ior, PlotFrame* out = nullptr,
                        const LevelRange* levels = nullptr);

// Only the curve, drawn with the run rasteriser (step 10 of the redraw).
void drawTraceCurve(QImage& canvas, const PlotFrame& frame, const TraceRecord& record,
                    const HeaderState& header, const ViewWindow& view, double ior);

// Copies the canvas onto the visible picture: inverted in the dark scheme (mode 1), as
// it is otherwise. Both must be plot surfaces of the same size.
void presentPlot(const QImage& canvas, QImage& visible, std::int16_t backColourMode);

}  // namespace tracelink

#pragma once

#include <QImage>
#include <QRgb>
#include <cstddef>
#include <cstdint>
#include "render/plot_geometry.h"
#include "trace/trace.h"

namespace tracelink {

// dB per level division: the smallest of 1, 2, 5, 10, 20, 50, ... whose ten divisions
// hold the levels from the lowest to the highest. Our own traces always fit 1 dB.
double levelStep(double spanDb);

// Where the points of a trace land on its canvas: the frame of the window, the level on
// the bottom axis and the dB per division. The curve, the crosshair and any mark drawn over
// the canvas take their pixel positions from here, so they agree to the last bit.
struct TraceCanvasScale {
  PlotFrame frame;
  double stepDb = 1;            // dB per level division
  double lowDb = 0;             // the level on the bottom axis: the lowest point drawn
  std::int32_t lowMilliDb = 0;  // the lowest and highest level drawn
  std::int32_t highMilliDb = 0;
  double ior = 0;  // the group index that makes one sample of the plot one point
  double metresPerSample = 0;
  std::size_t first = 0;
  std::size_t end = 0;  // the last point drawn: one beyond the window, where there is one
  bool curve = false;   // false when the window holds fewer than two points

  // Pixel column of point i and pixel row of a level, fractional, as the curve uses them.
  double x(std::size_t i) const {
    return frame.column(sampleMetres(static_cast<std::int64_t>(i), ior, metresPerSample));
  }
  double yOfMilliDb(std::int32_t milliDb) const {
    return frame.levelRow((milliDb / kMilliDbPerDb - lowDb) / stepDb * 100.0);
  }
  double y(const Trace& trace, std::size_t i) const { return yOfMilliDb(trace.levels[i]); }
};

// The spacing a trace is drawn at: its own, or ours when it has none that is usable.
double usableSpacing(const Trace& trace);

// Clears a plot surface and draws the grid of a frame whose lowest level is lowDb with
// stepDb per division: the level lines labelled in whole dB ("(dB)" on the tenth line from
// the top, as always), or, when the frame is zoomed to the range `levels`, at round levels
// in dB; then the distance lines and the margin.
void drawTraceGrid(QImage& canvas, const PlotFrame& frame, double lowDb, double stepDb,
                   const LevelRange* levels);

// The scale of the canvas that shows points first..last (clamped to the trace); with a
// level range, its levels fill the plot's level rows (the frame's level window).
TraceCanvasScale traceCanvasScale(const Trace& trace, std::size_t first, std::size_t last,
                                  const LevelRange* levels = nullptr);

// Draws points first..last of a trace (and, as our curve does, the segment to the next
// point, clipped) on a plot canvas (723 x 369, light colours) with the grid rules of our
// own traces: the same margin, distance lines, labels and 11 level lines; the distances
// count from the first point (i x spacing, whole metres). The lowest level sits on the
// bottom axis and each level line is levelStep() dB above the one below; its label says
// how many dB that is ("(dB)" on the tenth line from the top, as always). The curve needs
// at least two points in the window; a trace without a positive spacing is drawn at ours.
QImage renderTraceCanvas(const Trace& trace, std::size_t first, std::size_t last,
                         PlotFrame* frameOut = nullptr, double* stepOut = nullptr,
                         const LevelRange* levels = nullptr);
// The same onto an existing plot surface (makePlotSurface()), which is cleared first; a
// redraw that keeps its canvas saves the allocation.
void renderTraceCanvas(QImage& canvas, const Trace& trace, std::size_t first, std::size_t last,
                       PlotFrame* frameOut = nullptr, double* stepOut = nullptr,
                       const LevelRange* levels = nullptr);

// Only the curve, onto a canvas already holding the grid: exactly the pixels of
// QPainter::drawLine (1 px, square cap, no antialiasing) for every segment from point
// scale.first to scale.end, in time that grows with the points and not with their pixels.
void drawTraceCurve(QImage& canvas, const Trace& trace, const TraceCanvasScale& scale);
// The same in another colour (the overlay of several traces).
void drawTraceCurve(QImage& canvas, const Trace& trace, const TraceCanvasScale& scale, QRgb ink);

}  // namespace tracelink

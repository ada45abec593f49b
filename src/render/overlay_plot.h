#pragma once

#include <QImage>
#include <QRgb>
#include <cstddef>
#include <optional>
#include <vector>

#include "compare/overlay.h"
#include "render/level_series_plot.h"
#include "render/plot_geometry.h"

namespace tracelink {

// Up to eight traces drawn on one plot canvas, on one distance axis (each at its own spacing
// from its own origin) and one level axis (each moved by its offset), each in its colour.
// One trace alone, at full view and without offset, gives exactly renderTraceCanvas' pixels:
// the same grid rules, and each point on the whole metre the single plot puts it on (its
// i x spacing rounded), moved by where the trace's first point lies on the axis. Traces
// after the eighth are not drawn.

// The colour of trace i (light scheme; the dark scheme inverts the canvas, and the eight
// stay apart there too). Trace 0 is the ink of the single plot.
QRgb overlayColour(std::size_t i);

// What part of the overlay is shown: distances in the traces' frame; no level range: all
// levels of the shown traces in the distance window.
struct OverlayView {
  double fromM = 0;
  double toM = 0;
  std::optional<LevelRange> levels;
};
// The whole overlay: every shown trace's points, all their levels.
OverlayView fullOverlayView(const std::vector<compare::OverlayTrace>& traces);

// Where distances and levels land on the canvas: the crosshair and the markers take their
// places from here, with the very frame and level arithmetic the curves are drawn with (a
// curve's point stands on its whole metre, up to half a metre from its exact distance).
struct OverlayScale {
  PlotFrame frame;
  double stepDb = 1;  // dB per level division
  double lowDb = 0;   // the level on the bottom axis
  // The distance the labels count from: the earliest first point of any trace, shown or
  // not, so that hiding one leaves the labels where they were.
  double axisOriginM = 0;
  bool curve = false;  // false when no shown trace has a segment in the window
  double xOfDistance(double distanceM) const;
  double yOfLevel(double levelDb) const;
  double distanceAt(double px) const;
  double levelAt(double py) const;
};
OverlayScale overlayScale(const std::vector<compare::OverlayTrace>& traces,
                          const OverlayView& view);

// Draws the overlay on a plot surface (makePlotSurface()), which is cleared first, in the
// light colours (the dark scheme is presentPlot's inverse). A view's edge that falls on a
// point of a shown trace is where that point is drawn, elsewhere the nearest metre; a view
// that is not finite is the full view. The traces are drawn in the list's order, a later
// one over an earlier one, each from its first point in the window (or from the window's
// left edge, where a segment comes in from the point before) to its first point beyond it.
void renderOverlay(QImage& canvas, const std::vector<compare::OverlayTrace>& traces,
                   const OverlayView& view, OverlayScale* scaleOut = nullptr);
QImage renderOverlay(const std::vector<compare::OverlayTrace>& traces, const OverlayView& view,
                     OverlayScale* scaleOut = nullptr);

}  // namespace tracelink

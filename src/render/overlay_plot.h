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
// One trace alone, at full view and without offset, gives exactly renderTraceCanvas' pixels.

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

// Where distances and levels land on the canvas, so that the crosshair, the markers and the
// curves agree to the last bit.
struct OverlayScale {
  PlotFrame frame;
  double stepDb = 1;    // dB per level division
  double lowDb = 0;     // the level on the bottom axis
  double axisOriginM = 0;  // the distance the labels count from (the earliest first point)
  bool curve = false;   // false when no shown trace has two points in the window
  double xOfDistance(double distanceM) const;
  double yOfLevel(double levelDb) const;
  double distanceAt(double px) const;
  double levelAt(double py) const;
};
OverlayScale overlayScale(const std::vector<compare::OverlayTrace>& traces,
                          const OverlayView& view);

// Draws the overlay on a plot surface (makePlotSurface()), which is cleared first.
void renderOverlay(QImage& canvas, const std::vector<compare::OverlayTrace>& traces,
                   const OverlayView& view, OverlayScale* scaleOut = nullptr);
QImage renderOverlay(const std::vector<compare::OverlayTrace>& traces, const OverlayView& view,
                     OverlayScale* scaleOut = nullptr);

}  // namespace tracelink

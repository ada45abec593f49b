#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "record/trace_record.h"
#include "record/units.h"
#include "render/layout.h"

namespace tracelink {

// The plot is 10845 x 5535 twips. It has no border, so the whole widget is drawing
// surface: 723 x 369 pixels.
inline constexpr int kPlotWidthTwips = 10845;
inline constexpr int kPlotHeightTwips = 5535;
inline constexpr int kPlotWidth = twipsToPixels(kPlotWidthTwips);
inline constexpr int kPlotHeight = twipsToPixels(kPlotHeightTwips);

// The level window is fixed: raw sample values from -100 (bottom) to 1000 (top).
inline constexpr double kPlotTop = 1000.0;
inline constexpr double kPlotBottom = -100.0;

// The BackColourMode whose picture is the canvas inverted; any other is shown as drawn.
inline constexpr std::int16_t kInvertedColourMode = 1;

// A window of no width is drawn this many samples wide from its start.
inline constexpr std::int32_t kDrawnWidthOfEmptyWindow = 10000;

// Everything a redraw derives from the view window before it draws.
struct PlotFrame {
  std::int32_t viewStartM = 0;
  std::int32_t viewEndM = 0;
  std::int32_t span = 0;      // viewEndM - viewStartM, metres
  std::int32_t margin = 0;    // label strip left of viewStartM, metres
  std::int32_t gridStep = 0;  // s, metres between distance lines
  double left = 0;            // coordinate window, x
  double right = 0;
  double xScale = 0;  // pixels per metre: kPlotWidth / (right - left)

  // Pixel position of plot coordinates, fractional: the top-left corner of the picture is
  // (0, 0), x == right lands at the right edge, just outside the last column. The scales
  // are multiplied, not divided, because the curve maps up to 48000 points per redraw.
  double column(double x) const { return (x - left) * xScale; }
  static double row(double y) { return (kPlotTop - y) * kRowScale; }
  // Plot coordinates of a pixel position (inverse of the above).
  double xAt(double px) const { return left + px * (right - left) / kPlotWidth; }
  static double yAt(double py) { return kPlotTop - py * (kPlotTop - kPlotBottom) / kPlotHeight; }

  static constexpr double kRowScale = kPlotHeight / (kPlotTop - kPlotBottom);

  // Rows of levels (the curve, the level lines and the readout's level line). The layout
  // (axes, distance lines and labels, crosshair) keeps row(); so do the levels until a
  // level window is set, with the very same arithmetic, so nothing moves by a bit.
  double levelTop = kPlotTop;
  double levelRowScale = kRowScale;
  bool levelZoomed = false;
  double levelRow(double y) const { return (levelTop - y) * levelRowScale; }
  double levelAt(double py) const { return levelTop - py / levelRowScale; }
};

// A vertical zoom in plot levels (raw units of the level axis): the window from bottom to
// top fills the rows where 0 to 1000 lie unzoomed; the strip under it stays the labels'.
struct LevelWindow {
  double bottom = 0;
  double top = 1000;
};
// A vertical zoom as the user gives it: the levels in dB at the bottom and the top.
struct LevelRange {
  double bottomDb = 0;
  double topDb = 0;
};
// The level window of a range where dB = offsetDb + level x dbPerLevel.
inline LevelWindow levelWindowOf(const LevelRange& range, double offsetDb, double dbPerLevel) {
  return {(range.bottomDb - offsetDb) / dbPerLevel, (range.topDb - offsetDb) / dbPerLevel};
}

// Sets the frame's level rows to the window; a window that is not finite or not wider
// than zero leaves the frame as it is and returns false.
bool applyLevelWindow(PlotFrame& frame, const LevelWindow& window);

// The window as it is drawn, always of positive width: a non-positive one (a header with
// an unknown range index gives ViewEnd 0) is drawn kDrawnWidthOfEmptyWindow samples wide
// from ViewStart, as the window the user sees is repaired.
ViewWindow drawnWindow(ViewWindow view);

// SampleToMetres for the curve's inner loop, given kLightSpeed / 2 / ior: the same
// halves-to-even rounding without a division per sample.
inline std::int32_t sampleMetres(std::int64_t s, double ior, double metresPerSample) {
  // The product differs from the quotient by a few units in the last place at most, so
  // it rounds the same way unless it lies next to a half; only then divide.
  const double v = static_cast<double>(s) * metresPerSample;
  if (!(v >= 0.0 && v < 1.0e9)) return SampleToMetres(static_cast<double>(s), ior);
  const auto whole = static_cast<std::int32_t>(v);  // truncation is the floor here
  const double diff = v - whole;
  if (std::fabs(diff - 0.5) < 1.0e-6) return SampleToMetres(static_cast<double>(s), ior);
  return diff > 0.5 ? whole + 1 : whole;
}

// Window, margin and grid step of a view window (which must have positive width).
PlotFrame computePlotFrame(const ViewWindow& view, double ior);

struct PlotLabel {
  double x = 0;  // left edge, plot coordinates
  double y = 0;  // top edge, plot coordinates
  std::string text;
};

struct LevelLine {
  std::int32_t y = 0;
  double levelY = 0;  // where it is drawn: y itself, or a fraction of a level when zoomed
  PlotLabel label;
};
// The 11 level lines y = 0, 100, ..., 1000 with their labels, in drawing order.
std::vector<LevelLine> levelLines(const PlotFrame& frame);

struct DistanceLine {
  std::int32_t x = 0;
  PlotLabel label;
};
// The level lines of a zoomed frame: at multiples of the smallest of 1, 2, 5 x 10^k dB
// that gives at most ten lines inside the window, where dB = offsetDb + y x dbPerLevel;
// each labelled with its level in dB, half a line step above it as unzoomed labels hang.
std::vector<LevelLine> zoomedLevelLines(const PlotFrame& frame, const LevelWindow& window,
                                        double offsetDb, double dbPerLevel);

// The distance lines from viewStartM every gridStep metres up to viewEndM.
std::vector<DistanceLine> distanceLines(const PlotFrame& frame);

}  // namespace tracelink

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "record/trace_record.h"
#include "trace/trace.h"

namespace tracelink {

// The view window's arithmetic: how zoom, pan and full view move the window in samples,
// and the scale text that goes with a window. It knows nothing of pixels; the plot draws
// whatever window it is given.

// BackColourMode values: 1 shows the canvas inverted, anything else shows it as drawn.
inline constexpr std::int16_t kDarkScheme = 1;
inline constexpr std::int16_t kLightScheme = 2;

// The window shown before any record arrives, in samples.
inline constexpr std::int32_t kStartupViewEnd = 10000;

// A window of positive width: a non-positive one (a header with an unknown range index
// gives ViewEnd 0) becomes the start-up width from ViewStart.
bool repairWindow(ViewWindow& view);

// Metres between the distance lines the plot draws for a window: a tenth of its width,
// never below one metre.
std::int32_t distanceGridStep(const ViewWindow& view, double ior);

// The scale text handed to the report, e.g. "1021m/div     2dB/div".
std::string scaleText(std::int32_t gridStep);

// The scale text of a trace drawn at its own levels: dB per level division as drawn.
std::string scaleText(std::int32_t gridStep, double dbPerDivision);

// The levels a trace's plot spans over points first..last: the lowest level (on the bottom
// axis) and the dB per level division, the smallest of 1, 2, 5, 10, 20, 50, ... whose ten
// divisions hold them. Every point drawn counts, the one beyond the window too, as the
// plot draws the segment to it.
struct LevelScale {
  double lowDb = 0;
  double stepDb = 1;
};
double levelDivision(double spanDb);
LevelScale levelScaleOf(const Trace& trace, std::size_t first, std::size_t last);

// The group index that makes one sample of the window arithmetic one point of a trace at
// spacingM, so that zoom, pans and full view move a trace's window in points.
double indexForSpacing(double spacingM);

// A tenth of the window in samples, cut to a multiple of 10.
std::int32_t panStep(const ViewWindow& view);
// Each returns false and leaves the window alone when there is no record range yet
// (FullRangeEnd <= FullRangeStart), so no empty or negative window can come out.
bool panTowardStart(ViewWindow& view);
bool panTowardEnd(ViewWindow& view);
bool fullView(ViewWindow& view);

// The window scaled by factor about the sample centre (which keeps its place in the
// window): below 1 zooms in, above 1 out. The window stays inside the record's range and
// wider than minWidth samples; nullopt when there is no record range or nothing would
// change.
std::optional<ViewWindow> zoomAround(const ViewWindow& current, double centre, double factor,
                                     std::int32_t minWidth);

// The vertical zoom: the levels in dB at the bottom and the top of the plot's level rows.
struct LevelZoom {
  double bottomDb = 0;
  double topDb = 0;
  bool operator==(const LevelZoom&) const = default;
};
// The narrowest and the farthest a level zoom may go: a hundredth of a dB is the finest
// level our records hold, and no trace's levels lie beyond a few hundred dB.
inline constexpr double kMinLevelSpanDb = 0.01;
inline constexpr double kMaxLevelDb = 1000.0;
// What is wrong with a level range, if anything.
enum class LevelZoomFault { None, NotANumber, OutOfRange, Reversed, TooNarrow };
LevelZoomFault checkLevelZoom(double bottomDb, double topDb);
// The zoom between two levels given in either order (the ends of a drag); nullopt when
// checkLevelZoom refuses it in order.
std::optional<LevelZoom> levelZoomBetween(double aDb, double bDb);

// x held inside [startM, endM], rounded to whole metres.
std::int32_t holdInside(double x, std::int32_t startM, std::int32_t endM);

// Cut toward zero to a multiple of 10 (123 -> 120, -17 -> -10).
inline std::int32_t cutToTens(std::int32_t m) {
  return m - m % 10;
}

// Both drag ends cut toward zero to tens of metres; the new window in samples when it is
// more than 100 m wide from left to right.
std::optional<ViewWindow> zoomWindow(const ViewWindow& current, std::int32_t dragStartM,
                                     std::int32_t dragEndM, double ior);

}  // namespace tracelink

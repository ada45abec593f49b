#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "record/trace_record.h"

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

// A tenth of the window in samples, cut to a multiple of 10.
std::int32_t panStep(const ViewWindow& view);
// Each returns false and leaves the window alone when there is no record range yet
// (FullRangeEnd <= FullRangeStart), so no empty or negative window can come out.
bool panTowardStart(ViewWindow& view);
bool panTowardEnd(ViewWindow& view);
bool fullView(ViewWindow& view);

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

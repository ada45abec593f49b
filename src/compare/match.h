#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "compare/event_list.h"
#include "trace/trace.h"

namespace tracelink::compare {

// What two directions and two wavelengths share: matching events by distance.

// Two wavelengths closer than this are one.
inline constexpr double kSameWavelengthNm = 1.0;

// The tolerance asked for when it is a distance (finite, not negative), else the larger of
// 20 m and both traces' dead zones.
double matchToleranceM(const std::optional<double>& asked, const Trace& a, const Trace& b);

// Pairs two lists of positions on one axis: the nearest pairs first, each position in at
// most one pair, no pair further apart than toleranceM. Entry i of the result is the
// position of `second` paired with first[i], or none.
std::vector<std::optional<std::size_t>> matchNearest(const std::vector<double>& first,
                                                     const std::vector<double>& second,
                                                     double toleranceM);

// A fibre's events split into its two ends and what lies between them (events before the
// start or past the end, on a launch or receive cable, left out), with the distance of
// each from the fibre's start.
struct FibreParts {
  const KeyEvent* launch = nullptr;  // the launch event, when the fibre starts at one
  const KeyEvent* end = nullptr;     // the end event (else the last event, at the end)
  std::vector<const KeyEvent*> inner;
  std::vector<double> innerM;
};
FibreParts partsOf(const FibreEvents& fibre);

}  // namespace tracelink::compare

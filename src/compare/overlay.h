#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "trace/trace.h"

namespace tracelink::compare {

// Up to eight traces on one distance axis, each at its own spacing and origin, each moved
// up or down by its own offset.
inline constexpr std::size_t kMaxOverlay = 8;

struct OverlayTrace {
  const Trace* trace = nullptr;
  double offsetDb = 0;  // added to every level of the trace as drawn and read
  bool shown = true;
};

// One trace's reading at a distance: its point nearest the distance, or none where the
// distance lies outside its points (or the trace is hidden).
struct OverlayReading {
  std::size_t index = 0;
  double distanceM = 0;  // the point's own distance
  double levelDb = 0;    // with the offset
};
std::vector<std::optional<OverlayReading>> readingsAt(const std::vector<OverlayTrace>& traces,
                                                      double distanceM);

// The distances from the first point of any shown trace to the last point of any.
struct DistanceSpan {
  double fromM = 0;
  double toM = 0;
};
DistanceSpan overlaySpan(const std::vector<OverlayTrace>& traces);

// The lowest and highest level (offsets included, in 0.001 dB) of the shown traces'
// points between fromM and toM; none when no point lies there.
struct LevelSpan {
  std::int64_t lowMilliDb = 0;
  std::int64_t highMilliDb = 0;
};
std::optional<LevelSpan> overlayLevels(const std::vector<OverlayTrace>& traces, double fromM,
                                       double toM);

// The offsets that make every trace read, at distanceM, the level the reference trace reads
// there with its own offset. A trace with no point there keeps its offset.
std::vector<double> alignedOffsets(const std::vector<OverlayTrace>& traces, double distanceM,
                                   std::size_t reference = 0);

}  // namespace tracelink::compare

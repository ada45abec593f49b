#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/detect.h"
#include "analysis/level_fit.h"
#include "analysis/scan.h"

namespace tracelink::analysis {

// An event while it is being measured.
struct Found {
  std::size_t start = 0;
  std::optional<Peak> peak;     // its reflection, when it shows one
  std::size_t deadZoneEnd = 0;  // the after line starts here
  std::size_t tailFrom = 0;     // where the end test starts to look for the tail's end
  double roughDb = 0;           // the detector's size of a step
  std::size_t middle = 0;       // where the detector saw a step's middle
  std::optional<LevelLine> before;
  std::optional<LevelLine> after;
  double lossDb = 0;
  double lossNoiseDb = 0;  // one standard deviation of the loss
  std::optional<double> reflectanceDb;
  EventKind kind = EventKind::NonReflective;
};

// The level of consecutive windows (the top of their noise), and from each the lowest of
// those at or after it: the floor the trace reaches after a place; and where the trace has
// become noise for good.
struct FloorAfter {
  std::size_t window = 1;
  std::vector<double> lowest;
  std::size_t visibleEnd = 0;
  double at(std::size_t i) const;
};
FloorAfter floorAfter(const Scan& scan);

// What every stage reads: the trace and how it was scanned.
struct Working {
  const Trace* trace = nullptr;
  const Scan* scan = nullptr;
  Heights heights;
  LocalSlope slope;
  StepNoise stepNoise;
  Launch launch;
  FloorAfter floor;
  std::vector<Found> found;  // after the launch, in order, the end last when found
  bool endFound = false;
  double pulseNs = 0;
  double groupIndex = 0;
  double backscatterDb = 0;
  Thresholds thresholds;
};

// Samples either side of an event that a loss needs a line for.
inline constexpr std::size_t kMinSideSamples = 5;

// Where a line before an event ends: a little ahead of it, where smoothing has not yet
// pulled the trace toward the event.
std::size_t guardBefore(const Scan& scan);

// Peaks and steps after the launch, in order, measured, and only those that pass the
// thresholds and stand clear of the noise of their own measurement.
std::vector<Found> findEvents(Working& work);

// A reflection over the reflectance threshold, or one clipped flat.
bool reflective(const Working& work, const Found& f);

// Measures event k against its neighbours in `found` (lines, loss and its noise,
// reflectance).
void measureEvent(const Working& work, std::vector<Found>& found, std::size_t k);

// The first event after which the trace stays down by the end threshold, with what the
// trace drops to there and the threshold as applied; and the trace's noise floor.
struct EndCall {
  std::size_t index = 0;
  double dropDb = 0;
  double thresholdDb = 0;
};
struct EndSearch {
  std::optional<EndCall> end;
  double floorDb = 0;
};
EndSearch findEnd(const Working& work);

// Sections, their losses and attenuations, each event's section before it, the length,
// the end-to-end loss, the ORL and the ghosts; fills `out` from the working events.
void summarise(const Working& work, Analysis& out);

}  // namespace tracelink::analysis

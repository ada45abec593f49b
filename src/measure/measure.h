#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "trace/trace.h"

namespace tracelink {

// Why a measurement cannot be made. The values that go with a code are in MeasureProblem;
// measure_strings.h puts them into words in either language.
enum class MeasureRefusal {
  NoTrace,              // the trace holds fewer than two points (a record: StartPoint not
                        // below RangeLine)
  NotADistance,         // marker `marker` is not a finite distance
  MarkerOutsideRange,   // marker `marker` at `distanceM` lies outside fromM..toM
  MarkerOutsideRecord,  // marker `marker` at `distanceM` lies in the range but past the last
                        // point (a record read from StartPoint ends early)
  MarkersEqual,         // A and B stand at the same distance `distanceM`
  SameSample,           // A and B read the same sample, at `distanceM`
  NoEventBetween,       // the instrument lists no event between fromM and toM
  EventOutsideSpan,     // the event at `distanceM` does not lie between fromM and toM
  SideTooShort,         // the side `side` of the event holds `samples` samples, needs `needed`;
                        // `marker` is the marker to move away from the event
};

enum class EventSide { Before, After };

struct MeasureProblem {
  MeasureRefusal code = MeasureRefusal::NoTrace;
  char marker = 'A';  // 'A', 'B' or 'E' (the event)
  double distanceM = 0;
  std::int32_t fromM = 0;
  std::int32_t toM = 0;
  EventSide side = EventSide::Before;
  std::int64_t samples = 0;
  std::int64_t needed = 0;
};

// A measured value or the reason it could not be measured.
template <typename T>
class [[nodiscard]] Measured {
 public:
  Measured(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Measured(MeasureProblem problem) : state_(std::in_place_index<1>, problem) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  const T& value() const {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& operator*() const { return value(); }
  const T* operator->() const { return &value(); }
  const MeasureProblem& problem() const {
    assert(!ok());
    return std::get<1>(state_);
  }

 private:
  std::variant<T, MeasureProblem> state_;
};

// The fewest samples a fit on either side of an event may stand on.
inline constexpr std::int64_t kMinSideSamples = 5;

// Measurements read any Trace: its levels at its spacing from its origin, its range, its
// pulse width and its key events. Distances are in the trace's frame, the frame its events
// are in.

// The dead zone left out on both sides of an event: the pulse width in metres of fibre,
// pulse ns x LightSpeed / 2 / group index / 10 (102 m for 1 us at 1.4677). A trace that
// states no pulse width has none.
double deadZoneMetres(double pulseNs, double groupIndex);
double deadZoneMetres(const Trace& trace);

// The point a marker reads: the one nearest its distance, which is the one the crosshair
// shows there.
struct MarkerLevel {
  double distanceM = 0;
  std::int64_t index = 0;    // into the trace's levels
  std::int32_t milliDb = 0;  // its level in 0.001 dB

  double levelDb() const { return milliDb / kMilliDbPerDb; }
};
Measured<MarkerLevel> levelAt(const Trace& trace, double distanceM, char marker = 'A');

// The least-squares line through points first..last (distance in metres, level in dB).
// The line is fitted in whole hundredths of a dB where the levels' sums allow it, which
// every record's levels do (the instrument stores hundredths): the same line, and a record
// measures to the last bit as it did when measured on its words; otherwise in thousandths.
struct LineFit {
  std::int64_t samples = 0;
  std::int64_t firstIndex = 0;
  double intercept = 0;  // at firstIndex, in 1/unitsPerDb dB
  double slope = 0;      // per point, in 1/unitsPerDb dB
  double unitsPerDb = kMilliDbPerDb;
  double rmsDb = 0;  // root mean square of the residuals
  double metresPerSample = 0;
  double originM = 0;  // the distance of point 0

  // Attenuation: positive where the backscatter falls with distance.
  double dbPerKm() const { return -slope * (kMilliDbPerDb / unitsPerDb) / metresPerSample; }
  double levelDbAt(double metres) const {
    return (intercept +
            slope * ((metres - originM) / metresPerSample - static_cast<double>(firstIndex))) /
           unitsPerDb;
  }
};
// The fit over count >= 2 levels, levels[0] being point firstIndex of a trace whose point 0
// lies at originM; the caller has checked that all of them lie inside the trace.
LineFit fitSamples(const std::int32_t* levels, std::int64_t firstIndex, std::int64_t count,
                   double metresPerSample, double originM = 0);

// The fit over the points between two distances: from the first point at or past fromM to
// the last at or before toM, both taken within the trace; none where fewer than
// kMinSideSamples points lie there, or where either distance gives no point (not a number).
std::optional<LineFit> fitBetween(const Trace& trace, double fromM, double toM);

// Two-point and LSA figures between two markers; the span runs from the nearer marker to
// the farther, whichever letter it carries.
struct SpanMeasure {
  MarkerLevel a;
  MarkerLevel b;
  double deltaM = 0;              // farther - nearer marker, metres
  std::int64_t deltaMilliDb = 0;  // level(nearer) - level(farther)
  double twoPointDbPerKm = 0;
  LineFit lsa;
  double lsaLossDb = 0;  // LSA attenuation across deltaM

  double deltaDb() const { return deltaMilliDb / kMilliDbPerDb; }
};
Measured<SpanMeasure> measureSpan(const Trace& trace, double aM, double bM);

// The trace's key event between the markers nearest to their middle, at its distance to
// the metre, as the event table shows it.
Measured<std::int32_t> eventBetween(const Trace& trace, double aM, double bM);

// Loss of the event at eventM by two fits: [nearer, E - d] and [E + d, farther], d the dead
// zone; the loss is the first line's level at E minus the second's.
struct EventLoss {
  double eventM = 0;
  double lossDb = 0;
  double deadZoneM = 0;
  LineFit before;
  LineFit after;
};
Measured<EventLoss> eventLoss(const Trace& trace, double aM, double bM, double eventM);

}  // namespace tracelink

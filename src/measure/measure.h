#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "record/decode.h"
#include "record/trace_record.h"

namespace tracelink {

// Why a measurement cannot be made. The values that go with a code are in MeasureProblem;
// measure_strings.h puts them into words in either language.
enum class MeasureRefusal {
  NoTrace,              // the record holds no trace (StartPoint not below RangeLine)
  NotADistance,         // marker `marker` is not a finite distance
  MarkerOutsideRange,   // marker `marker` at `distanceM` lies outside fromM..toM
  MarkerOutsideRecord,  // marker `marker` at `distanceM` reads a position outside the record
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

// Everything a measurement reads: the record, where the trace lies in it, the group
// index, the pulse width and the instrument's events. It refers to the record, which
// must outlive it.
struct MeasureTrace {
  const TraceRecord* record = nullptr;
  std::int32_t startPoint = 0;
  std::int32_t rangeLine = 0;
  std::int32_t fullRangeStart = 0;  // samples
  std::int32_t fullRangeEnd = 0;
  double ior = kIor;
  std::int32_t pulseIndex = 0;
  std::vector<std::int32_t> eventDistancesM;  // the event table's distances, in its order
};

// The trace as the window shows it after a decode.
MeasureTrace measureTrace(const TraceRecord& record, const HeaderState& header,
                          const ViewWindow& view, const DecodedValues& decoded);

// The dead zone left out on both sides of an event: the pulse width in metres of fibre,
// pulse ns x LightSpeed / 2 / Ior / 10 (102 m for 1 us).
double deadZoneMetres(std::int32_t pulseIndex, double ior);

// The sample a marker reads: the one the crosshair shows at that distance.
struct MarkerLevel {
  double distanceM = 0;
  std::int32_t sample = 0;      // along the distance axis
  std::size_t position = 0;     // in the record
  std::int32_t hundredths = 0;  // the word: level in hundredths of a dB

  double levelDb() const { return hundredths / 100.0; }
};
Measured<MarkerLevel> levelAt(const MeasureTrace& trace, double distanceM, char marker = 'A');

// The least-squares line through samples first..last (distance in metres, level in dB).
struct LineFit {
  std::int64_t samples = 0;
  std::int32_t firstSample = 0;
  double interceptHundredths = 0;  // at firstSample
  double slopeHundredths = 0;      // per sample
  double rmsDb = 0;                // root mean square of the residuals
  double metresPerSample = 0;

  // Attenuation: positive where the backscatter falls with distance.
  double dbPerKm() const { return -slopeHundredths * 10.0 / metresPerSample; }
  double levelDbAt(double metres) const {
    return (interceptHundredths + slopeHundredths * (metres / metresPerSample - firstSample)) /
           100.0;
  }
};
// The fit over count >= 2 samples, words[0] being sample firstSample; the caller has
// checked that all of them lie inside the record.
LineFit fitSamples(const std::int32_t* words, std::int32_t firstSample, std::int64_t count,
                   double metresPerSample);

// Two-point and LSA figures between two markers; the span runs from the nearer marker to
// the farther, whichever letter it carries.
struct SpanMeasure {
  MarkerLevel a;
  MarkerLevel b;
  double deltaM = 0;                 // farther - nearer marker, metres
  std::int64_t deltaHundredths = 0;  // level(nearer) - level(farther)
  double twoPointDbPerKm = 0;
  LineFit lsa;
  double lsaLossDb = 0;  // LSA attenuation across deltaM

  double deltaDb() const { return deltaHundredths / 100.0; }
};
Measured<SpanMeasure> measureSpan(const MeasureTrace& trace, double aM, double bM);

// The instrument's event between the markers nearest to their middle.
Measured<std::int32_t> eventBetween(const MeasureTrace& trace, double aM, double bM);

// Loss of the event at eventM by two fits: [nearer, E - d] and [E + d, farther], d the dead
// zone; the loss is the first line's level at E minus the second's.
struct EventLoss {
  double eventM = 0;
  double lossDb = 0;
  double deadZoneM = 0;
  LineFit before;
  LineFit after;
};
Measured<EventLoss> eventLoss(const MeasureTrace& trace, double aM, double bM, double eventM);

}  // namespace tracelink

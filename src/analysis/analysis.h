#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/thresholds.h"
#include "trace/trace.h"

namespace tracelink::analysis {

// What tracelink finds on a trace by itself, whichever instrument made it.
enum class EventKind {
  Launch,         // the front-end reflection: where the fibre under test starts
  Reflective,     // connector, mechanical splice
  NonReflective,  // fusion splice, bend
  Gainer,         // a non-reflective event that reads as a gain from this end
  End,            // the fibre's end, by the end-of-fibre threshold
  Ghost,          // a reflection at a multiple of a strong reflection's distance
};

struct Event {
  EventKind kind = EventKind::NonReflective;
  std::size_t index = 0;  // the sample where the event starts
  double distanceM = 0;   // the event's start, in the trace's distance frame
  // The drop between the LSA line before the event and the one after it, both taken at
  // the event's start; negative for a gainer. Events too close to part with a line of
  // their own share one loss, given to the first of them; the others read 0.
  double lossDb = 0;
  // From the peak's height above the backscatter; none where the event shows no peak.
  std::optional<double> reflectanceDb;
  bool saturated = false;              // the peak is clipped flat: its reflectance is a lower bound
  double sectionDbPerKm = 0;           // attenuation of the section before it; 0 for the launch
  double deadZoneEndM = 0;             // where the trace is backscatter again after the event
  std::optional<std::size_t> ghostOf;  // for a ghost: the event whose multiple it lies at
};

// The fibre between two neighbouring events.
struct Section {
  double fromM = 0;
  double toM = 0;
  double lossDb = 0;   // attenuation x length
  double dbPerKm = 0;  // slope of the LSA line outside both events' dead zones
};

struct Analysis {
  Thresholds thresholds;  // as used, each with where it came from
  // The end-of-fibre threshold as applied: the one above, or less where the trace stands
  // less than that above its noise floor at a candidate end.
  double endDbApplied = 0;
  BackscatterCoefficient backscatter;
  double pulseWidthNs = 0;         // the pulse the dead zones and reflectances were worked out for
  bool pulseWidthAssumed = false;  // the trace names none; a width was assumed from spacing
  double noiseFloorDb = 0;         // median level where the trace has become noise

  std::vector<Event> events;      // in order of distance; the launch first when found
  std::vector<Section> sections;  // between each event and the next
  double lengthM = 0;             // launch to end (to the last sample when no end is found)
  double totalLossDb = 0;         // the sections' and events' losses from launch to end
  std::optional<double> orlDb;    // none when no backscatter level was found at the launch
};

// "launch", "reflective", "non-reflective", "gainer", "end", "ghost".
const char* kindName(EventKind kind);

// Finds, classifies and measures the events of a trace. Always returns, whatever the
// levels (flat, noise, a few points, at the scale's limits): then perhaps with no events.
// Every value it gives is finite.
Analysis analyse(const Trace& trace, const ThresholdRequest& request = {});

}  // namespace tracelink::analysis

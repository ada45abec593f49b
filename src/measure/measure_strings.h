#pragma once

#include <string_view>

#include "record/language.h"

namespace tracelink {

// The measuring texts of one language (UTF-8). In a pattern {0}, {1}, ... stand for the
// values named in the comment, in that order.
struct MeasureStrings {
  // Status-line readout.
  std::string_view marker;     // letter, distance (m), level (dB)
  std::string_view gap;        // between the parts of the readout
  std::string_view span;       // A to B: distance (m), loss (dB), two-point attenuation (dB/km)
  std::string_view lsa;        // LSA attenuation (dB/km), RMS residual (dB)
  std::string_view eventLoss;  // event distance (m), loss (dB), dead zone (m)

  // What a refusal calls the markers and the event.
  std::string_view markerA;
  std::string_view markerB;
  std::string_view theEvent;
  std::string_view sideBefore;
  std::string_view sideAfter;

  // Refusals.
  std::string_view noTrace;
  std::string_view notADistance;         // marker name
  std::string_view markerOutsideRange;   // marker name, distance, range from, range to (m)
  std::string_view markerOutsideRecord;  // marker name, distance
  std::string_view markersEqual;         // distance
  std::string_view sameSample;           // distance
  std::string_view noEventBetween;       // from, to (m)
  std::string_view eventOutsideSpan;     // event distance, from, to (m)
  std::string_view sideTooShort;         // side, samples, needed, letter of the marker to move
};

const MeasureStrings& measureStrings(Language language);

}  // namespace tracelink

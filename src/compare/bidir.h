#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "compare/event_list.h"
#include "trace/trace.h"

namespace tracelink::compare {

// Two-direction analysis of one fibre: trace A from end A, trace B from end B. B's events
// are mirrored onto A's axis (distance L - x, with L the fibre length both ends find) and
// matched to A's within a tolerance. A splice between fibres of unequal mode field reads
// s + g from one end and s - g from the other; the average of the two is its true loss s.

struct BidirOptions {
  // Events closer than this are one event; none: the larger of 20 m and both dead zones.
  std::optional<double> toleranceM;
  EventSource events = EventSource::InstrumentElseOurs;
};

inline constexpr double kMinBidirToleranceM = 20.0;

struct BidirEvent {
  int no = 0;            // from 1, in order of distance from end A
  double distanceM = 0;  // from end A (A's start)
  EventType type = EventType::NonReflective;
  std::optional<double> lossAB;         // as trace A reads it; none when A does not show it
  std::optional<double> lossBA;         // as trace B reads it
  double averageDb = 0;                 // (lossAB + lossBA) / 2, a missing side counting 0
  std::optional<double> reflectanceDb;  // the worse (higher) of the two
  bool oneDirection = false;            // seen from one end only
};

enum class BidirWarning {
  PulseWidthsDiffer,  // a and b: the two pulse widths in ns
};
struct BidirNote {
  BidirWarning code = BidirWarning::PulseWidthsDiffer;
  double a = 0;
  double b = 0;
};

struct BidirResult {
  double wavelengthNm = 0;
  double lengthM = 0;  // the mean of both ends' lengths
  double toleranceM = 0;
  std::vector<BidirEvent> events;  // the fibre's two ends (launch, end) included
  double totalLossAB = 0;
  double totalLossBA = 0;
  double totalLossDb = 0;  // their average
  std::vector<BidirNote> warnings;
  FibreEvents a;  // the events each side was matched from, each in its own trace's frame
  FibreEvents b;
};

enum class BidirRefusal {
  WavelengthsDiffer,  // a and b: the two wavelengths in nm
  LengthsDiffer,      // a and b: the two lengths in m; tolerance: the tolerance
  NoFibre,            // the trace `side` ('A' or 'B') shows no fibre (no points, no length)
};
struct BidirProblem {
  BidirRefusal code = BidirRefusal::NoFibre;
  double a = 0;
  double b = 0;
  double toleranceM = 0;
  char side = 'A';
};

using BidirOutcome = std::variant<BidirResult, BidirProblem>;
BidirOutcome bidirectional(const Trace& a, const Trace& b, const BidirOptions& options = {});
// The same with each end's events found already (options.events is then not used).
BidirOutcome bidirectional(const Trace& a, const Trace& b, FibreEvents eventsA, FibreEvents eventsB,
                           const BidirOptions& options = {});

}  // namespace tracelink::compare

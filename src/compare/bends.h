#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "compare/event_list.h"
#include "trace/trace.h"

namespace tracelink::compare {

// Bends told from splices by two wavelengths of one fibre: a bend loses more at the longer
// wavelength, a splice about the same at both.

inline constexpr double kDefaultBendDeltaDb = 0.5;

struct BendOptions {
  double deltaDb = kDefaultBendDeltaDb;  // long - short loss above this is a bend
  std::optional<double> toleranceM;      // as for two directions when none
  EventSource events = EventSource::InstrumentElseOurs;
};

struct BendEvent {
  int no = 0;            // from 1, in order of distance
  double distanceM = 0;  // from the fibre's start, as the shorter wavelength's trace finds it
  std::optional<double> lossShortDb;
  std::optional<double> lossLongDb;
  bool bend = false;
};

struct BendResult {
  bool firstIsShort = true;  // the first trace given is the shorter wavelength
  double shortNm = 0;
  double longNm = 0;
  double deltaDb = 0;
  double toleranceM = 0;
  std::vector<BendEvent> events;  // the fibre's launch and end left out
};

enum class BendRefusal {
  SameWavelength,  // both traces at wavelengthNm
};
struct BendProblem {
  BendRefusal code = BendRefusal::SameWavelength;
  double wavelengthNm = 0;
};

using BendOutcome = std::variant<BendResult, BendProblem>;
BendOutcome findBends(const Trace& first, const Trace& second, const BendOptions& options = {});

}  // namespace tracelink::compare

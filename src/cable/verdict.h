#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "cable/limits.h"
#include "compare/bidir.h"
#include "compare/event_list.h"
#include "trace/trace.h"

namespace tracelink::cable {

enum class Item {
  SpliceLoss,     // a non-reflective event (gainer by |loss|)
  ConnectorLoss,  // a reflective event
  Reflectance,    // a reflective event's reflectance
  Attenuation,    // a section's dB/km
  LinkLoss,       // end to end
  Orl,
  LengthMin,
  LengthMax,
};

// One judged figure.
struct Judgement {
  Item item = Item::SpliceLoss;
  double value = 0;
  double limit = 0;
  bool pass = true;
  int eventNo = 0;                 // 1-based in the trace's (or the two-direction) list; 0: none
  std::optional<double> distanceM;  // of the event, or the section's start
  double wavelengthNm = 0;
  char direction = 'A';  // 'A' (from end A), 'B', or '2' for a two-direction average
};

struct Verdict {
  std::vector<Judgement> items;  // in order of distance within each trace judged
  bool pass() const;
  const Judgement* firstFailure() const;
};

// One trace against the limits. Launch and end events are not judged as splices or
// connectors; sections between neighbouring events against the wavelength's attenuation.
Verdict judgeTrace(const Trace& trace, const compare::FibreEvents& events, const Limits& limits,
                   char direction = 'A');

// A fibre seen from both ends at one wavelength: each trace as above, except that with
// useBidirectional the splices are judged by the two-direction averages instead.
Verdict judgeBothEnds(const Trace& a, const Trace& b, const compare::BidirResult& both,
                      const Limits& limits);

}  // namespace tracelink::cable

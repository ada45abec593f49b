#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/analysis.h"
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
  int eventNo = 0;                  // 1-based in the trace's (or the two-direction) list; 0: none
  std::optional<double> distanceM;  // of the event, or the section's start
  double wavelengthNm = 0;
  char direction = 'A';  // 'A' (from end A), 'B', or '2' for a two-direction average
  // False when the figure could not be measured (a trace that gives no ORL): then it
  // fails, for a cable cannot be certified on a figure nobody saw.
  bool measured = true;
};

struct Verdict {
  std::vector<Judgement> items;  // in order of distance within each trace judged
  bool pass() const;
  const Judgement* firstFailure() const;
};

// The sections of a fibre as the verdict fits them (see judgeTrace), in order of distance;
// the summary's dB/km is their mean weighted by length.
struct SectionFit {
  double fromM = 0;  // the event the section starts at
  double toM = 0;    // the next event
  double dbPerKm = 0;
};
// `ours`: our analysis of the trace where it was made already (a cable's files are analysed
// once each where they are read); made here when not given.
std::vector<SectionFit> sectionFits(const Trace& trace, const compare::FibreEvents& events,
                                    const analysis::Analysis* ours = nullptr);

// One trace against the limits. Launch and end events are not judged as splices or
// connectors, nor events outside the fibre (before the launch, past the end). Each
// section between neighbouring events is judged by a least-squares fit of the trace's own
// levels outside both events' dead zones (one pulse length before the next event, two
// after the previous one, where a reflection's tail still lies), against the attenuation
// of the wavelength; a section too short for five points outside them is not judged. The
// same fit whoever found the events, so the instrument's table and ours judge alike.
// `fits`: sectionFits(trace, events, ours) where the caller has them already (the summary
// shows their mean); worked out here when not given.
Verdict judgeTrace(const Trace& trace, const compare::FibreEvents& events, const Limits& limits,
                   char direction = 'A', const analysis::Analysis* ours = nullptr,
                   const std::vector<SectionFit>* fits = nullptr);

// A fibre seen from both ends at one wavelength: each trace as above, except that with
// useBidirectional (and a splice limit) the splices are judged once each from both.events:
// by the average where both ends see one (direction '2'), by the one reading where only one
// end does (averaging it with a zero would halve a real loss). Items: end A's, end B's
// (each in its own trace's distances), then those splices (distances from end A's start).
// fitsA, fitsB: each end's section fits, as judgeTrace's `fits`.
Verdict judgeBothEnds(const Trace& a, const Trace& b, const compare::BidirResult& both,
                      const Limits& limits, const analysis::Analysis* oursA = nullptr,
                      const analysis::Analysis* oursB = nullptr,
                      const std::vector<SectionFit>* fitsA = nullptr,
                      const std::vector<SectionFit>* fitsB = nullptr);

}  // namespace tracelink::cable

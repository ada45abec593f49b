#pragma once

#include <optional>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/thresholds.h"
#include "trace/trace.h"

namespace tracelink::compare {

// Where the events of a comparison come from.
enum class EventSource {
  InstrumentElseOurs,  // the trace's key events; our analysis where it has none
  Ours,                // our analysis, whatever the trace holds
};

// The events a comparison works with, in the trace's distance frame and the KeyEvent form
// (our analysis' ghosts left out; its gainers as Gainer with a negative loss), and the two
// ends of the fibre under test they lie between.
struct FibreEvents {
  std::vector<KeyEvent> events;
  bool ours = false;  // from our analysis rather than the instrument's table
  double startM = 0;  // the launch event, else 0 where the trace covers it, else its first point
  double endM = 0;    // the end event, else the last event, else the last point
  double lengthM() const { return endM - startM; }
  // The end-to-end loss: the trace's own total where it states one, else the events'
  // losses and the sections' between start and end.
  double totalLossDb = 0;
};

// A splice: an event that loses without reflecting (a gainer is one read from the end
// where the next fibre scatters more).
inline bool isSplice(EventType t) {
  return t == EventType::NonReflective || t == EventType::Gainer;
}

// An event of the fibre itself, the kind that is judged and matched: neither its launch nor
// its end, and strictly between the two (what lies before the launch is the launch cable
// or the front panel, what lies past the end is noise or a ghost).
inline bool isInner(const KeyEvent& e, const FibreEvents& f) {
  return e.type != EventType::Launch && e.type != EventType::End && e.distanceM > f.startM &&
         e.distanceM < f.endM;
}

FibreEvents fibreEvents(const Trace& trace, EventSource source = EventSource::InstrumentElseOurs,
                        const analysis::ThresholdRequest& thresholds = {});
// The same with our analysis of the trace (at the trace's own thresholds) made already:
// a cable's files are analysed once each, where they are read, on every core.
FibreEvents fibreEvents(const Trace& trace, EventSource source, const analysis::Analysis& ours);

}  // namespace tracelink::compare

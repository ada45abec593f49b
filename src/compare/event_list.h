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

FibreEvents fibreEvents(const Trace& trace, EventSource source = EventSource::InstrumentElseOurs,
                        const analysis::ThresholdRequest& thresholds = {});
// The same with our analysis of the trace (at the trace's own thresholds) made already:
// a cable's files are analysed once each, where they are read, on every core.
FibreEvents fibreEvents(const Trace& trace, EventSource source, const analysis::Analysis& ours);

}  // namespace tracelink::compare

#include "compare/event_list.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <optional>

#include "analysis/analysis.h"
#include "measure/measure.h"

namespace tracelink::compare {

namespace {

EventType typeOf(analysis::EventKind kind) {
  switch (kind) {
    case analysis::EventKind::Launch:
      return EventType::Launch;
    case analysis::EventKind::Reflective:
      return EventType::Reflective;
    case analysis::EventKind::Gainer:
      return EventType::Gainer;
    case analysis::EventKind::End:
      return EventType::End;
    case analysis::EventKind::NonReflective:
    case analysis::EventKind::Ghost:
      break;
  }
  return EventType::NonReflective;
}

bool usable(const KeyEvent& e) {
  return std::isfinite(e.distanceM) && std::isfinite(e.spliceLossDb) &&
         (!e.reflectanceDb || std::isfinite(*e.reflectanceDb));
}

// The loss of the fibre between two events by a least-squares line outside both events' dead
// zones; 0 where too few points lie there to fit one.
double sectionLossDb(const Trace& trace, double fromM, double toM, double deadZoneM) {
  if (!(trace.spacingM > 0) || toM <= fromM) return 0;
  const std::optional<LineFit> fit = fitBetween(trace, fromM + deadZoneM, toM - deadZoneM);
  if (!fit) return 0;
  const double loss = fit->dbPerKm() * (toM - fromM) / 1000.0;
  return std::isfinite(loss) ? loss : 0.0;
}

// The instrument's table states no total: its events' losses between the fibre's two ends
// and the sections' between them.
double summedLossDb(const Trace& trace, const FibreEvents& f) {
  const double deadZoneM = deadZoneMetres(trace);
  double sum = 0;
  double previous = f.startM;
  for (const KeyEvent& e : f.events) {
    if (e.distanceM <= f.startM || e.distanceM > f.endM) continue;
    sum += sectionLossDb(trace, previous, e.distanceM, deadZoneM);
    if (e.type != EventType::End) sum += e.spliceLossDb;
    previous = e.distanceM;
  }
  if (previous < f.endM) sum += sectionLossDb(trace, previous, f.endM, deadZoneM);
  return sum;
}

// `analyse` is called only where the events are ours.
template <typename Analyse>
FibreEvents eventsOf(const Trace& trace, EventSource source, Analyse analyse) {
  FibreEvents f;
  const bool instrument = source == EventSource::InstrumentElseOurs &&
                          std::any_of(trace.events.begin(), trace.events.end(), usable);
  if (instrument) {
    // A damaged table's non-finite entries are left out rather than poisoning every sum.
    std::copy_if(trace.events.begin(), trace.events.end(), std::back_inserter(f.events), usable);
    std::stable_sort(f.events.begin(), f.events.end(), [](const KeyEvent& x, const KeyEvent& y) {
      return x.distanceM < y.distanceM;
    });
  } else if (!trace.empty()) {
    f.ours = true;
    const analysis::Analysis& found = analyse();
    for (const analysis::Event& e : found.events) {
      if (e.kind == analysis::EventKind::Ghost) continue;
      KeyEvent k;
      k.distanceM = e.distanceM;
      k.spliceLossDb = e.lossDb;
      k.reflectanceDb = e.reflectanceDb;
      k.type = typeOf(e.kind);
      f.events.push_back(std::move(k));
    }
    f.totalLossDb = found.totalLossDb;
  }

  const auto launch = std::find_if(f.events.begin(), f.events.end(),
                                   [](const KeyEvent& e) { return e.type == EventType::Launch; });
  if (launch != f.events.end()) {
    f.startM = launch->distanceM;
  } else if (trace.originM <= 0 && trace.lastDistanceM() >= 0) {
    // Points before 0 lie in front of the instrument's own zero, where its table starts.
    f.startM = 0;
  } else {
    f.startM = trace.originM;
  }
  const auto end = std::find_if(f.events.begin(), f.events.end(),
                                [](const KeyEvent& e) { return e.type == EventType::End; });
  if (end != f.events.end()) {
    f.endM = end->distanceM;
  } else if (!f.events.empty() && f.events.back().distanceM > f.startM) {
    f.endM = f.events.back().distanceM;
  } else {
    f.endM = trace.lastDistanceM();
  }
  f.endM = std::max(f.endM, f.startM);
  if (instrument) {
    f.totalLossDb = trace.totalLossDb && std::isfinite(*trace.totalLossDb) ? *trace.totalLossDb
                                                                           : summedLossDb(trace, f);
  }
  return f;
}

}  // namespace

FibreEvents fibreEvents(const Trace& trace, EventSource source,
                        const analysis::ThresholdRequest& thresholds) {
  std::optional<analysis::Analysis> found;
  return eventsOf(trace, source, [&]() -> const analysis::Analysis& {
    return found.emplace(analysis::analyse(trace, thresholds));
  });
}

FibreEvents fibreEvents(const Trace& trace, EventSource source, const analysis::Analysis& ours) {
  return eventsOf(trace, source, [&]() -> const analysis::Analysis& { return ours; });
}

}  // namespace tracelink::compare

#include "trace/key_events.h"

#include <cmath>

namespace tracelink {

EventType EventTypeOfCode(std::string_view code, double spliceLossDb) {
  if (code.size() >= 2 && (code[1] == 'E' || code[1] == 'D')) return EventType::End;
  if (!code.empty() && (code[0] == '1' || code[0] == '2')) return EventType::Reflective;
  return spliceLossDb < 0 ? EventType::Gainer : EventType::NonReflective;
}

void MarkLaunch(Trace& trace) {
  if (trace.events.empty()) return;
  KeyEvent& first = trace.events.front();
  if (first.type == EventType::End) return;
  if (std::fabs(first.distanceM) <= trace.spacingM / 2) first.type = EventType::Launch;
}

}  // namespace tracelink

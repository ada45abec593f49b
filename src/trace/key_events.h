#pragma once

#include <string_view>

#include "trace/trace.h"

namespace tracelink {

// The type an event code names. The first character says how the event reflects (0 none,
// 1 reflective, 2 reflective beyond the receiver's range), the second what it is ('E' the
// end of the fibre, 'D' an end the user moved; F found, A added, M moved by the user, O out
// of range). A non-reflective event whose splice loss is negative is a gainer: it reads as
// a gain from this end. A code this does not know is a non-reflective event.
EventType EventTypeOfCode(std::string_view code, double spliceLossDb);

// The first event, when it stands within half a data point of the distance origin and is
// not the fibre's end, is the launch: the front-panel reflection, or the marker where the
// fibre under test starts (the end of a launch cable).
void MarkLaunch(Trace& trace);

}  // namespace tracelink

#pragma once

#include <QImage>

#include "report/report_layout.h"
#include "session/trace_session.h"

namespace tracelink {

// What the report reads of the trace a session holds, the one way both the window and the
// command line build it: the value boxes' texts and the decoded values of its last decode,
// the scale text of its window, and the file's name when it came from one. plotCanvas is
// the canvas the window drew last; without one (a report made with no window) it is drawn
// here for the session's window, as the window's redraw draws it. So a report made from a
// loaded file is the page the window prints after loading that file in the same view.
ReportSources BuildReportSources(const TraceSession& session, QImage plotCanvas = {});

}  // namespace tracelink

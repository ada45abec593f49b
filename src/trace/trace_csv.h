#pragma once

#include <string>

#include "record/trace_record.h"
#include "trace/trace.h"

namespace tracelink {

// The CSV of a trace, one "distance_m,level_db" line per point, as the command line's csv
// prints it and the window exports it, so that both give the same bytes.

// Our record: each sample of the full view, read through StartPoint as the plot reads it;
// distance with the group index 1.4677 (3 decimals), level in dB (2 decimals). Nothing
// when StartPoint is not below RangeLine; the list ends where the record ends.
std::string RecordCsv(const TraceRecord& record, const HeaderState& header, const ViewWindow& view);

// Any other trace: each point at its own spacing in the frame of its events (3 decimals),
// level in dB (3 decimals), 0 at the top and negative below.
std::string TraceCsv(const Trace& trace);

// v with exactly `decimals` decimals, independent of the locale; a value that rounds to
// zero is written without its sign. The number style of every text the command line prints.
std::string FixedDecimals(double v, int decimals);

}  // namespace tracelink

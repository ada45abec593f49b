#pragma once

#include <QString>

#include "record/decode.h"
#include "record/language.h"
#include "record/trace_record.h"
#include "report/report_layout.h"

namespace tracelink {

// The report's sources for a record whose header has been applied, without a window: the
// decode fills the values and the value boxes' texts, the plot canvas is drawn for the
// view (repaired first, as the window's redraw does) and the scale text comes from its
// grid. So a report made from a loaded file is the page the window prints after loading
// that file in the same view. `decoded` holds what an earlier decode left behind (a fresh
// window starts from the defaults); `traceName` is carried into the sources as it is.
ReportSources BuildReportSources(const TraceRecord& record, const HeaderState& header,
                                 ViewWindow view, Language language,
                                 const QString& decimalSeparator, const QString& traceName = {},
                                 DecodedValues decoded = {});

}  // namespace tracelink

#pragma once

#include "record/decode.h"
#include "record/trace_record.h"
#include "trace/trace.h"

namespace tracelink {

// The instrument every record comes from, and the wavelength it measures at.
inline constexpr const char* kRecordInstrument = "VT520X";
inline constexpr double kRecordWavelengthNm = 1310;

// Our record as the plot reads it: the samples of the full view through StartPoint (none
// when StartPoint is not below RangeLine; the trace ends where the record does), exactly
// the lines `tracelink-cli csv` prints, at the spacing of the group index 1.4677 from the
// full view's first sample. Levels are the words (hundredths of a dB) x 10.
//
// The event table's lines become key events the way the SOR export writes them: REF is
// reflective (code 1F9999LS), ATT non-reflective (0F9999LS) or a gainer where its level
// rises across it, other type numbers non-reflective; the splice loss is the event's own
// drop db1 - db2; no reflectance. The table does not say which event is the fibre's end,
// so none is marked End; an event at distance 0 is the launch. The total loss is the
// table's Loss(dB) of the last line. The origin is the caller's to fill in.
Trace TraceFromRecord(const TraceRecord& record, const HeaderState& header, const ViewWindow& view,
                      const DecodedValues& decoded);
// The same, decoding the record first.
Trace TraceFromRecord(const TraceRecord& record, const HeaderState& header, const ViewWindow& view);

}  // namespace tracelink

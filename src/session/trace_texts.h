#pragma once

#include <array>
#include <string>
#include <string_view>

#include "record/decode.h"
#include "record/language.h"
#include "trace/trace.h"

namespace tracelink {

// The words the window shows for another maker's trace, per language (UTF-8).
struct TraceTextStrings {
  std::string_view wavelength;  // captions of the info line's fields (the units tell some)
  std::string_view pulse;
  std::string_view groupIndex;
  std::string_view range;
  std::string_view date;
  std::string_view separator;
  std::string_view none;  // a value the file does not state
  // The event box's header, one column each, and the words of the event types in the
  // order of EventType.
  std::array<std::string_view, 6> eventColumns;
  std::array<std::string_view, 5> typeWords;
  // Why a file that reads well cannot be shown.
  std::string notDrawable;
};

const TraceTextStrings& traceTextStrings(Language language);

// Label1 for a trace: wavelength, pulse width, group index, range and date (UTC), short
// enough for the label, e.g. "1310 nm  Pulse:100 ns  IOR:1.4677  Range:25.55 km
// 2025-02-26 14:00" (UTC).
std::string traceInfoLine(const Trace& trace, Language language,
                          const std::string& decimalSeparator);

// The event box: the header line, then one line per key event, tab-separated: number,
// type, distance m (2 decimals), splice loss dB (3), reflectance dB (2, empty when the
// instrument measured none) and the cumulative loss dB (3), the splice losses summed up to
// and including the event. Lines end in CR LF as the record's table does.
std::string traceEventText(const Trace& trace, Language language,
                           const std::string& decimalSeparator);

// The texts and values the window and the report read for a trace that is not a record:
// the value boxes (group index, pulse width, no amplifier), the info line, the event box,
// and the key events in the record's event arrays (the first eight, distances in whole
// metres, each loss in hundredths: the English report's column gives the cumulative loss,
// the Chinese one the event's own).
DecodedTexts traceTexts(const Trace& trace, Language language, const std::string& decimalSeparator);
DecodedValues traceEventValues(const Trace& trace, Language language);

// value with the given decimals, in the separator given ("1.234" or "1,234").
std::string fixedText(double value, int decimals, const std::string& decimalSeparator);

}  // namespace tracelink

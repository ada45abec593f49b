#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "measure/measure.h"
#include "record/language.h"
#include "record/result.h"

namespace tracelink {

// Puts values into a pattern: {0} becomes the first, {1} the second, and so on.
std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

// v with exactly `decimals` decimals and the given separator; never "-0.00".
std::string formatFixed(double v, int decimals, std::string_view decimalSeparator = ".");

// A level in 0.001 dB as whole hundredths, to the nearest, halves to even: the "#0.00" the
// window shows (our records' levels are whole hundredths already).
std::int64_t hundredthsOf(std::int64_t milliDb);

// A refusal in words.
std::string describe(const MeasureProblem& problem, Language language,
                     std::string_view decimalSeparator = ".");

// A refusal as the error the command-line tool reports.
Error measureError(const MeasureProblem& problem, Language language = Language::English);

// "A 1021 m 7.45 dB"
std::string markerText(char letter, const MarkerLevel& level, Language language,
                       std::string_view decimalSeparator = ".");
// "A→B 4086 m  1.43 dB  0.350 dB/km  LSA 0.348 dB/km (±0.02 dB)"
std::string spanText(const SpanMeasure& span, Language language,
                     std::string_view decimalSeparator = ".");
// "Event at 27007 m: loss 1.48 dB (LSA, dead zone 102 m)"
std::string eventLossText(const EventLoss& loss, Language language,
                          std::string_view decimalSeparator = ".");

// The status line for the markers that are set: each marker's distance and level, then the
// span between them; a marker or span that cannot be measured shows why instead. Empty
// when neither marker is set.
std::string markerReadout(const Trace& trace, std::optional<double> aM, std::optional<double> bM,
                          Language language, std::string_view decimalSeparator = ".");

}  // namespace tracelink

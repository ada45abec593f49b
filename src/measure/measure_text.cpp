#include "measure/measure_text.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "measure/measure_strings.h"
#include "record/units.h"

namespace tracelink {

namespace {

std::string wholeMetres(double m) {
  return std::to_string(nearest(m));
}

// A distance as the user gave it: whole metres stay whole, fractions keep up to three
// decimals.
std::string distanceText(double m, std::string_view sep) {
  std::string text = formatFixed(m, 3, sep);
  const std::size_t cut = text.find_last_not_of('0');
  text.erase(cut + 1);
  if (text.size() >= sep.size() && text.compare(text.size() - sep.size(), sep.size(), sep) == 0)
    text.erase(text.size() - sep.size());
  return text;
}

std::string_view markerName(char marker, const MeasureStrings& s) {
  switch (marker) {
    case 'A':
      return s.markerA;
    case 'B':
      return s.markerB;
    default:
      return s.theEvent;
  }
}

}  // namespace

std::int64_t hundredthsOf(std::int64_t milliDb) {
  std::int64_t q = milliDb / 10;  // toward zero
  const std::int64_t r = milliDb % 10;
  if (r > 5 || (r == 5 && q % 2 != 0)) ++q;
  if (r < -5 || (r == -5 && q % 2 != 0)) --q;
  return q;
}

std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  const std::vector<std::string_view> v(values);
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
        pattern[i + 1] >= '0' && pattern[i + 1] <= '9') {
      const auto k = static_cast<std::size_t>(pattern[i + 1] - '0');
      if (k < v.size()) {
        out += v[k];
        i += 2;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::string formatFixed(double v, int decimals, std::string_view decimalSeparator) {
  if (!std::isfinite(v)) return "-";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (res.ec != std::errc{}) return "-";
  std::string text(buf, res.ptr);
  // A value that rounds to zero prints without a sign.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  if (const std::size_t dot = text.find('.'); dot != std::string::npos)
    text.replace(dot, 1, decimalSeparator);
  return text;
}

std::string describe(const MeasureProblem& p, Language language, std::string_view sep) {
  const MeasureStrings& s = measureStrings(language);
  const std::string name(markerName(p.marker, s));
  const std::string at = distanceText(p.distanceM, sep);
  const std::string from = std::to_string(p.fromM);
  const std::string to = std::to_string(p.toM);
  switch (p.code) {
    case MeasureRefusal::NoTrace:
      return std::string(s.noTrace);
    case MeasureRefusal::NotADistance:
      return fillIn(s.notADistance, {name});
    case MeasureRefusal::MarkerOutsideRange:
      return fillIn(s.markerOutsideRange, {name, at, from, to});
    case MeasureRefusal::MarkerOutsideRecord:
      return fillIn(s.markerOutsideRecord, {name, at});
    case MeasureRefusal::MarkersEqual:
      return fillIn(s.markersEqual, {at});
    case MeasureRefusal::SameSample:
      return fillIn(s.sameSample, {at});
    case MeasureRefusal::NoEventBetween:
      return fillIn(s.noEventBetween, {from, to});
    case MeasureRefusal::EventOutsideSpan:
      return fillIn(s.eventOutsideSpan, {at, from, to});
    case MeasureRefusal::SideTooShort: {
      const std::string letter(1, p.marker);
      return fillIn(s.sideTooShort, {p.side == EventSide::Before ? s.sideBefore : s.sideAfter,
                                     std::to_string(p.samples), std::to_string(p.needed), letter});
    }
  }
  return std::string(s.noTrace);
}

Error measureError(const MeasureProblem& problem, Language language) {
  return Error{describe(problem, language)};
}

std::string markerText(char letter, const MarkerLevel& level, Language language,
                       std::string_view sep) {
  const std::string name(1, letter);
  return fillIn(measureStrings(language).marker,
                {name, wholeMetres(level.distanceM),
                 FormatLevel(hundredthsOf(level.milliDb), std::string(sep))});
}

std::string spanText(const SpanMeasure& span, Language language, std::string_view sep) {
  const MeasureStrings& s = measureStrings(language);
  return fillIn(s.span, {wholeMetres(span.deltaM),
                         FormatLevel(hundredthsOf(span.deltaMilliDb), std::string(sep)),
                         formatFixed(span.twoPointDbPerKm, 3, sep)}) +
         "  " +
         fillIn(s.lsa,
                {formatFixed(span.lsa.dbPerKm(), 3, sep), formatFixed(span.lsa.rmsDb, 2, sep)});
}

std::string eventLossText(const EventLoss& loss, Language language, std::string_view sep) {
  return fillIn(
      measureStrings(language).eventLoss,
      {wholeMetres(loss.eventM), formatFixed(loss.lossDb, 2, sep), wholeMetres(loss.deadZoneM)});
}

std::string markerReadout(const Trace& trace, std::optional<double> aM, std::optional<double> bM,
                          Language language, std::string_view sep) {
  const MeasureStrings& s = measureStrings(language);
  std::vector<std::string> parts;
  bool bothRead = aM && bM;
  for (const auto& [letter, m] : {std::pair{'A', aM}, std::pair{'B', bM}}) {
    if (!m) continue;
    const Measured<MarkerLevel> level = levelAt(trace, *m, letter);
    if (level) {
      parts.push_back(markerText(letter, *level, language, sep));
    } else if (level.problem().code == MeasureRefusal::NoTrace) {
      return describe(level.problem(), language, sep);  // once, not once per marker
    } else {
      parts.push_back(describe(level.problem(), language, sep));
      bothRead = false;
    }
  }
  if (bothRead) {
    const Measured<SpanMeasure> span = measureSpan(trace, *aM, *bM);
    parts.push_back(span ? spanText(*span, language, sep)
                         : describe(span.problem(), language, sep));
  }
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += s.gap;
    text += part;
  }
  return text;
}

}  // namespace tracelink

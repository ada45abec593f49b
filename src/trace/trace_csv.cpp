#include "trace/trace_csv.h"

#include <charconv>

#include "record/units.h"

namespace tracelink {

std::string FixedDecimals(double v, int decimals) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  std::string s(buf, res.ptr);
  if (s == "-0" || s.find_first_not_of("-0.") == std::string::npos) s = s.substr(s[0] == '-');
  return s;
}

namespace {

std::string fixed(double v, int decimals) {
  return FixedDecimals(v, decimals);
}

}  // namespace

std::string RecordCsv(const TraceRecord& record, const HeaderState& h, const ViewWindow& view) {
  std::string text;
  if (h.StartPoint >= h.RangeLine) return text;
  for (std::int64_t s = view.FullRangeStart; s <= view.FullRangeEnd; ++s) {
    const auto position = SamplePosition(h.StartPoint, s);
    if (!position) break;
    char buf[64];
    const double metres = SampleToMetresExact(static_cast<double>(s));
    const auto res = std::to_chars(buf, buf + sizeof buf, metres, std::chars_format::fixed, 3);
    text.append(buf, res.ptr);
    text += ',';
    text += FormatLevel(record[*position]);
    text += '\n';
  }
  return text;
}

std::string TraceCsv(const Trace& trace) {
  std::string text;
  text.reserve(trace.size() * 20);
  for (std::size_t i = 0; i < trace.size(); ++i) {
    text += fixed(trace.distanceOf(i), 3);
    text += ',';
    text += fixed(trace.levelDb(i), 3);
    text += '\n';
  }
  return text;
}

}  // namespace tracelink

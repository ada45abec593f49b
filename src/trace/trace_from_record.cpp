#include "trace/trace_from_record.h"

#include <algorithm>
#include <climits>

#include "record/units.h"
#include "sor/trace_sor.h"
#include "trace/key_events.h"

namespace tracelink {

namespace {

// The record positions the full view reads: the first one and how many follow it.
struct Samples {
  std::size_t first = 0;
  std::size_t count = 0;
};

Samples samplesOf(const HeaderState& header, const ViewWindow& view) {
  Samples out;
  if (header.StartPoint >= header.RangeLine || view.FullRangeEnd < view.FullRangeStart) return out;
  const std::optional<std::size_t> first = SamplePosition(header.StartPoint, view.FullRangeStart);
  if (!first) return out;
  const std::int64_t wanted =
      static_cast<std::int64_t>(view.FullRangeEnd) - view.FullRangeStart + 1;
  out.first = *first;
  out.count = static_cast<std::size_t>(
      std::min<std::int64_t>(wanted, static_cast<std::int64_t>(kRecordWords - *first)));
  return out;
}

std::vector<std::int32_t> levelsOf(const TraceRecord& record, const Samples& s) {
  std::vector<std::int32_t> levels(s.count);
  const std::int32_t* words = record.words.data() + s.first;
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  for (std::size_t i = 0; i < s.count; ++i) {
    lo = std::min(lo, words[i]);
    hi = std::max(hi, words[i]);
  }
  std::int32_t* out = levels.data();
  if (lo >= INT32_MIN / 10 && hi <= INT32_MAX / 10) {
    for (std::size_t i = 0; i < s.count; ++i) out[i] = words[i] * 10;
  } else {
    // Only a record made by hand holds words this large; they stop at the 32-bit limits.
    for (std::size_t i = 0; i < s.count; ++i)
      out[i] = static_cast<std::int32_t>(
          std::clamp<std::int64_t>(std::int64_t{words[i]} * 10, INT32_MIN, INT32_MAX));
  }
  return levels;
}

std::string typeWord(std::int32_t type) {
  // The export's words, in English in both builds.
  if (type == 1) return "REF";
  if (type == 2) return "ATT";
  return std::to_string(type);
}

// The unit's name in its twelve identity words, as far as they are printable letters.
std::string unitName(const TraceRecord& record) {
  std::string name;
  for (int i = 0; i < slot::kMyIdWords; ++i) {
    const std::int32_t w = record[static_cast<std::size_t>(slot::kMyId + i)];
    if (w < 0x20 || w > 0x7E) break;
    name += static_cast<char>(w);
  }
  return name;
}

}  // namespace

Trace TraceFromRecord(const TraceRecord& record, const HeaderState& header, const ViewWindow& view,
                      const DecodedValues& decoded) {
  Trace t;
  t.origin.format = TraceFormat::Otdr;
  t.levels = levelsOf(record, samplesOf(header, view));
  // The spacing as every distance of the program computes it, to the last bit.
  t.spacingM = SampleToMetresExact(1.0, decoded.Ior);
  t.originM = SampleToMetresExact(view.FullRangeStart, decoded.Ior);

  Acquisition& a = t.acquisition;
  a.wavelengthNm = kRecordWavelengthNm;
  a.pulseWidthsNs = {static_cast<double>(sor::PulseWidthNs(decoded.PulseIndex))};
  a.groupIndex = decoded.Ior;
  a.rangeM = SampleToMetresExact(
      std::max<std::int64_t>(std::int64_t{view.FullRangeEnd} - view.FullRangeStart, 0),
      decoded.Ior);

  t.identity.instrument = kRecordInstrument;
  t.identity.instrumentSerial = unitName(record);

  const std::vector<EventRow> rows = eventRows(decoded);
  t.events.reserve(rows.size());
  for (const EventRow& row : rows) {
    KeyEvent e;
    e.distanceM = SampleToMetresExact(row.position, decoded.Ior);
    e.spliceLossDb = (std::int64_t{row.db1} - row.db2) / 100.0;
    e.code = row.type == 1 ? "1F9999LS" : "0F9999LS";
    e.comment = typeWord(row.type);
    e.type = EventTypeOfCode(e.code, e.spliceLossDb);
    t.events.push_back(std::move(e));
  }
  MarkLaunch(t);
  if (!rows.empty()) t.totalLossDb = rows.back().lossHundredths / 100.0;
  return t;
}

Trace TraceFromRecord(const TraceRecord& record, const HeaderState& header,
                      const ViewWindow& view) {
  DecodedValues decoded;
  (void)DecodeRecord(record, decoded, Language::English);
  return TraceFromRecord(record, header, view, decoded);
}

}  // namespace tracelink

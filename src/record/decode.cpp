#include "record/decode.h"

#include <algorithm>
#include <charconv>

#include "record/record_strings.h"

namespace tracelink {

namespace {

// Shortest decimal text of a double, as the display of the group index has always read
// (1.4677, not 1.467700). to_chars ignores the C locale, which a GUI program sets from the
// environment: printf would turn this into "1,4677" under a German locale, and the report
// reads this text back.
std::string shortestText(double v) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

}  // namespace

std::int32_t shownEventCount(const DecodedValues& values) {
  return std::clamp(values.EventCount, std::int32_t{0}, kMaxShownEvents);
}

std::string eventTypeText(const DecodedValues& values, std::int32_t type) {
  if (type == 1 || type == 2) return values.EventTypeName[static_cast<std::size_t>(type)];
  return std::to_string(type);
}

std::vector<EventRow> eventRows(const DecodedValues& values) {
  const std::int32_t count = shownEventCount(values);
  std::vector<EventRow> rows;
  rows.reserve(static_cast<std::size_t>(count));
  const auto level = [&](std::int32_t i) -> std::int64_t {
    return values.EventLevel[static_cast<std::size_t>(i)];
  };
  for (std::int32_t i = 1; i <= count; ++i) {
    const auto idx = static_cast<std::size_t>(i);
    EventRow row;
    row.no = i;
    row.type = values.EventType[idx];
    row.typeName = eventTypeText(values, row.type);
    row.position = values.EventPosition[idx];
    row.distance = values.EventDistance[idx];
    row.db1 = values.EventLevel[2 * idx - 1];
    row.db2 = values.EventLevel[2 * idx];
    row.lossHundredths = level(1) - level(2 * i);
    row.hasIl = i != count;
    if (row.hasIl) row.ilHundredths = level(2 * i) - level(2 * i + 1);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string eventHeaderLine(Language language) {
  const auto& s = recordStrings(language);
  std::string line;
  for (std::size_t c = 0; c < s.eventColumns.size(); ++c) {
    if (c > 0) line += '\t';
    line += s.eventColumns[c];
  }
  return line + "\r\n";
}

DecodedTexts DecodeRecord(const TraceRecord& record, DecodedValues& values, Language language,
                          const std::string& decimalSeparator) {
  const auto& s = recordStrings(language);
  values.EventTypeName[1] = s.typeWords[0];
  values.EventTypeName[2] = s.typeWords[1];
  values.Ior = kIor;
  values.PulseIndex = record[slot::kReglw];
  if (values.PulseIndex > 8) values.PulseIndex = 3;
  // Header words are 0..65535 from the line or a validated file; a negative word can
  // only come from a hand-made record and has no pulse word, so it is shown as index 3
  // as every other out-of-table value is.
  if (values.PulseIndex < 0) values.PulseIndex = 3;
  values.Amp = record[slot::kWendu];
  if (values.Amp > 50) values.Amp = 0;

  DecodedTexts texts;
  const std::string ior = shortestText(values.Ior);
  const std::string& pulse = kPulseWords[static_cast<std::size_t>(values.PulseIndex)];
  texts.text4_0 = ior;
  texts.text4_1 = pulse;
  texts.text4_3 = std::to_string(values.Amp);
  texts.label1 = s.iorCaption + ior + s.separator + s.pulseCaption + pulse + s.separator +
                 s.wavelength + s.separator + s.ampCaption + std::to_string(values.Amp);

  values.EventCount = record[slot::kEventCount];
  for (std::size_t i = 1; i <= slot::kEventEntries; ++i) {
    const std::size_t base = slot::kEventList + 4 * (i - 1);
    values.EventPosition[i] = record[base];
    values.EventType[i] = record[base + 1];
    values.EventLevel[2 * i - 1] = record[base + 2];
    values.EventLevel[2 * i] = record[base + 3];
  }
  const std::int32_t shown = shownEventCount(values);
  for (std::int32_t i = 1; i <= shown; ++i) {
    const auto idx = static_cast<std::size_t>(i);
    values.EventDistance[idx] = SampleToMetres(values.EventPosition[idx], values.Ior);
  }

  texts.eventHeader = eventHeaderLine(language);
  texts.eventText = texts.eventHeader;
  for (const EventRow& row : eventRows(values)) {
    texts.eventText += std::to_string(row.no) + '\t' + row.typeName + '\t' +
                       std::to_string(row.distance) + '\t' +
                       FormatLevel(row.lossHundredths, decimalSeparator);
    if (row.hasIl)
      texts.eventText += '\t' + FormatLevel(row.ilHundredths, decimalSeparator) + "\r\n";
  }
  return texts;
}

}  // namespace tracelink

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "record/language.h"
#include "record/trace_record.h"
#include "record/units.h"

namespace tracelink {

// The values decoded out of a record that the report reads too. Arrays are indexed from
// 1 as the event numbers are; index 0 is unused. Entries a decode does not reach keep
// their older values.
struct DecodedValues {
  double Ior = kIor;
  std::int32_t PulseIndex = 0;
  std::int32_t Amp = 0;
  std::int32_t EventCount = 0;
  std::array<std::int32_t, 101> EventPosition{};
  std::array<std::int32_t, 101> EventType{};
  std::array<std::int32_t, 101> EventDistance{};
  std::array<std::int32_t, 201> EventLevel{};
  std::array<std::string, 3> EventTypeName{};
};

// The texts a decode produces for the window: the hidden value boxes Text4(0), (1), (3),
// the info line Label1, the event-table header and the whole table (Text1).
struct DecodedTexts {
  std::string text4_0;
  std::string text4_1;
  std::string text4_3;
  std::string label1;
  std::string eventHeader;
  std::string eventText;
};

// One line of the event table as shown.
struct EventRow {
  std::int32_t no = 0;
  std::int32_t type = 0;
  std::string typeName;
  std::int32_t position = 0;
  std::int32_t distance = 0;
  std::int32_t db1 = 0;
  std::int32_t db2 = 0;
  std::int64_t lossHundredths = 0;  // EventLevel(1) - EventLevel(2i)
  bool hasIl = false;               // every line but the last
  std::int64_t ilHundredths = 0;    // EventLevel(2i) - EventLevel(2i+1)
};

// The record holds eight event entries; a larger count word shows eight lines.
inline constexpr std::int32_t kMaxShownEvents = slot::kEventEntries;
std::int32_t shownEventCount(const DecodedValues& values);

// The type word of an event type, or the type's number when it has no word.
std::string eventTypeText(const DecodedValues& values, std::int32_t type);

// The lines the event table shows, in order.
std::vector<EventRow> eventRows(const DecodedValues& values);

// The header line of the event table, ending in CR LF.
std::string eventHeaderLine(Language language);

// Decodes the header and the event list; the caller redraws the plot afterwards.
DecodedTexts DecodeRecord(const TraceRecord& record, DecodedValues& values, Language language,
                          const std::string& decimalSeparator = ".");

}  // namespace tracelink

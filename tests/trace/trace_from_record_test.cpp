#include "trace/trace_from_record.h"

#include <gtest/gtest.h>

#include <memory>

#include "record/units.h"

namespace tracelink {
namespace {

struct Record {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;

  Record(std::int32_t rangeN, std::int32_t startPoint, std::int32_t rangeLine) {
    TraceRecord& r = *record;
    for (int p = 0; p < kHeaderStart; ++p) r[p] = 900 - p / 50 + p % 3;
    r[slot::kRangeN] = rangeN;
    r[slot::kStartPoint] = startPoint;
    r[slot::kRangeLine] = rangeLine;
    r[slot::kReglw] = 6;
    header.BlocksPerTrace = 12;
    ApplyHeader(r, header, view);
  }
  void events(const std::vector<std::array<std::int32_t, 4>>& list) {
    (*record)[slot::kEventCount] = static_cast<std::int32_t>(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
      for (std::size_t k = 0; k < 4; ++k) (*record)[slot::kEventList + 4 * i + k] = list[i][k];
  }
  Trace trace() const { return TraceFromRecord(*record, header, view); }
};

TEST(TraceFromRecord, LevelsAreTheFullViewAsThePlotReadsIt) {
  const struct {
    std::int32_t rangeN, startPoint, rangeLine;
    std::size_t first;  // record position of point 0
    std::size_t count;
  } cases[] = {
      {7, 1, 2000, 0, 48001},
      {7, 0, 2000, 0, 48001},  // StartPoint 0 reads as 1
      {3, 37, 3000, 36, 4001},
      {2, 100, 3000, 99, 1001},
      {7, 15000, 20000, 14999, static_cast<std::size_t>(kRecordWords) - 14999},  // ends early
      {7, 2000, 2000, 0, 0},
      {7, 3000, 2000, 0, 0},  // StartPoint not below RangeLine
  };
  for (const auto& c : cases) {
    const Record r(c.rangeN, c.startPoint, c.rangeLine);
    const Trace t = r.trace();
    ASSERT_EQ(t.size(), c.count) << c.rangeN << " " << c.startPoint;
    for (std::size_t i = 0; i < t.size(); i += 997)
      EXPECT_EQ(t.levels[i], (*r.record)[c.first + i] * 10) << i;
    if (!t.empty()) {
      EXPECT_EQ(t.levels.back(), (*r.record)[c.first + c.count - 1] * 10);
    }
    EXPECT_EQ(t.originM, 0);
    // Every distance of the program, to the last bit.
    EXPECT_EQ(t.spacingM, kLightSpeed / 2.0 / kIor);
    EXPECT_EQ(t.acquisition.rangeM, SampleToMetresExact(r.view.FullRangeEnd));
  }
}

TEST(TraceFromRecord, EventsAsTheExportWritesThem) {
  Record r(7, 1, 2000);
  r.events({{0, 1, 900, 880},
            {1000, 2, 870, 860},
            {2000, 2, 850, 855},  // the level rises across it
            {3000, 1, 840, 700},
            {4000, 5, 690, 600}});
  const Trace t = r.trace();
  const struct {
    double distanceM;
    double lossDb;
    EventType type;
    const char* code;
    const char* comment;
  } want[] = {
      {0, 0.20, EventType::Launch, "1F9999LS", "REF"},
      {SampleToMetresExact(1000), 0.10, EventType::NonReflective, "0F9999LS", "ATT"},
      {SampleToMetresExact(2000), -0.05, EventType::Gainer, "0F9999LS", "ATT"},
      {SampleToMetresExact(3000), 1.40, EventType::Reflective, "1F9999LS", "REF"},
      {SampleToMetresExact(4000), 0.90, EventType::NonReflective, "0F9999LS", "5"},
  };
  ASSERT_EQ(t.events.size(), std::size(want));
  for (std::size_t i = 0; i < t.events.size(); ++i) {
    const KeyEvent& e = t.events[i];
    EXPECT_EQ(e.distanceM, want[i].distanceM) << i;
    EXPECT_DOUBLE_EQ(e.spliceLossDb, want[i].lossDb) << i;
    EXPECT_EQ(e.type, want[i].type) << i;
    EXPECT_EQ(e.code, want[i].code) << i;
    EXPECT_EQ(e.comment, want[i].comment) << i;
    EXPECT_EQ(e.reflectanceDb, std::nullopt) << i;
    // The table shows the distance to the metre.
    EXPECT_EQ(nearest(e.distanceM), SampleToMetres(i * 1000)) << i;
  }
  // The table's Loss(dB) of its last line: EventLevel(1) - db2 of the last event.
  EXPECT_DOUBLE_EQ(*t.totalLossDb, 3.00);
  EXPECT_EQ(t.orlDb, std::nullopt);

  // The record holds eight entries; a larger count shows eight.
  r.events({{10, 1, 900, 880}});
  (*r.record)[slot::kEventCount] = 40;
  EXPECT_EQ(r.trace().events.size(), 8u);
  r.events({});
  EXPECT_TRUE(r.trace().events.empty());
  EXPECT_EQ(r.trace().totalLossDb, std::nullopt);
}

TEST(TraceFromRecord, AcquisitionAndIdentityFromTheHeader) {
  const std::pair<std::int32_t, double> pulses[] = {{0, 10},   {3, 100}, {6, 1000},
                                                    {8, 2500}, {9, 100}, {-1, 100}};
  for (const auto& [index, ns] : pulses) {
    Record r(7, 1, 2000);
    (*r.record)[slot::kReglw] = index;
    const char unit[] = "UNIT-42";
    for (std::size_t i = 0; i < sizeof unit; ++i)
      (*r.record)[slot::kMyId + i] = static_cast<unsigned char>(unit[i]);
    const Trace t = r.trace();
    EXPECT_EQ(t.acquisition.pulseWidthsNs, std::vector<double>{ns}) << index;
    EXPECT_EQ(t.acquisition.wavelengthNm, 1310);
    EXPECT_EQ(t.acquisition.groupIndex, kIor);
    EXPECT_EQ(t.identity.instrument, "VT520X");
    EXPECT_EQ(t.identity.instrumentSerial, "UNIT-42");
    EXPECT_EQ(t.identity.dateTime, std::nullopt);
    EXPECT_EQ(t.origin.format, TraceFormat::Otdr);
  }
  // Identity words that are not letters end the name.
  Record r(7, 1, 2000);
  (*r.record)[slot::kMyId] = 'A';
  (*r.record)[slot::kMyId + 1] = 0x1234;
  EXPECT_EQ(r.trace().identity.instrumentSerial, "A");
}

TEST(TraceFromRecord, WordsOfAHandMadeRecordStopAtTheLimits) {
  Record r(3, 1, 3000);
  (*r.record)[0] = INT32_MAX / 5;
  (*r.record)[1] = -INT32_MAX / 5;
  (*r.record)[2] = 12345;
  const Trace t = r.trace();
  EXPECT_EQ(t.levels[0], INT32_MAX);
  EXPECT_EQ(t.levels[1], INT32_MIN);
  EXPECT_EQ(t.levels[2], 123450);
}

}  // namespace
}  // namespace tracelink

// The info line and the event box of another maker's trace, in both languages.
#include "session/trace_texts.h"

#include <gtest/gtest.h>

#include "session/view_window.h"

namespace tracelink {
namespace {

Trace twoEventTrace() {
  Trace t;
  t.levels = {0, -1000, -2000, -3000};
  t.spacingM = 2.5;
  t.originM = -10;
  t.acquisition.wavelengthNm = 1550;
  t.acquisition.pulseWidthsNs = {30, 100};
  t.acquisition.groupIndex = 1.4677;
  t.acquisition.rangeM = 6128.432;
  t.identity.dateTime = 1569835674;  // 2019-09-30 09:27:54 UTC
  t.events.push_back({43.9219, -0.2154, -46.671, EventType::Reflective, "1F9999LS", ""});
  t.events.push_back({3822.2261, 1.2386, std::nullopt, EventType::End, "1E9999LS", ""});
  return t;
}

TEST(TraceTexts, EventBoxListsEachKeyEventUnderItsHeader) {
  const Trace t = twoEventTrace();
  struct Case {
    Language language;
    std::string separator;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {Language::English, ".",
       "No.\tType\tDis(m)\tLoss\tRefl\tCum.\r\n"
       "1\tREF\t43.92\t-0.215\t-46.67\t-0.215\r\n"
       "2\tEND\t3822.23\t1.239\t\t1.023\r\n"},
      {Language::Chinese, ",",
       "序号\t类型\t距离(m)\t损耗\t反射\t累计\r\n"
       "1\t反射\t43,92\t-0,215\t-46,67\t-0,215\r\n"
       "2\t末端\t3822,23\t1,239\t\t1,023\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(traceEventText(t, c.language, c.separator), c.expected);
    const DecodedTexts texts = traceTexts(t, c.language, c.separator);
    EXPECT_EQ(texts.eventText, c.expected);
    EXPECT_EQ(texts.eventHeader, c.expected.substr(0, c.expected.find("\r\n") + 2));
  }
  Trace none = t;
  none.events.clear();
  EXPECT_EQ(traceEventText(none, Language::English, "."),
            "No.\tType\tDis(m)\tLoss\tRefl\tCum.\r\n");
}

TEST(TraceTexts, InfoLineGivesWavelengthPulseIndexRangeAndDate) {
  Trace t = twoEventTrace();
  EXPECT_EQ(traceInfoLine(t, Language::English, "."),
            "1550 nm  Pulse:30 ns  IOR:1.4677  Range:6.13 km  2019-09-30 09:27");
  EXPECT_EQ(traceInfoLine(t, Language::Chinese, ","),
            "1550 nm  脉宽：30 ns  折射率：1,4677  量程：6,13 km  2019-09-30 09:27");
  // What the file does not state shows as a dash; a range from the points' span.
  t.acquisition = Acquisition{};
  t.identity.dateTime.reset();
  t.spacingM = 2;
  EXPECT_EQ(traceInfoLine(t, Language::English, "."), "-  Pulse:-  IOR:-  Range:0.01 km  -");
}

TEST(TraceTexts, EventValuesCarryTheLossesIntoTheRecordsTable) {
  const Trace t = twoEventTrace();
  const DecodedValues v = traceEventValues(t, Language::English);
  const std::vector<EventRow> rows = eventRows(v);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].distance, 44);
  EXPECT_EQ(rows[1].distance, 3822);
  // The drop across each event is its own loss; from the first level, the cumulative.
  EXPECT_EQ(rows[0].db1 - rows[0].db2, -22);
  EXPECT_EQ(rows[1].db1 - rows[1].db2, 124);
  EXPECT_EQ(rows[1].lossHundredths, 102);
  EXPECT_EQ(rows[0].typeName, "REF");
  EXPECT_EQ(rows[1].typeName, "ATT");
  // Only eight fit the record's table.
  Trace many = t;
  for (int i = 0; i < 20; ++i) many.events.push_back(t.events[0]);
  EXPECT_EQ(eventRows(traceEventValues(many, Language::English)).size(), 8u);
}

TEST(TraceTexts, FixedTextRoundsAndNeverShowsMinusZero) {
  const struct {
    double value;
    int decimals;
    std::string separator;
    std::string expected;
  } cases[] = {
      {-0.0004, 3, ".", "0.000"}, {1.0005, 2, ".", "1.00"}, {-46.676, 2, ",", "-46,68"},
      {12345.6, 0, ".", "12346"}, {2.5, 3, "·", "2·500"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixedText(c.value, c.decimals, c.separator), c.expected);
}

TEST(TraceTexts, LevelScaleSpansThePointsDrawnWithTheOneBeyond) {
  Trace t;
  t.spacingM = 1;
  t.levels = {0, -3000, -9000, -40000, -100000};
  const struct {
    std::size_t first, last;
    double low, step;
  } cases[] = {
      {0, 1, -9, 1},     // points 0..2: 9 dB fit ten 1 dB divisions
      {0, 2, -40, 5},    // 40 dB need 5 dB
      {1, 3, -100, 10},  // 97 dB need 10 dB
      {3, 9, -100, 10},  // the window held inside the trace
  };
  for (const auto& c : cases) {
    const LevelScale s = levelScaleOf(t, c.first, c.last);
    EXPECT_DOUBLE_EQ(s.lowDb, c.low);
    EXPECT_DOUBLE_EQ(s.stepDb, c.step);
  }
  EXPECT_EQ(scaleText(250, 5.0), "250m/div     5dB/div");
}

}  // namespace
}  // namespace tracelink

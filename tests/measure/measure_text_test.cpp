#include "measure/measure_text.h"

#include <gtest/gtest.h>

#include "measure/measure_strings.h"
#include "measure_fixture.h"

namespace tracelink {
namespace {

using test::metresPerSample;
using test::SyntheticTrace;

// The figures of the status line's example, set by hand.
SpanMeasure exampleSpan() {
  SpanMeasure span;
  span.a.distanceM = 1021;
  span.a.milliDb = 7450;
  span.b.distanceM = 5107;
  span.b.milliDb = 6020;
  span.deltaM = 4086;
  span.deltaMilliDb = 1430;
  span.twoPointDbPerKm = 1.43 / 4086 * 1000;  // 0.34997...
  span.lsa.metresPerSample = metresPerSample();
  span.lsa.slope = -0.348 * metresPerSample();  // 0.348 dB/km in 0.001 dB per point
  span.lsa.rmsDb = 0.0189;
  return span;
}

TEST(MeasureText, TheReadoutReadsAsTheStatusLineShowsIt) {
  const SpanMeasure span = exampleSpan();
  EventLoss loss;
  loss.eventM = 27007;
  loss.lossDb = 1.4849;
  loss.deadZoneM = 102.13;
  struct Case {
    Language language;
    const char* sep;
    const char* readout;
    const char* event;
  };
  const Case cases[] = {
      {Language::English, ".",
       "A 1021 m 7.45 dB   B 5107 m 6.02 dB   A\u2192B 4086 m  1.43 dB  0.350 dB/km  LSA 0.348 "
       "dB/km (\u00B10.02 dB)",
       "Event at 27007 m: loss 1.48 dB (LSA, dead zone 102 m)"},
      {Language::Chinese, ".",
       "A 1021 m 7.45 dB   B 5107 m 6.02 dB   A\u2192B 4086 m  1.43 dB  0.350 dB/km "
       " "
       "LSA 0.348 dB/km（\u00B10.02 dB）",
       "事件 27007 m：损耗 1.48 dB（LSA，盲区 102 m）"},
      {Language::English, ",",
       "A 1021 m 7,45 dB   B 5107 m 6,02 dB   A\u2192B 4086 m  1,43 dB  0,350 dB/km  LSA 0,348 "
       "dB/km (\u00B10,02 dB)",
       "Event at 27007 m: loss 1,48 dB (LSA, dead zone 102 m)"},
  };
  for (const Case& c : cases) {
    const std::string gap(measureStrings(c.language).gap);
    EXPECT_EQ(markerText('A', span.a, c.language, c.sep) + gap +
                  markerText('B', span.b, c.language, c.sep) + gap +
                  spanText(span, c.language, c.sep),
              c.readout);
    EXPECT_EQ(eventLossText(loss, c.language, c.sep), c.event);
  }
}

TEST(MeasureText, NumbersKeepTheirDecimalsAndNoNegativeZero) {
  struct Case {
    double v;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {0.34997, 3, "0.350"}, {-0.0004, 3, "0.000"},  {-0.0006, 3, "-0.001"}, {2.5, 0, "2"},
      {1.005, 1, "1.0"},     {-12.345, 2, "-12.35"}, {1e300 * 1e10, 2, "-"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatFixed(c.v, c.decimals), c.text) << c.v;
  EXPECT_EQ(fillIn("{1} of {0}, {2}{9}", {"a", "b"}), "b of a, {2}{9}");
  // Levels of other makers' traces in thousandths, shown in hundredths: nearest, halves even.
  const std::pair<std::int64_t, std::int64_t> levels[] = {
      {7450, 745},   {7455, 746}, {7465, 746}, {7456, 746}, {7444, 744}, {-7455, -746},
      {-7465, -746}, {-4, 0},     {-6, -1},    {5, 0},      {15, 2}};
  for (const auto& [milli, hundredths] : levels)
    EXPECT_EQ(hundredthsOf(milli), hundredths) << milli;
}

TEST(MeasureText, EveryRefusalNamesItsValuesInBothLanguages) {
  struct Case {
    MeasureProblem problem;
    const char* english;
    std::vector<std::string> chineseHolds;
  };
  const auto with = [](MeasureRefusal code, char marker, double at, std::int32_t from,
                       std::int32_t to) {
    MeasureProblem q;
    q.code = code;
    q.marker = marker;
    q.distanceM = at;
    q.fromM = from;
    q.toM = to;
    return q;
  };
  MeasureProblem side = with(MeasureRefusal::SideTooShort, 'B', 0, 0, 0);
  side.side = EventSide::After;
  side.samples = 3;
  side.needed = 5;
  const Case cases[] = {
      {with(MeasureRefusal::NotADistance, 'E', 0, 0, 0),
       "the event is not a distance in metres",
       {"事件"}},
      {with(MeasureRefusal::MarkerOutsideRange, 'A', 60000, 0, 49022),
       "marker A at 60000 m lies outside the trace (0 to 49022 m)",
       {"标记A", "60000", "49022"}},
      {with(MeasureRefusal::MarkerOutsideRange, 'B', -2.5, 0, 4085),
       "marker B at -2.5 m lies outside the trace (0 to 4085 m)",
       {"标记B", "-2.5", "4085"}},
      {with(MeasureRefusal::SameSample, 'B', 1000.25, 0, 0),
       "markers A and B read the same sample at 1000.25 m; move them apart",
       {"1000.25"}},
      {with(MeasureRefusal::EventOutsideSpan, 'E', 2500, 1000, 2000),
       "the event at 2500 m does not lie between the markers (1000 to 2000 m)",
       {"2500", "1000", "2000"}},
      {side,
       "only 3 samples after the event lie outside the dead zone, at least 5 are needed; move "
       "marker B away from the event",
       {"之后", "3", "5", "标记B"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describe(c.problem, Language::English), c.english);
    EXPECT_EQ(measureError(c.problem).text(), c.english);
    const std::string chinese = describe(c.problem, Language::Chinese);
    for (const std::string& piece : c.chineseHolds)
      EXPECT_NE(chinese.find(piece), std::string::npos) << chinese << " lacks " << piece;
  }
}

TEST(MeasureText, TheStatusLineShowsWhatIsSet) {
  SyntheticTrace t([](double m) { return 30.0 - 0.35 * m / 1000.0; });
  const std::string a = markerText('A', *levelAt(t.trace, 1021), Language::English);
  const std::string b = markerText('B', *levelAt(t.trace, 5107, 'B'), Language::English);
  const std::string span = spanText(*measureSpan(t.trace, 1021, 5107), Language::English);
  EXPECT_EQ(markerReadout(t.trace, std::nullopt, std::nullopt, Language::English), "");
  EXPECT_EQ(markerReadout(t.trace, 1021, std::nullopt, Language::English), a);
  EXPECT_EQ(markerReadout(t.trace, std::nullopt, 5107, Language::English), b);
  EXPECT_EQ(markerReadout(t.trace, 1021, 5107, Language::English), a + "   " + b + "   " + span);
  EXPECT_NE(span.find("0.350 dB/km  LSA 0.350 dB/km (\u00B10.00 dB)"), std::string::npos) << span;
  // A marker that cannot be read shows why, in place of its part and of the span.
  EXPECT_EQ(markerReadout(t.trace, 1021, 90000, Language::English),
            a + "   marker B at 90000 m lies outside the trace (0 to 49022 m)");
  EXPECT_EQ(markerReadout(t.trace, 1021, 1021, Language::English),
            a + "   " + markerText('B', *levelAt(t.trace, 1021, 'B'), Language::English) +
                "   markers A and B stand at the same distance (1021 m)");
  t.header.RangeLine = 0;
  t.rebuild();
  EXPECT_EQ(markerReadout(t.trace, 1021, 5107, Language::Chinese), "未加载曲线");
}

}  // namespace
}  // namespace tracelink

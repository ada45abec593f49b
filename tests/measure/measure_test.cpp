#include "measure/measure.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "measure/measure_text.h"
#include "measure_fixture.h"
#include "sor/sor_file.h"
#include "trace/trace_from_sor.h"

namespace tracelink {
namespace {

using test::metresPerSample;
using test::SyntheticTrace;

double straight(double slopeDbPerKm, double m) {
  return 30.0 - slopeDbPerKm * m / 1000.0;
}

TEST(LevelAt, ReadsTheWordTheCrosshairReads) {
  for (const std::int32_t startPoint : {0, 1, 37, 4000}) {
    SyntheticTrace t([](double m) { return 30.0 - m / 1000.0; }, startPoint);
    const std::int32_t first = startPoint == 0 ? 1 : startPoint;
    for (const double m : {0.0, 1.0, 1021.0, 1021.49, 4085.5, 27007.0, 49022.0}) {
      const Measured<MarkerLevel> level = levelAt(t.trace, m);
      ASSERT_TRUE(level) << m;
      const std::int32_t k = MetresToSample(m);
      EXPECT_EQ(level->index, k) << m;
      EXPECT_EQ(level->milliDb, (*t.record)[static_cast<std::size_t>(first - 1 + k)] * 10) << m;
    }
  }
}

TEST(CursorPosition, CountsFromStartPointAsStoredAndStaysInsideTheRecord) {
  const double endM = SampleToMetresExact(kRecordWords);
  EXPECT_EQ(CursorPosition(0, 0, kIor), std::nullopt);  // before any redraw: the far left
  EXPECT_EQ(CursorPosition(0, 2, kIor), std::optional<std::size_t>(1));
  EXPECT_EQ(CursorPosition(1, 0, kIor), std::optional<std::size_t>(0));
  EXPECT_EQ(CursorPosition(1, endM, kIor), std::nullopt);
  EXPECT_EQ(CursorPosition(kRecordWords, 0, kIor), std::optional<std::size_t>(kRecordWords - 1));
  EXPECT_EQ(CursorPosition(1, 1e300, kIor), std::nullopt);
  EXPECT_EQ(CursorPosition(1, 1021, 0.0), CursorPosition(1, 1021, kIor));  // unusable index
}

struct LineCase {
  double slopeDbPerKm;  // of the level function
  double aM;
  double bM;
  double tolerance;  // dB/km, for the rounding of the words to hundredths
  double maxRms;
};

TEST(MeasureSpan, AStraightLineGivesItsSlopeByBothMethods) {
  // 0.01 dB per sample is a whole hundredth per sample: the stored words lie exactly on a
  // line, so the fit is exact and its residual nil (but for the rounding of one quotient,
  // far below the 0.01 dB shown).
  const double exactSlope = 0.01 / metresPerSample() * 1000.0;
  const LineCase cases[] = {
      {0.35, 1021, 5107, 0.004, 0.004},    {0.35, 1021, 49000, 0.0005, 0.004},
      {0.35, 30000, 2000, 0.0005, 0.004},  {0.20, 100, 48000, 0.0005, 0.004},
      {exactSlope, 500, 9000, 1e-9, 1e-6}, {0.0, 10, 40000, 1e-12, 1e-12},
  };
  for (const LineCase& c : cases) {
    SyntheticTrace t([&](double m) { return straight(c.slopeDbPerKm, m); });
    const Measured<SpanMeasure> span = measureSpan(t.trace, c.aM, c.bM);
    ASSERT_TRUE(span) << c.aM << " " << c.bM;
    EXPECT_DOUBLE_EQ(span->deltaM, std::abs(c.bM - c.aM));
    // The markers' samples lie up to half a sample off their distances.
    EXPECT_NEAR(span->twoPointDbPerKm, c.slopeDbPerKm, c.tolerance + 0.01 / span->deltaM * 1000.0);
    EXPECT_NEAR(span->lsa.dbPerKm(), c.slopeDbPerKm, c.tolerance) << c.aM << " " << c.bM;
    EXPECT_LE(span->lsa.rmsDb, c.maxRms);
    EXPECT_NEAR(span->lsaLossDb, c.slopeDbPerKm * span->deltaM / 1000.0,
                c.tolerance * span->deltaM / 1000.0);
    EXPECT_EQ(span->lsa.samples, std::abs(MetresToSample(c.bM) - MetresToSample(c.aM)) + 1);
  }
}

TEST(MeasureSpan, NoiseOfKnownAmplitudeKeepsTheFitWithinItsError) {
  const double sigma = 0.05;  // dB
  for (const std::uint32_t seed : {1u, 2u, 3u}) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    SyntheticTrace t([&](double m) { return straight(0.35, m) + noise(rng); });
    const double aM = 5000;
    const double bM = 25000;
    const Measured<SpanMeasure> span = measureSpan(t.trace, aM, bM);
    ASSERT_TRUE(span);
    // Standard error of a least-squares slope: sigma / sqrt(sum (x - mean)^2), with the
    // sum n^3 h^2 / 12 for n equally spaced samples.
    const double n = static_cast<double>(span->lsa.samples);
    const double h = metresPerSample();
    const double slopeError = sigma / std::sqrt(n * n * n * h * h / 12.0) * 1000.0;
    EXPECT_NEAR(span->lsa.dbPerKm(), 0.35, 5 * slopeError) << seed;
    // The residual is the noise plus the rounding to hundredths (uniform, 1/12 of 0.01^2).
    const double expectedRms = std::sqrt(sigma * sigma + 0.0001 / 12.0);
    EXPECT_NEAR(span->lsa.rmsDb, expectedRms, 0.05 * expectedRms) << seed;
  }
}

// Everything computed the plain way, in long double: x the sample's distance in metres,
// y the level in dB.
struct DirectFit {
  long double slopePerM = 0;
  long double intercept = 0;
  long double rms = 0;
};

DirectFit directFit(const TraceRecord& record, std::size_t position, std::int64_t firstSample,
                    std::int64_t count) {
  const long double h =
      static_cast<long double>(kLightSpeed) / 2.0L / static_cast<long double>(kIor);
  long double sx = 0, sy = 0, sxy = 0, sxx = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    const long double x = (firstSample + i) * h;
    const long double y = record[position + static_cast<std::size_t>(i)] / 100.0L;
    sx += x;
    sy += y;
    sxy += x * y;
    sxx += x * x;
  }
  const long double n = static_cast<long double>(count);
  DirectFit f;
  f.slopePerM = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  f.intercept = (sy - f.slopePerM * sx) / n;
  long double ss = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    const long double x = (firstSample + i) * h;
    const long double r =
        record[position + static_cast<std::size_t>(i)] / 100.0L - (f.intercept + f.slopePerM * x);
    ss += r * r;
  }
  f.rms = std::sqrt(ss / n);
  return f;
}

TEST(MeasureSpan, AgreesWithTheClosedFormInLongDouble) {
  std::mt19937 rng(11);
  std::normal_distribution<double> noise(0.0, 0.3);
  SyntheticTrace t(
      [&](double m) { return 25.0 - 0.22 * m / 1000.0 + (m > 17000 ? -0.8 : 0.0) + noise(rng); });
  std::uniform_real_distribution<double> where(0.0, 49000.0);
  for (int trial = 0; trial < 40; ++trial) {
    const double aM = std::round(where(rng));
    const double bM = std::round(where(rng));
    if (std::abs(aM - bM) < 50) continue;
    const Measured<SpanMeasure> span = measureSpan(t.trace, aM, bM);
    ASSERT_TRUE(span);
    const MarkerLevel& nearer = aM < bM ? span->a : span->b;
    // StartPoint 1: point k is record position k.
    const DirectFit direct = directFit(*t.record, static_cast<std::size_t>(nearer.index),
                                       nearer.index, span->lsa.samples);
    const double directDbPerKm = static_cast<double>(-direct.slopePerM * 1000.0L);
    EXPECT_NEAR(span->lsa.dbPerKm(), directDbPerKm, 1e-9 * std::max(1.0, std::abs(directDbPerKm)));
    EXPECT_NEAR(span->lsa.rmsDb, static_cast<double>(direct.rms), 1e-9);
    const double midM = (aM + bM) / 2.0;
    EXPECT_NEAR(span->lsa.levelDbAt(midM),
                static_cast<double>(direct.intercept + direct.slopePerM * midM), 1e-9);
  }
}

TEST(FitSamples, ExtremeWordsDoNotOverflowTheSums) {
  // The largest span the record holds, at the largest levels a trace can store (0.001 dB
  // each: the figures below are in dB).
  const std::int64_t n = kRecordWords;
  std::vector<std::int32_t> words(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i)
    words[static_cast<std::size_t>(i)] = INT32_MAX - static_cast<std::int32_t>(i);
  const LineFit falling = fitSamples(words.data(), 0, n, 1.0);
  EXPECT_NEAR(falling.slope / falling.unitsPerDb, -1.0 / 1000, 1e-15);
  EXPECT_NEAR(falling.intercept / falling.unitsPerDb, INT32_MAX / 1000.0, 1e-6);
  EXPECT_NEAR(falling.rmsDb, 0.0, 1e-6);

  for (std::int64_t i = 0; i < n; ++i)
    words[static_cast<std::size_t>(i)] = i % 2 ? INT32_MIN : INT32_MAX;
  const LineFit alternating = fitSamples(words.data(), 0, n, 1.0);
  long double si = 0, sy = 0, siy = 0, sii = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const long double y = words[static_cast<std::size_t>(i)];
    si += i;
    sy += y;
    siy += i * y;
    sii += static_cast<long double>(i) * i;
  }
  const long double slope = (n * siy - si * sy) / (n * sii - si * si);
  EXPECT_NEAR(alternating.slope / alternating.unitsPerDb, static_cast<double>(slope) / 1000,
              1e-9 * std::abs(static_cast<double>(slope) / 1000));
  EXPECT_NEAR(alternating.rmsDb, 2147483647.5 / 1000.0, 0.1);
}

TEST(FitBetween, TakesThePointsInsideTheWindowClampedToTheTrace) {
  // Points 2 m apart from -10 m, level -(i x i) mdB: a parabola, so a fit over other points
  // than the window's gives another slope.
  Trace t;
  t.spacingM = 2;
  t.originM = -10;
  for (std::int32_t i = 0; i < 50; ++i) t.levels.push_back(-i * i);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double fromM, toM;
    std::int64_t first, count;  // count 0: no fit
  };
  const Case cases[] = {
      {0, 20, 5, 11},      // on points: both ends taken
      {0.5, 19.5, 6, 9},   // between points: the ones inside
      {-100, 2, 0, 7},     // clamped to the first point
      {60, 1000, 35, 15},  // and to the last
      {-inf, inf, 0, 50},  // the whole trace
      {0, 7.9, 0, 0},      // four points (5..8): too few
      {20, 0, 0, 0},       // backwards
      {nan, 20, 0, 0},     // a window that is not a number gives no point
      {0, nan, 0, 0},      // either end
      {200, 300, 0, 0},    // past the trace
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fromM << ".." << c.toM);
    const std::optional<LineFit> fit = fitBetween(t, c.fromM, c.toM);
    if (c.count == 0) {
      EXPECT_FALSE(fit);
      continue;
    }
    ASSERT_TRUE(fit);
    const LineFit want =
        fitSamples(t.levels.data() + c.first, c.first, c.count, t.spacingM, t.originM);
    EXPECT_EQ(fit->firstIndex, c.first);
    EXPECT_EQ(fit->samples, c.count);
    EXPECT_EQ(fit->slope, want.slope);
    EXPECT_EQ(fit->intercept, want.intercept);
  }
  Trace flat = t;
  flat.spacingM = 0;
  EXPECT_FALSE(fitBetween(flat, 0, 20));
}

TEST(EventLoss, AStepIsMeasuredForAnyMarkersOutsideTheDeadZone) {
  const double eventM = 20000;
  const double d = deadZoneMetres(1000, kIor);
  ASSERT_NEAR(d, 102.13, 0.01);
  ASSERT_EQ(deadZoneMetres(SyntheticTrace([](double) { return 0.0; }).trace), d);
  const double h = metresPerSample();
  // Words exactly on a line (flat, or a whole hundredth per sample) make every fit exact,
  // even over five samples; 0.35 dB/km rounds to hundredths, which short fits magnify, so
  // those markers stand a kilometre off.
  const double exactSlope = 0.01 / h * 1000.0;
  struct Case {
    double slopeDbPerKm;
    double aM, bM;
    double tolerance;
  };
  const Case cases[] = {
      {0.0, eventM - d - 4 * h, eventM + d + 4 * h, 1e-9},
      {exactSlope, eventM - d - 4 * h, eventM + d + 4 * h, 1e-9},
      {exactSlope, 1000, 40000, 1e-9},
      {exactSlope, eventM + d + 10, eventM - d - 10, 1e-9},
      {0.35, 1000, 40000, 0.005},
      {0.35, 19000, 21000, 0.01},
      {0.35, 40000, 15000, 0.005},
  };
  for (const Case& c : cases) {
    SyntheticTrace t(
        [&](double m) { return straight(c.slopeDbPerKm, m) - (m > eventM ? 0.5 : 0.0); });
    const Measured<EventLoss> loss = eventLoss(t.trace, c.aM, c.bM, eventM);
    ASSERT_TRUE(loss) << c.aM << " " << c.bM;
    EXPECT_NEAR(loss->lossDb, 0.50, c.tolerance) << c.slopeDbPerKm << ": " << c.aM << " " << c.bM;
    EXPECT_DOUBLE_EQ(loss->deadZoneM, d);
    // The fits stop short of the dead zone on both sides.
    EXPECT_LE(static_cast<double>(loss->before.firstIndex + loss->before.samples - 1) * h,
              eventM - d + h / 2);
    EXPECT_GE(static_cast<double>(loss->after.firstIndex) * h, eventM + d - h / 2);
  }
  // A reflection inside the dead zone does not disturb the result.
  SyntheticTrace spiked([&](double m) {
    return straight(0.35, m) - (m > eventM ? 0.5 : 0.0) + (std::abs(m - eventM) < 90 ? 4.0 : 0.0);
  });
  const Measured<EventLoss> loss = eventLoss(spiked.trace, 15000, 25000, eventM);
  ASSERT_TRUE(loss);
  EXPECT_NEAR(loss->lossDb, 0.50, 0.01);
}

TEST(EventBetween, TakesTheListedEventNearestTheMiddle) {
  SyntheticTrace t([](double m) { return straight(0.35, m); });
  t.events({1000, 9000, 12000, 30000});
  struct Case {
    double aM, bM;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {0, 20000, 9000},
      {20000, 0, 9000},
      {8000, 16000, 12000},
      {1000, 9000, std::nullopt},
      {9000, 12000, std::nullopt},
      {5000, 40000, 30000},
      {31000, 45000, std::nullopt},
  };
  for (const Case& c : cases) {
    const Measured<std::int32_t> e = eventBetween(t.trace, c.aM, c.bM);
    EXPECT_EQ(e.ok(), c.expected.has_value()) << c.aM << " " << c.bM;
    if (e && c.expected) {
      EXPECT_EQ(*e, *c.expected);
    }
    if (!e) {
      EXPECT_EQ(e.problem().code, MeasureRefusal::NoEventBetween);
    }
  }
}

TEST(Refusals, SayWhatCannotBeMeasured) {
  SyntheticTrace t([](double m) { return straight(0.35, m); });
  const double endM = SampleToMetres(48000);
  const double d = deadZoneMetres(1000, kIor);

  SyntheticTrace empty([](double) { return 0.0; });
  empty.header.RangeLine = empty.header.StartPoint;  // nothing is drawn: no trace
  empty.rebuild();
  SyntheticTrace shifted([](double m) { return straight(0.35, m); }, 15000);

  struct Case {
    const char* what;
    const Trace* trace;
    double aM, bM;
    std::optional<double> eventM;
    MeasureRefusal code;
    char marker;
  };
  const Case cases[] = {
      {"no trace", &empty.trace, 1000, 2000, std::nullopt, MeasureRefusal::NoTrace, 'A'},
      {"A not a number", &t.trace, NAN, 2000, std::nullopt, MeasureRefusal::NotADistance, 'A'},
      {"B infinite", &t.trace, 1000, INFINITY, std::nullopt, MeasureRefusal::NotADistance, 'B'},
      {"A before the start", &t.trace, -1, 2000, std::nullopt, MeasureRefusal::MarkerOutsideRange,
       'A'},
      {"B past the end", &t.trace, 1000, endM + 1, std::nullopt, MeasureRefusal::MarkerOutsideRange,
       'B'},
      {"B past the record", &shifted.trace, 1000, 49000, std::nullopt,
       MeasureRefusal::MarkerOutsideRecord, 'B'},
      {"A = B", &t.trace, 3000, 3000, std::nullopt, MeasureRefusal::MarkersEqual, 'B'},
      {"one sample", &t.trace, 1000, 1000.3, std::nullopt, MeasureRefusal::SameSample, 'B'},
      {"event not between", &t.trace, 1000, 2000, 2500.0, MeasureRefusal::EventOutsideSpan, 'E'},
      {"event on a marker", &t.trace, 1000, 2000, 2000.0, MeasureRefusal::EventOutsideSpan, 'E'},
      {"event not a number", &t.trace, 1000, 2000, NAN, MeasureRefusal::NotADistance, 'E'},
      {"A inside the dead zone", &t.trace, 5000 - d - 2, 6000, 5000.0, MeasureRefusal::SideTooShort,
       'A'},
      {"B inside the dead zone", &t.trace, 4000, 5000 + d + 3, 5000.0, MeasureRefusal::SideTooShort,
       'B'},
      {"swapped: B nearer", &t.trace, 6000, 5000 - d + 1, 5000.0, MeasureRefusal::SideTooShort,
       'B'},
  };
  for (const Case& c : cases) {
    const MeasureProblem p = c.eventM ? eventLoss(*c.trace, c.aM, c.bM, *c.eventM).problem()
                                      : measureSpan(*c.trace, c.aM, c.bM).problem();
    EXPECT_EQ(p.code, c.code) << c.what;
    EXPECT_EQ(p.marker, c.marker) << c.what;
  }
  // The values a refusal carries.
  const MeasureProblem outside = measureSpan(t.trace, 1000, endM + 5).problem();
  EXPECT_EQ(outside.fromM, 0);
  EXPECT_EQ(outside.toM, endM);
  EXPECT_EQ(outside.distanceM, endM + 5);
  const MeasureProblem shortSide = eventLoss(t.trace, 5000 - d - 2, 6000, 5000).problem();
  EXPECT_EQ(shortSide.side, EventSide::Before);
  EXPECT_LT(shortSide.samples, kMinSideSamples);
  EXPECT_EQ(shortSide.needed, kMinSideSamples);
  // The ends of the range are measurable, and five samples a side are enough.
  EXPECT_TRUE(measureSpan(t.trace, 0, endM));
  EXPECT_TRUE(
      eventLoss(t.trace, 5000 - d - 4 * metresPerSample(), 5000 + d + 4 * metresPerSample(), 5000));
}

// Another maker's file: a straight line of 0.350 dB/km at 0.51 m between points, behind a
// 300 m launch cable, its levels in 0.001 dB.
sor::SorFile straightSor(double dbPerKm) {
  sor::SorFile f;
  f.genParams = sor::GenParams{};
  f.genParams->userOffset = 14687;  // 100 ps: 300 m at 1.4677
  sor::FxdParams x;
  x.wavelength = 15500;
  x.pulseWidths = {100};
  x.dataSpacing = {250000};
  x.groupIndex = 146770;
  f.fxdParams = x;
  sor::DataTrace t;
  const double spacing = 250000 * 1e-14 * 299792458.0 / 1.4677;
  for (int i = 0; i < 50000; ++i)
    t.values.push_back(static_cast<std::uint16_t>(std::lround(5000 + dbPerKm * i * spacing)));
  f.dataPts = sor::DataPts{50000, {t}, {}};
  return f;
}

TEST(MeasureSpan, AnotherMakersStraightLineGivesItsSlopeByBothMethods) {
  const Trace t = TraceFromSor(straightSor(0.350));
  ASSERT_NEAR(t.originM, -300.0, 0.01);
  const std::pair<double, double> spans[] = {{0, 20000}, {-250, 25000}, {24000, 2000}};
  for (const auto& [aM, bM] : spans) {
    const Measured<SpanMeasure> span = measureSpan(t, aM, bM);
    ASSERT_TRUE(span) << describe(span.problem(), Language::English);
    // Levels are whole thousandths: the two points are off by half of one at most.
    EXPECT_NEAR(span->twoPointDbPerKm, 0.350, 0.001 / std::fabs(bM - aM) * 1000);
    EXPECT_NEAR(span->lsa.dbPerKm(), 0.350, 1e-5) << aM << " " << bM;
    EXPECT_LT(span->lsa.rmsDb, 0.0005);
    EXPECT_NE(spanText(*span, Language::English).find("0.350 dB/km  LSA 0.350 dB/km"),
              std::string::npos)
        << spanText(*span, Language::English);
  }
  // The range is the trace's own frame: the launch cable lies before 0.
  EXPECT_EQ(measureSpan(t, -400, 1000).problem().code, MeasureRefusal::MarkerOutsideRange);
  EXPECT_EQ(measureSpan(t, -400, 1000).problem().fromM, -300);
}

}  // namespace
}  // namespace tracelink

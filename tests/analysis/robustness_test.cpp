// Whatever the trace, the analysis returns, reads nothing outside it and gives only finite
// values; the same trace always gives the same result.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/synthetic_trace.h"

namespace tracelink::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

Trace levels(std::vector<std::int32_t> v, double spacingM = 1.0, double pulseNs = 100) {
  Trace t;
  t.levels = std::move(v);
  t.spacingM = spacingM;
  t.acquisition.pulseWidthsNs = {pulseNs};
  t.acquisition.groupIndex = 1.4677;
  return t;
}

std::vector<std::int32_t> noise(std::size_t n, std::int32_t mean, std::int32_t spread) {
  test::SplitMix random(7);
  std::vector<std::int32_t> v(n);
  for (std::int32_t& x : v)
    x = mean + static_cast<std::int32_t>(std::llround(random.normal() * spread));
  return v;
}

void expectSound(const Trace& t, const Analysis& a) {
  double last = -kInf;
  for (const Event& e : a.events) {
    EXPECT_LT(e.index, t.size());
    EXPECT_TRUE(std::isfinite(e.distanceM));
    EXPECT_GE(e.distanceM, last);
    last = e.distanceM;
    EXPECT_TRUE(std::isfinite(e.lossDb));
    EXPECT_TRUE(std::isfinite(e.sectionDbPerKm));
    EXPECT_TRUE(std::isfinite(e.deadZoneEndM));
    if (e.reflectanceDb) {
      EXPECT_TRUE(std::isfinite(*e.reflectanceDb));
    }
  }
  for (const Section& s : a.sections) {
    EXPECT_TRUE(std::isfinite(s.fromM) && std::isfinite(s.toM));
    EXPECT_TRUE(std::isfinite(s.lossDb) && std::isfinite(s.dbPerKm));
  }
  EXPECT_TRUE(std::isfinite(a.lengthM));
  EXPECT_TRUE(std::isfinite(a.totalLossDb));
  EXPECT_TRUE(std::isfinite(a.noiseFloorDb));
  if (a.orlDb) {
    EXPECT_TRUE(std::isfinite(*a.orlDb));
  }
}

TEST(Robustness, EdgeTracesReturnSoundResults) {
  std::vector<std::int32_t> alternating(3000);
  for (std::size_t i = 0; i < alternating.size(); ++i) alternating[i] = i % 2 ? kMax : kMin;
  std::vector<std::int32_t> falling(5000);
  for (std::size_t i = 0; i < falling.size(); ++i)
    falling[i] = -10000 - static_cast<std::int32_t>(i);
  struct Case {
    const char* name;
    Trace trace;
    std::size_t mostEvents;  // what such a trace may hold at most
  };
  const Case cases[] = {
      {"empty", levels({}), 0},
      {"one point", levels({-20000}), 0},
      {"fewer points than a line needs", levels(std::vector<std::int32_t>(15, -20000)), 0},
      {"flat", levels(std::vector<std::int32_t>(20000, -20000)), 1},
      {"pure noise", levels(noise(20000, -50000, 800)), 1},
      {"shorter than the dead zone", levels(noise(40, -20000, 10), 1.0, 1000), 2},
      {"the scale's top", levels(std::vector<std::int32_t>(5000, kMax)), 1},
      {"the scale's bottom", levels(std::vector<std::int32_t>(5000, kMin)), 1},
      {"between the limits", levels(alternating), 1000},
      {"no spacing", levels(falling, 0.0), 0},
      {"a spacing that is no number", levels(falling, kNaN), 0},
      {"a negative spacing", levels(falling, -1.0), 0},
      {"an infinite spacing", levels(falling, kInf), 0},
      {"no pulse width", levels(falling, 1.0, 0.0), 2},
      {"a pulse longer than the trace", levels(falling, 1.0, 1e6), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Analysis a = analyse(c.trace);
    expectSound(c.trace, a);
    EXPECT_LE(a.events.size(), c.mostEvents);
    const Analysis again = analyse(c.trace);
    ASSERT_EQ(again.events.size(), a.events.size());
    for (std::size_t k = 0; k < a.events.size(); ++k)
      EXPECT_EQ(again.events[k].distanceM, a.events[k].distanceM);
  }
}

TEST(Robustness, AFrameFarFromZeroOrNoNumberIsRefused) {
  Trace t = levels(noise(5000, -20000, 5));
  t.originM = kNaN;
  EXPECT_TRUE(analyse(t).events.empty());
  t.originM = 1e12;
  EXPECT_TRUE(analyse(t).events.empty());
  t.originM = -1500.0;
  const Analysis a = analyse(t);
  expectSound(t, a);
  ASSERT_FALSE(a.events.empty());
  EXPECT_NEAR(a.events.front().distanceM, -1500.0, 1.0);
}

TEST(Robustness, NoiseFromTheStartHoldsNoEventsButTheLaunch) {
  for (const std::int32_t spread : {1, 30, 3000}) {
    const Trace t = levels(noise(30000, -40000, spread));
    const Analysis a = analyse(t);
    expectSound(t, a);
    for (const Event& e : a.events) EXPECT_EQ(e.kind, EventKind::Launch) << spread;
  }
}

}  // namespace
}  // namespace tracelink::analysis

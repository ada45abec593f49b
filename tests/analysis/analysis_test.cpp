// What the analysis finds on traces with known events: kinds, thresholds, the end, ghosts,
// sections and the link's figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/analysis.h"
#include "analysis/synthetic_trace.h"

namespace tracelink::analysis {
namespace {

using test::SyntheticEvent;
using test::SyntheticFibre;

// 100 ns at 1 m a sample, 20 km of fibre that stands well above the noise.
SyntheticFibre fibre(std::vector<SyntheticEvent> events) {
  SyntheticFibre f;
  f.spacingM = 1.0;
  f.pulseNs = 100;
  f.lengthM = 20000;
  f.traceM = 24000;
  f.noiseFloorDb = -45;
  f.events = std::move(events);
  return f;
}

const Event* near(const Analysis& a, double metres, double within = 10) {
  for (const Event& e : a.events)
    if (e.kind != EventKind::Launch && std::fabs(e.distanceM - metres) <= within) return &e;
  return nullptr;
}

TEST(Analysis, KindsByLossReflectanceAndThreshold) {
  struct Case {
    const char* name;
    SyntheticEvent event;
    ThresholdRequest thresholds;
    EventKind kind;
  };
  const Case cases[] = {
      {"splice", {5000, 0.3, std::nullopt}, {}, EventKind::NonReflective},
      {"gainer", {5000, -0.3, std::nullopt}, {}, EventKind::Gainer},
      {"connector", {5000, 0.3, -45.0}, {}, EventKind::Reflective},
      // Weaker than the reflectance threshold, it is what its loss makes it.
      {"connector under the threshold",
       {5000, 0.3, -45.0},
       {std::nullopt, -35.0, std::nullopt},
       EventKind::NonReflective},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Analysis a = analyse(test::makeTrace(fibre({c.event})), c.thresholds);
    const Event* e = near(a, c.event.positionM);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->kind, c.kind);
    EXPECT_NEAR(e->lossDb, c.event.lossDb, 0.02);
    EXPECT_EQ(e->reflectanceDb.has_value(), c.kind == EventKind::Reflective);
    if (c.kind == EventKind::Reflective) {
      EXPECT_NEAR(*e->reflectanceDb, -45.0, 1.0);
    }
  }
}

TEST(Analysis, ASpliceUnderTheThresholdIsNoEvent) {
  const SyntheticFibre f = fibre({{5000, 0.15, std::nullopt}});
  EXPECT_NE(near(analyse(test::makeTrace(f)), 5000), nullptr);
  EXPECT_EQ(near(analyse(test::makeTrace(f), {0.3, std::nullopt, std::nullopt}), 5000), nullptr);
}

TEST(Analysis, TheEndReflectiveOrNotAndNothingAfterIt) {
  for (const bool reflective : {true, false}) {
    SCOPED_TRACE(reflective);
    SyntheticFibre f = fibre({{5000, 0.3, std::nullopt}});
    if (!reflective) f.endReflectanceDb.reset();
    const Analysis a = analyse(test::makeTrace(f));
    ASSERT_GE(a.events.size(), 3u);
    EXPECT_EQ(a.events.front().kind, EventKind::Launch);
    EXPECT_NEAR(a.events.front().distanceM, 0, 1);
    const Event& end = a.events.back();
    EXPECT_EQ(end.kind, EventKind::End);
    EXPECT_NEAR(end.distanceM, f.lengthM, 2);
    EXPECT_EQ(end.reflectanceDb.has_value(), reflective);
    EXPECT_GT(end.lossDb, f.launchDb - 10 - f.noiseFloorDb);  // down into the noise
    EXPECT_NEAR(a.lengthM, f.lengthM, 2);
  }
}

TEST(Analysis, AnEndThresholdAboveWhatTheTraceShowsIsCapped) {
  // The far end stands about 12 dB above the noise: an end threshold of 20 dB is capped.
  SyntheticFibre f = fibre({});
  f.noiseFloorDb = f.launchDb - f.attenuationDbPerKm * f.lengthM / 1000 - 12;
  const Analysis a = analyse(test::makeTrace(f), {std::nullopt, std::nullopt, 20.0});
  EXPECT_EQ(a.thresholds.endDb, 20.0);
  EXPECT_LT(a.endDbApplied, 12.0);
  ASSERT_EQ(a.events.back().kind, EventKind::End);
  EXPECT_NEAR(a.events.back().distanceM, f.lengthM, 5);
}

TEST(Analysis, AReflectionAtTwiceAStrongOnesDistanceIsAGhost) {
  const Analysis a = analyse(
      test::makeTrace(fibre({{4000, 0.5, -25.0}, {8000, 0.0, -55.0}, {12000, 0.3, -55.0}})));
  const Event* ghost = near(a, 8000);
  ASSERT_NE(ghost, nullptr);
  EXPECT_EQ(ghost->kind, EventKind::Ghost);
  ASSERT_TRUE(ghost->ghostOf.has_value());
  EXPECT_NEAR(a.events[*ghost->ghostOf].distanceM, 4000, 2);
  // At three times, but with a loss of its own: a connector.
  ASSERT_NE(near(a, 12000), nullptr);
  EXPECT_EQ(near(a, 12000)->kind, EventKind::Reflective);
}

TEST(Analysis, SectionsLengthAndTotalLoss) {
  SyntheticFibre f = fibre({{6000, 0.2, std::nullopt}, {12000, 0.4, -45.0}});
  f.attenuationDbPerKm = 0.25;
  const Analysis a = analyse(test::makeTrace(f));
  ASSERT_EQ(a.events.size(), 4u);
  ASSERT_EQ(a.sections.size(), 3u);
  double sum = 0;
  for (std::size_t k = 0; k < a.sections.size(); ++k) {
    const Section& s = a.sections[k];
    EXPECT_NEAR(s.dbPerKm, 0.25, 0.01) << k;
    EXPECT_DOUBLE_EQ(s.fromM, a.events[k].distanceM);
    EXPECT_DOUBLE_EQ(s.toM, a.events[k + 1].distanceM);
    EXPECT_DOUBLE_EQ(a.events[k + 1].sectionDbPerKm, s.dbPerKm);
    sum += s.lossDb;
  }
  EXPECT_EQ(a.events.front().sectionDbPerKm, 0);
  EXPECT_NEAR(sum, 0.25 * 20, 0.1);
  EXPECT_NEAR(a.totalLossDb, 0.25 * 20 + 0.6, 0.1);
}

TEST(Analysis, TheOrlIntegratesTheBackscatterAndTheEndsReflection) {
  SyntheticFibre f = fibre({});
  f.endReflectanceDb.reset();
  const Analysis none = analyse(test::makeTrace(f));
  f.endReflectanceDb = -14.0;
  const Analysis strong = analyse(test::makeTrace(f));
  ASSERT_TRUE(strong.orlDb && none.orlDb);
  // Backscatter alone: the coefficient per metre of fibre, 10^(B/10) / (c x 1 ns / 2n),
  // over 20 km losing 0.35 dB/km each way.
  const double perMetre = std::pow(10.0, -79.0 / 10) / (0.299792458 / (2 * 1.4677));
  const double decay = 2 * 0.35 / 1000 * std::log(10.0) / 10;  // per metre, both ways
  const double backscatter = perMetre * (1 - std::exp(-decay * 20000)) / decay;
  EXPECT_NEAR(*none.orlDb, -10 * std::log10(backscatter), 0.3);
  // The end's -14 dB comes back through 7 dB of fibre each way, beside the backscatter.
  const double end = std::pow(10.0, -(14.0 + 2 * 7.0) / 10);
  EXPECT_NEAR(*strong.orlDb, -10 * std::log10(end + backscatter), 0.3);
}

TEST(Analysis, TheTracesOwnThresholdsAndFrame) {
  Trace t = test::makeTrace(fibre({{5000, 0.15, std::nullopt}}));
  const Analysis plain = analyse(t);
  t.acquisition.lossThresholdDb = 0.3;
  t.originM = -250.0;
  const Analysis own = analyse(t);
  EXPECT_EQ(own.thresholds.spliceSource, ThresholdSource::File);
  EXPECT_EQ(own.thresholds.spliceDb, 0.3);
  EXPECT_EQ(own.events.size(), plain.events.size() - 1);  // the 0.15 dB splice is gone
  // Every distance in the trace's frame: the same events, 250 m earlier.
  ASSERT_EQ(own.events.back().kind, EventKind::End);
  EXPECT_NEAR(own.events.back().distanceM, plain.events.back().distanceM - 250.0, 1e-9);
  EXPECT_NEAR(own.lengthM, plain.lengthM, 1e-9);
}

}  // namespace
}  // namespace tracelink::analysis

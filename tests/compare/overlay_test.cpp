#include "compare/overlay.h"

#include <gtest/gtest.h>

#include <cmath>

#include "compare/event_list.h"

namespace tracelink::compare {
namespace {

Trace ramp(double originM, double spacingM, std::vector<std::int32_t> levels) {
  Trace t;
  t.originM = originM;
  t.spacingM = spacingM;
  t.levels = std::move(levels);
  return t;
}

// Two traces at different spacings and origins: 0, 2, 4 ... and -1, 0.5, 2 ...
struct Pair {
  Trace a = ramp(0, 2, {0, -100, -200, -300, -400});
  Trace b = ramp(-1, 1.5, {5000, 4000, 3000, 2000});
};

TEST(Overlay, ReadsEachTraceAtItsNearestPointWithItsOffset) {
  Pair p;
  struct Case {
    double at;
    std::optional<std::size_t> a, b;
  };
  const Case cases[] = {
      {-1.0, std::nullopt, 0},  // before a's first point
      {0.6, 0, 1},              // a: 0 nearer than 2; b: 0.5
      {1.4, 1, 2},              // a: 2; b: 2
      {3.4, 2, 3},              // b's last point, at 3.5
      {3.6, 2, std::nullopt},   // past it
      {8.0, 4, std::nullopt},   // a's last point, beyond b
      {8.01, std::nullopt, std::nullopt},
  };
  const std::vector<OverlayTrace> traces{{&p.a, 0.5, true}, {&p.b, -1.0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.at);
    const auto r = readingsAt(traces, c.at);
    ASSERT_EQ(r.size(), 2u);
    ASSERT_EQ(r[0].has_value(), c.a.has_value());
    ASSERT_EQ(r[1].has_value(), c.b.has_value());
    if (c.a) {
      EXPECT_EQ(r[0]->index, *c.a);
      EXPECT_DOUBLE_EQ(r[0]->distanceM, 2.0 * static_cast<double>(*c.a));
      EXPECT_DOUBLE_EQ(r[0]->levelDb, p.a.levelDb(*c.a) + 0.5);
    }
    if (c.b) {
      EXPECT_DOUBLE_EQ(r[1]->levelDb, p.b.levelDb(*c.b) - 1.0);
    }
  }
  // Hidden, missing and empty traces read nothing, and nothing is read at a non-distance.
  const Trace empty;
  const auto none = readingsAt({{&p.a, 0, false}, {nullptr}, {&empty}}, 2.0);
  for (const auto& r : none) EXPECT_FALSE(r);
  EXPECT_FALSE(readingsAt(traces, std::nan(""))[0]);
}

TEST(Overlay, SpanAndLevelsCoverOnlyShownTracesInTheRange) {
  Pair p;
  const std::vector<OverlayTrace> both{{&p.a, 0, true}, {&p.b, 0.25, true}};
  const DistanceSpan span = overlaySpan(both);
  EXPECT_DOUBLE_EQ(span.fromM, -1.0);
  EXPECT_DOUBLE_EQ(span.toM, 8.0);
  const DistanceSpan onlyA = overlaySpan({{&p.a, 0, true}, {&p.b, 0, false}});
  EXPECT_DOUBLE_EQ(onlyA.fromM, 0.0);

  struct Case {
    double from, to;
    std::optional<std::pair<std::int64_t, std::int64_t>> levels;
  };
  const Case cases[] = {
      {-10, 10, {{-400, 5250}}},
      {2, 3, {{-100, 3250}}},    // a: point 1; b: 2 (2.0 m) and none beyond 3.5
      {3.6, 8, {{-400, -200}}},  // a only, points 2..4
      {8.5, 9, std::nullopt},    // nothing there
      {3, 2, {{-100, 3250}}},    // reversed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    const auto l = overlayLevels(both, c.from, c.to);
    ASSERT_EQ(l.has_value(), c.levels.has_value());
    if (!l) continue;
    EXPECT_EQ(l->lowMilliDb, c.levels->first);
    EXPECT_EQ(l->highMilliDb, c.levels->second);
  }
  EXPECT_FALSE(overlayLevels({{&p.b, 0, false}}, -10, 10));
}

TEST(Overlay, AlignmentMakesEveryTraceReadTheReferenceLevel) {
  Pair p;
  const Trace c = ramp(100, 1, {1000});  // no point at the cursor: keeps its offset
  const std::vector<OverlayTrace> traces{{&p.a, 0.5, true}, {&p.b, 2.0, false}, {&c, 7.0, true}};
  for (const std::size_t reference : {0u, 1u}) {
    SCOPED_TRACE(reference);
    const std::vector<double> offsets = alignedOffsets(traces, 2.0, reference);
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_DOUBLE_EQ(offsets[reference], traces[reference].offsetDb);
    EXPECT_DOUBLE_EQ(offsets[2], 7.0);
    std::vector<OverlayTrace> moved = traces;
    for (std::size_t k = 0; k < moved.size(); ++k) {
      moved[k].offsetDb = offsets[k];
      moved[k].shown = true;
    }
    const auto r = readingsAt(moved, 2.0);
    EXPECT_NEAR(r[0]->levelDb, r[1]->levelDb, 1e-12);
  }
  // No reference point there, or no such reference: every offset stays.
  EXPECT_EQ(alignedOffsets(traces, 50.0), (std::vector<double>{0.5, 2.0, 7.0}));
  EXPECT_EQ(alignedOffsets(traces, 2.0, 9), (std::vector<double>{0.5, 2.0, 7.0}));
}

}  // namespace
}  // namespace tracelink::compare

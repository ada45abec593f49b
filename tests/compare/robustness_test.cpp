#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "compare/bends.h"
#include "compare/bidir.h"
#include "compare/match.h"
#include "compare/overlay.h"

namespace tracelink::compare {
namespace {

// Whatever a damaged file makes of a trace, comparing it refuses or answers, and never
// reads outside the levels (the sanitizers watch) or loops for long.
TEST(CompareRobustness, DamagedTracesAreRefusedOrAnswered) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Trace good;
  good.spacingM = 1;
  good.levels.assign(2000, -20000);
  good.acquisition.wavelengthNm = 1310;
  std::vector<Trace> damaged(7, good);
  damaged[0].levels.clear();
  damaged[1].levels.resize(1);
  damaged[2].originM = nan;
  damaged[3].spacingM = 0;
  damaged[4].spacingM = 1e-300;
  damaged[5].originM = -inf;
  // Thousands of events in a few metres, some not numbers.
  for (int k = 0; k < 5000; ++k) {
    KeyEvent e;
    e.distanceM = k % 7 == 0 ? nan : 500 + k * 0.001;
    e.spliceLossDb = k % 11 == 0 ? inf : 0.1;
    damaged[6].events.push_back(e);
  }
  using Pair = std::pair<const Trace*, const Trace*>;
  for (const Trace& t : damaged) {
    for (const auto& [a, b] : {Pair{&t, &good}, Pair{&good, &t}, Pair{&t, &t}}) {
      const BidirOutcome r = bidirectional(*a, *b, {1e6, EventSource::InstrumentElseOurs});
      if (const auto* result = std::get_if<BidirResult>(&r)) {
        for (const BidirEvent& e : result->events) EXPECT_TRUE(std::isfinite(e.averageDb));
      }
      Trace longer = *b;
      longer.acquisition.wavelengthNm = 1550;
      const BendOutcome bends = findBends(*a, longer, {0.5, 1e6, EventSource::InstrumentElseOurs});
      EXPECT_TRUE(std::holds_alternative<BendResult>(bends));
    }
    const std::vector<OverlayTrace> overlay{{&t, 0, true}, {&good, 0, true}};
    for (const double at : {nan, -inf, 0.0, 1e300, 1999.0})
      EXPECT_EQ(readingsAt(overlay, at).size(), 2u);
    (void)overlayLevels(overlay, -1e300, 1e300);
    (void)alignedOffsets(overlay, 10, 0);
  }
}

TEST(CompareRobustness, MatchesNearestFirstWithinTheTolerance) {
  struct Case {
    std::vector<double> first, second;
    double tolerance;
    std::vector<std::optional<std::size_t>> expected;
  };
  const Case cases[] = {
      // 100 is nearer 104 than 95 is, so 95 goes without.
      {{95, 100}, {104}, 10, {std::nullopt, 0}},
      {{100, 300}, {290, 105}, 10, {1, 0}},
      {{100}, {111}, 10, {std::nullopt}},
      {{std::nan("")}, {std::nan(""), 100}, 10, {std::nullopt}},
  };
  for (const Case& c : cases) EXPECT_EQ(matchNearest(c.first, c.second, c.tolerance), c.expected);
}

}  // namespace
}  // namespace tracelink::compare

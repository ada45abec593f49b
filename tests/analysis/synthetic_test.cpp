// The synthetic families with their aims: every event of at least twice the threshold (or
// reflective, or the end) standing 10 dB above the noise is found; its start within one
// sample plus 10 % of the pulse length; its loss within 0.02 dB where the trace stands
// 20 dB above the noise; and no event on a clean straight fibre.
#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "analysis/synthetic_families.h"

namespace tracelink::analysis {
namespace {

using test::Family;
using test::FamilyScore;

class Families : public ::testing::TestWithParam<Family> {};

TEST_P(Families, MeetTheAims) {
  const Family& f = GetParam();
  const Analysis a = analyse(test::makeTrace(f.fibre), {test::kFamilySpliceDb, {}, {}});
  const FamilyScore s = test::scoreFamily(f.fibre, a);
  EXPECT_EQ(s.wantedFound, s.wanted) << "recall";
  const double tolerance = f.fibre.spacingM + 0.1 * test::pulseLengthM(f.fibre);
  // Every start within twice the aim (a weak reflection under smoothing, an end dropping
  // into the noise within a few samples); the share within the aim itself over all
  // families is held below.
  EXPECT_LE(s.worstPlacementM, 2 * tolerance) << "position";
  EXPECT_EQ(s.measuredWell, s.measured) << "loss, the worst " << s.worstLossDb << " dB off";
  EXPECT_EQ(s.extra, 0u) << "events where there is none";

  const Family clean = test::family(f.fibre.spacingM, f.fibre.pulseNs, 0, false);
  const Analysis plain = analyse(test::makeTrace(clean.fibre), {test::kFamilySpliceDb, {}, {}});
  ASSERT_EQ(plain.events.size(), 2u) << "a clean straight fibre";
  EXPECT_EQ(plain.events.front().kind, EventKind::Launch);
  EXPECT_EQ(plain.events.back().kind, EventKind::End);
}

INSTANTIATE_TEST_SUITE_P(Synthetic, Families, ::testing::ValuesIn(test::allFamilies()),
                         [](const ::testing::TestParamInfo<Family>& info) {
                           std::string name = "f" + std::to_string(info.index);
                           for (const char c : info.param.name)
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           return name;
                         });

TEST(Synthetic, StartsWithinTheAimOverAllFamilies) {
  std::size_t found = 0;
  std::size_t placed = 0;
  std::size_t wanted = 0;
  std::size_t wantedFound = 0;
  for (const Family& f : test::allFamilies()) {
    const FamilyScore s = test::scoreFamily(
        f.fibre, analyse(test::makeTrace(f.fibre), {test::kFamilySpliceDb, {}, {}}));
    found += s.found;
    placed += s.placed;
    wanted += s.wanted;
    wantedFound += s.wantedFound;
  }
  EXPECT_GE(static_cast<double>(wantedFound), 0.98 * static_cast<double>(wanted));
  EXPECT_GE(static_cast<double>(placed), 0.98 * static_cast<double>(found));
}

}  // namespace
}  // namespace tracelink::analysis

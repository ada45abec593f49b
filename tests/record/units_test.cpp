#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "record/units.h"

namespace tracelink {
namespace {

TEST(NearestTest, HalvesGoToTheEvenNeighbour) {
  const struct {
    double v;
    std::int32_t expected;
  } cases[] = {{408.5, 408}, {9.5, 10},       {2.5, 2},   {3.5, 4},    {0.5, 0},
               {1.5, 2},     {-2.5, -2},      {-3.5, -4}, {2.4999, 2}, {2.5001, 3},
               {-0.4, 0},    {1021.30, 1021}, {7.0, 7},   {-7.0, -7}};
  for (const auto& c : cases) EXPECT_EQ(nearest(c.v), c.expected) << c.v;
}

TEST(NearestTest, OutOfRangeIsReportedOrSaturated) {
  EXPECT_FALSE(nearestChecked(std::nan("")).has_value());
  EXPECT_FALSE(nearestChecked(1e12).has_value());
  EXPECT_FALSE(nearestChecked(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_EQ(nearest(1e12), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(nearest(-1e12), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(nearest(std::nan("")), 0);
}

TEST(DistanceTest, SamplesAndMetres) {
  EXPECT_EQ(SampleToMetres(1000), 1021);
  EXPECT_EQ(SampleToMetres(0), 0);
  EXPECT_EQ(SampleToMetres(13075), 13353);  // 13353.49999...
  EXPECT_EQ(SampleToMetres(8568), 8751);    // 8750.50003...
  EXPECT_EQ(MetresToSample(1021), 1000);
  EXPECT_NEAR(SampleToMetresExact(1000), 1021.30, 0.005);
}

// One table gives the width in ns and the word the info line shows; an index the header
// cannot name reads as 100 ns in both.
TEST(PulseWidthTest, EachIndexHasItsWidthAndWord) {
  const struct {
    std::int32_t index;
    std::int32_t ns;
    const char* word;
  } cases[] = {{0, 10, "10ns"},    {1, 20, "20ns"},   {2, 50, "50ns"},    {3, 100, "100ns"},
               {4, 200, "200ns"},  {5, 500, "500ns"}, {6, 1000, "1us"},   {7, 1500, "1.5us"},
               {8, 2500, "2.5us"}, {9, 100, "100ns"}, {-1, 100, "100ns"}, {65535, 100, "100ns"}};
  for (const auto& c : cases) {
    EXPECT_EQ(PulseWidthNs(c.index), c.ns) << c.index;
    EXPECT_EQ(PulseWidthWord(PulseWidthNs(c.index)), c.word) << c.index;
  }
  static_assert(PulseWidthNs(8) == 2500);
}

TEST(PulseWidthTest, WordsOfWidthsOutsideTheTable) {
  const struct {
    std::int32_t ns;
    const char* word;
  } cases[] = {{0, "0ns"}, {999, "999ns"}, {1250, "1.25us"}, {2005, "2.005us"}, {20000, "20us"}};
  for (const auto& c : cases) EXPECT_EQ(PulseWidthWord(c.ns), c.word) << c.ns;
}

TEST(FormatLevelTest, TwoDecimalsWithTheLocaleSeparator) {
  const struct {
    std::int64_t hundredths;
    const char* separator;
    const char* expected;
  } cases[] = {{345, ".", "3.45"},
               {5, ".", "0.05"},
               {-5, ".", "-0.05"},
               {0, ".", "0.00"},
               {-150, ".", "-1.50"},
               {100, ".", "1.00"},
               {65535, ".", "655.35"},
               {345, ",", "3,45"},
               {-5, ",", "-0,05"},
               {std::numeric_limits<std::int64_t>::min(), ".", "-92233720368547758.08"}};
  for (const auto& c : cases) EXPECT_EQ(FormatLevel(c.hundredths, c.separator), c.expected);
}

}  // namespace
}  // namespace tracelink

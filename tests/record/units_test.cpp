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

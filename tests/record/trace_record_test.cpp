#include <gtest/gtest.h>

#include <memory>

#include "record/trace_record.h"

namespace tracelink {
namespace {

struct ApplyCase {
  std::int32_t rangeN;
  std::int32_t blocksBefore;
  std::int32_t blocksAfter;
  std::int32_t fullEnd;
};

void PrintTo(const ApplyCase& c, std::ostream* os) {
  *os << "rangeN " << c.rangeN;
}

class ApplyHeaderTest : public testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyHeaderTest, SetsBlocksAndFullView) {
  const ApplyCase c = GetParam();
  auto record = std::make_unique<TraceRecord>();
  (*record)[slot::kRangeN] = c.rangeN;
  (*record)[slot::kStartPoint] = 37;
  (*record)[slot::kRangeLine] = 9000;
  HeaderState header{.StartPoint = 0, .RangeLine = 0, .BlocksPerTrace = c.blocksBefore};
  ViewWindow view{.ViewStart = 55, .ViewEnd = 77, .FullRangeStart = 3, .FullRangeEnd = 4};
  ApplyHeader(*record, header, view);
  EXPECT_EQ(header.BlocksPerTrace, c.blocksAfter);
  EXPECT_EQ(header.StartPoint, 37);
  EXPECT_EQ(header.RangeLine, 9000);
  EXPECT_EQ(view.ViewStart, 0);
  EXPECT_EQ(view.ViewEnd, c.fullEnd);
  EXPECT_EQ(view.FullRangeStart, 0);
  EXPECT_EQ(view.FullRangeEnd, c.fullEnd);
}

INSTANTIATE_TEST_SUITE_P(
    RangeIndices, ApplyHeaderTest,
    testing::Values(ApplyCase{0, 9, 1, 100}, ApplyCase{1, 9, 1, 500}, ApplyCase{2, 9, 1, 1000},
                    ApplyCase{3, 9, 1, 4000}, ApplyCase{4, 9, 2, 8000},
                    // Index 5 takes its end from the block count, not the 16000 of the table.
                    ApplyCase{5, 9, 3, 12000}, ApplyCase{6, 1, 8, 32000},
                    ApplyCase{7, 1, 12, 48000},
                    // Unknown indices keep the block count the file or transfer set.
                    ApplyCase{8, 2, 2, 8000}, ApplyCase{9, 15, 15, 60000},
                    ApplyCase{-1, 4, 4, 16000}, ApplyCase{65535, 0, 0, 0}));

TEST(ApplyHeaderTest, HugeBlockCountDoesNotOverflowTheView) {
  auto record = std::make_unique<TraceRecord>();
  (*record)[slot::kRangeN] = 8;
  HeaderState header{.BlocksPerTrace = 2'000'000'000};
  ViewWindow view;
  ApplyHeader(*record, header, view);
  EXPECT_EQ(view.FullRangeEnd, std::numeric_limits<std::int32_t>::max());
}

// A StartPoint of 0 is read as 1 wherever a curve is drawn; ApplyHeader settles it when
// StartPoint is below RangeLine, and leaves a header that draws nothing as it is.
TEST(ApplyHeaderTest, StartPointZeroIsSettledWhereACurveIsDrawn) {
  const struct {
    std::int32_t startPoint;
    std::int32_t rangeLine;
    std::int32_t applied;
  } cases[] = {{0, 9000, 1},   {0, 1, 1},    {0, 0, 0},  {0, -5, 0},
               {37, 9000, 37}, {-3, 10, -3}, {12, 5, 12}};
  for (const auto& c : cases) {
    auto record = std::make_unique<TraceRecord>();
    (*record)[slot::kStartPoint] = c.startPoint;
    (*record)[slot::kRangeLine] = c.rangeLine;
    HeaderState header;
    ViewWindow view;
    ApplyHeader(*record, header, view);
    EXPECT_EQ(header.StartPoint, c.applied) << c.startPoint << " " << c.rangeLine;
    EXPECT_EQ(header.RangeLine, c.rangeLine);
    // The position of sample 0 is the same whether read from the applied value or the
    // stored one.
    EXPECT_EQ(SamplePosition(header.StartPoint, 5), SamplePosition(c.startPoint, 5));
  }
  EXPECT_EQ(PlotStartPoint(0), 1);
  EXPECT_EQ(PlotStartPoint(-1), -1);
}

TEST(SamplePositionTest, CountsFromStartPointAndStaysInsideTheRecord) {
  struct Case {
    std::int32_t startPoint;
    std::int64_t s;
    std::optional<std::size_t> position;
  };
  const Case cases[] = {
      {1, 0, 0},
      {0, 0, 0},  // a start point of 0 is taken as 1
      {1, 10001, 10001},
      {200, 5, 204},
      {1, 60099, 60099},
      {1, 60100, std::nullopt},
      {12101, 48000, std::nullopt},
      {12100, 48000, 60099},
      {-5, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SamplePosition(c.startPoint, c.s), c.position)
        << "StartPoint " << c.startPoint << ", sample " << c.s;
  }
}

}  // namespace
}  // namespace tracelink

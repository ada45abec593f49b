// The simulated instrument's traces: curves and headers that agree with each other, and
// the words it serves for them.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "link/block_transfer.h"
#include "sim/sim_instrument.h"
#include "sim/trace_generator.h"

namespace tracelink::sim {
namespace {

double meanLevel(const TraceRecord& r, int startPoint, int from, int to) {
  double sum = 0;
  for (int s = from; s < to; ++s) sum += r[static_cast<std::size_t>(startPoint - 1 + s)];
  return sum / (to - from);
}

TEST(SimTracesTest, CurveAndHeaderAgree) {
  for (int rangeN = 0; rangeN <= 7; ++rangeN) {
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(testing::Message() << "range " << rangeN << " seed " << seed);
      const auto trace = GenerateTrace({seed, rangeN, -1});
      const TraceRecord& r = *trace;
      EXPECT_EQ(r[slot::kRangeN], rangeN);
      EXPECT_LE(r[slot::kReglw], 8);
      EXPECT_LE(r[slot::kWendu], 50);
      const int sp = r[slot::kStartPoint];
      EXPECT_GE(sp, 1);
      EXPECT_LT(sp, r[slot::kRangeLine]);
      const int blocks = BlocksForRange(rangeN);
      const int count = r[slot::kEventCount];
      ASSERT_GE(count, 2);
      ASSERT_LE(count, slot::kEventEntries);
      for (int p = blocks * kBlockWords; p < kHeaderStart; ++p)
        ASSERT_EQ(r[static_cast<std::size_t>(p)], 0) << "beyond the trace's blocks: " << p;
      for (int p = 0; p < blocks * kBlockWords; ++p) {
        ASSERT_GE(r[static_cast<std::size_t>(p)], 0);
        ASSERT_LE(r[static_cast<std::size_t>(p)], 1000);
      }

      int previous = 0;
      for (int i = 0; i < count; ++i) {
        const std::size_t at = slot::kEventList + 4 * static_cast<std::size_t>(i);
        const int e = r[at], type = r[at + 1], db1 = r[at + 2], db2 = r[at + 3];
        EXPECT_GT(e, previous) << "event " << i + 1;
        previous = e;
        EXPECT_TRUE(type == 1 || type == 2);
        EXPECT_GE(db1, db2) << "event " << i + 1 << " gains level";
        if (type == 1) {
          // A reflection stands out above the backscatter where the event is listed.
          int peak = 0;
          for (int s = e; s < e + 3 && sp - 1 + s < blocks * kBlockWords; ++s)
            peak = std::max(peak, r[static_cast<std::size_t>(sp - 1 + s)]);
          EXPECT_GT(peak, db1 + 40) << "event " << i + 1;
        }
      }
      // The last event is the fibre's end: reflective, and the floor lies beyond it.
      const std::size_t last = slot::kEventList + 4 * static_cast<std::size_t>(count - 1);
      EXPECT_EQ(r[last + 1], 1);
      const int end = r[last];
      const int fullEnd =
          rangeN <= 3 ? RangeSamples[static_cast<std::size_t>(rangeN)] : blocks * kBlockWords;
      EXPECT_LT(end, fullEnd);
      // Backscatter falls along the fibre, down to the noise floor after its end.
      const int first = r[slot::kEventList];
      const double head = meanLevel(r, sp, first / 4, first / 2);
      const double tail = meanLevel(r, sp, (r[last - 4] + end) / 2, end - 2);
      EXPECT_GT(head, tail);
      const int afterEnd = std::min(end + end / 10 + 20, blocks * kBlockWords - sp);
      if (afterEnd + 10 < blocks * kBlockWords - sp) {
        EXPECT_LT(meanLevel(r, sp, afterEnd, afterEnd + 10), 150);
      }
    }
  }
}

TEST(SimTracesTest, SameSettingsSameTrace) {
  const auto a = GenerateTrace({7, -1, -1});
  const auto b = GenerateTrace({7, -1, -1});
  const auto c = GenerateTrace({8, -1, -1});
  EXPECT_TRUE(a->words == b->words);
  EXPECT_FALSE(a->words == c->words);
}

TEST(SimTracesTest, ServedWords) {
  const SimInstrument inst = SimInstrument::generated(3, 2, false, 4);
  const TraceRecord& t1 = *inst.trace(1);
  const auto header = inst.servedWords(1, kHeaderBlockNo);
  EXPECT_EQ(header[slot::kRangeN - kHeaderStart], 4);
  EXPECT_EQ(header[slot::kDataNum - kHeaderStart], 2);  // the instrument's own count
  EXPECT_EQ(header[slot::kHaveTest - kHeaderStart], 0);
  EXPECT_EQ(header[slot::kEventCount - kHeaderStart], t1[slot::kEventCount]);
  const auto block2 = inst.servedWords(1, 2);
  for (std::size_t i = 0; i < kBlockWords; i += 397)
    EXPECT_EQ(block2[i], t1[kBlockWords + i] + 800);
  // No such trace: an empty header that still tells the count.
  const auto none = inst.servedWords(kCurrentTraceSelect, kHeaderBlockNo);
  EXPECT_EQ(none[slot::kDataNum - kHeaderStart], 2);
  EXPECT_EQ(none[slot::kRangeN - kHeaderStart], 0);
  EXPECT_EQ(std::accumulate(none.begin(), none.end(), 0), 2);

  const auto reply = inst.reply(1, kHeaderBlockNo, {0x55, 0x10});
  ASSERT_EQ(reply.size(), 2 + 1 + kBlockBytes);
  EXPECT_NE(reply[0], kSyncByte);  // junk never looks like a sync byte
  EXPECT_EQ(reply[2], kSyncByte);
  EXPECT_EQ(UnmaskWord(reply[3 + 2 * 2], reply[4 + 2 * 2]), 4);  // rangeN, high byte first
}

}  // namespace
}  // namespace tracelink::sim

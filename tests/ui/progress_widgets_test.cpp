// What the window's progress controls show for a transfer's progress, alone and over
// whole transfers.
#include "ui/progress_widgets.h"

#include <gtest/gtest.h>

#include "link/conversation.h"

namespace tracelink {
namespace {

using Bar = ProgressWidgets::Bar;
using Label = ProgressWidgets::Label;

TEST(ProgressWidgetsTest, Mapping) {
  struct Case {
    const char* name;
    TransferProgress progress;
    ProgressWidgets expected;
  };
  const auto receiving = ProgressPhase::Receiving;
  const auto idle = ProgressPhase::Idle;
  const Case cases[] = {
      {"before any transfer", {}, {{false, 1, 0}, {false, 1, 0}, {false, ""}, {false, ""}}},
      {"current trace, block 3 of 8",
       {receiving, false, false, 170, 4, 0, 0, 3, 8},
       {{true, 8, 3}, {false, 1, 0}, {false, "170/4"}, {false, "170"}}},
      {"stored trace 2 of 3, block 1 of 2",
       {receiving, true, true, 2, 3, 3, 1, 1, 2},
       {{true, 2, 1}, {true, 3, 1}, {true, "2/3"}, {true, "2"}}},
      {"between stored traces",
       {idle, true, true, 2, 3, 3, 2, 0, 2},
       {{false, 2, 0}, {true, 3, 2}, {true, "2/3"}, {false, "2"}}},
      {"a trace beyond the count, within a series",
       {receiving, true, false, 4, 3, 3, 3, 1, 1},
       {{true, 1, 1}, {true, 3, 3}, {true, "4/3"}, {false, "4"}}},
      {"counts out of range are held within the bar",
       {receiving, true, true, 1, 0, 0, 5, 1, 0},
       {{true, 1, 1}, {true, 1, 1}, {true, "1/0"}, {true, "1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(progressWidgets(c.progress), c.expected);
  }
}

std::vector<ProgressWidgets> shownDuring(std::uint8_t select, const FakeInstrument& inst) {
  Conversation conv(inst);
  conv.upload(select);
  std::vector<ProgressWidgets> shown;
  for (const TransferProgress& p : conv.progress) shown.push_back(progressWidgets(p));
  return shown;
}

// Every bar, over every transfer below, stays within 0..maximum.
void expectBarsInRange(const std::vector<ProgressWidgets>& shown) {
  for (const ProgressWidgets& w : shown) {
    for (const Bar& b : {w.progressBar1, w.progressBar2}) {
      EXPECT_GE(b.maximum, 1);
      EXPECT_GE(b.value, 0);
      EXPECT_LE(b.value, b.maximum);
    }
  }
}

TEST(ProgressWidgetsTest, ThreeStoredTraces) {
  FakeInstrument inst;
  for (int i = 1; i <= 3; ++i) inst.stored[i] = makeWireTrace(4, 3, false, i);
  const auto shown = shownDuring(kFirstStoredSelect, inst);
  std::vector<std::string> label3;
  std::vector<std::int32_t> bar2Values;
  for (const ProgressWidgets& w : shown) {
    if (w.label3.visible && (label3.empty() || label3.back() != w.label3.text))
      label3.push_back(w.label3.text);
    if (w.progressBar2.visible && (bar2Values.empty() || bar2Values.back() != w.progressBar2.value))
      bar2Values.push_back(w.progressBar2.value);
    if (w.progressBar2.visible) {
      EXPECT_EQ(w.progressBar2.maximum, 3);
    }
    if (w.progressBar1.visible) {
      EXPECT_EQ(w.progressBar1.maximum, 2);
    }
  }
  EXPECT_EQ(label3, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
  EXPECT_EQ(bar2Values, (std::vector<std::int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(shown.back(),
            (ProgressWidgets{{false, 2, 0}, {false, 3, 0}, {false, "3/3"}, {false, "3"}}));
  expectBarsInRange(shown);
}

TEST(ProgressWidgetsTest, CurrentTraceShowsOnlyTheBlockBar) {
  FakeInstrument inst;
  inst.current = makeWireTrace(6, 4, true, 0);
  const auto shown = shownDuring(kCurrentTraceSelect, inst);
  std::vector<std::int32_t> bar1Values;
  for (const ProgressWidgets& w : shown) {
    EXPECT_FALSE(w.progressBar2.visible || w.label3.visible || w.label5.visible);
    if (w.progressBar1.visible) bar1Values.push_back(w.progressBar1.value);
  }
  EXPECT_EQ(bar1Values, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(shown.back().label3.text, "170/4");
  expectBarsInRange(shown);
}

TEST(ProgressWidgetsTest, SixtyStoredReachFiftyOfSixty) {
  FakeInstrument inst;
  for (int i = 1; i <= 60; ++i) inst.stored[i] = makeWireTrace(0, 60, false, i);
  const auto shown = shownDuring(kFirstStoredSelect, inst);
  const ProgressWidgets& last = shown[shown.size() - 2];
  EXPECT_TRUE(last.progressBar2.visible);
  EXPECT_EQ(last.progressBar2.maximum, 60);
  EXPECT_EQ(last.progressBar2.value, 50);
  EXPECT_EQ(last.label3.text, "50/50");
  EXPECT_FALSE(shown.back().progressBar2.visible);
  expectBarsInRange(shown);
}

// A junk header claiming 971 traces: the label names the 50 that can be fetched.
TEST(ProgressWidgetsTest, ClaimedCountAboveTheLimit) {
  FakeInstrument inst;
  for (int i = 1; i <= 2; ++i) inst.stored[i] = makeWireTrace(0, 971, false, i);
  const auto shown = shownDuring(kFirstStoredSelect, inst);
  std::vector<std::string> label3;
  for (const ProgressWidgets& w : shown)
    if (w.label3.visible && (label3.empty() || label3.back() != w.label3.text))
      label3.push_back(w.label3.text);
  EXPECT_EQ(label3, (std::vector<std::string>{"1/50", "2/50"}));
  expectBarsInRange(shown);
}

// A header with no block count on a fresh start: the block bar is never shown.
TEST(ProgressWidgetsTest, UnknownBlockCountShowsNoBar) {
  FakeInstrument inst;
  for (int i = 1; i <= 2; ++i) inst.stored[i] = makeWireTrace(9, 2, false, i);
  const auto shown = shownDuring(kFirstStoredSelect, inst);
  ASSERT_FALSE(shown.empty());
  for (const ProgressWidgets& w : shown) EXPECT_FALSE(w.progressBar1.visible);
  expectBarsInRange(shown);
}

}  // namespace
}  // namespace tracelink

#include "session/view_window.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <cstdint>

#include "record/units.h"

namespace tracelink {
namespace {

ViewWindow window(std::int32_t start, std::int32_t end, std::int32_t fullEnd = 0) {
  ViewWindow v;
  v.ViewStart = start;
  v.ViewEnd = end;
  v.FullRangeStart = 0;
  v.FullRangeEnd = fullEnd;
  return v;
}

TEST(ScaleText, ATenthOfTheWindowInMetres) {
  struct Case {
    const char* what;
    ViewWindow view;
    double ior;
    std::int32_t step;
  };
  const Case cases[] = {
      {"start-up window", window(0, 10000), kIor, 1021},
      {"short range", window(0, 4000), kIor, 408},
      {"zoomed, away from 0", window(1000, 2000), kIor, 102},
      {"an index that is no number is the standard one", window(0, 10000), std::nan(""), 1021},
      {"a negative index too", window(0, 10000), -2, 1021},
      {"one sample is a metre, never a step of 0", window(5, 6), kIor, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(distanceGridStep(c.view, c.ior), c.step) << c.what;
  EXPECT_EQ(scaleText(distanceGridStep(window(0, 10000), kIor)), "1021m/div     2dB/div");
  EXPECT_EQ(scaleText(1), "1m/div     2dB/div");
}

TEST(ViewWindowGuard, RepairsOnlyEmptyOrReversedWindows) {
  ViewWindow empty = window(0, 0);  // a header with an unknown range index
  EXPECT_TRUE(repairWindow(empty));
  EXPECT_EQ(empty.ViewStart, 0);
  EXPECT_EQ(empty.ViewEnd, kStartupViewEnd);
  ViewWindow reversed = window(500, 100);
  EXPECT_TRUE(repairWindow(reversed));
  EXPECT_GT(reversed.ViewEnd, reversed.ViewStart);
  ViewWindow fine = window(10, 20);
  EXPECT_FALSE(repairWindow(fine));
  EXPECT_EQ(fine.ViewEnd, 20);
  ViewWindow top = window(INT32_MAX, INT32_MAX);
  EXPECT_TRUE(repairWindow(top));
  EXPECT_GT(top.ViewEnd, top.ViewStart);
}

TEST(Pan, StepIsATenthCutToTens) {
  struct Case {
    std::int32_t width, step;
  };
  const Case cases[] = {{94, 0}, {95, 10}, {150, 10}, {1000, 100}, {10000, 1000}, {1050, 100}};
  for (const Case& c : cases) EXPECT_EQ(panStep(window(0, c.width)), c.step) << c.width;
}

TEST(Pan, MovesAndClamps) {
  struct Case {
    const char* what;
    ViewWindow before;
    bool towardStart;
    std::int32_t start, end;
  };
  const Case cases[] = {
      {"start clamps at 0, window widens", window(50, 1050, 48000), true, 0, 1050},
      {"already at 0", window(0, 1050, 48000), true, 0, 1050},
      {"plain pan toward start", window(2000, 3000, 48000), true, 1900, 2900},
      {"plain pan toward end", window(2000, 3000, 48000), false, 2100, 3100},
      {"end clamps, width kept", window(9000, 9950, 10000), false, 9050, 10000},
      {"at the end already", window(9000, 10000, 10000), false, 9000, 10000},
      {"step 0 does not move", window(100, 194, 10000), false, 100, 194},
  };
  for (const Case& c : cases) {
    ViewWindow v = c.before;
    EXPECT_TRUE(c.towardStart ? panTowardStart(v) : panTowardEnd(v)) << c.what;
    EXPECT_EQ(v.ViewStart, c.start) << c.what;
    EXPECT_EQ(v.ViewEnd, c.end) << c.what;
  }
}

TEST(Pan, FullViewRestoresTheRecord) {
  ViewWindow v = window(0, 48000, 48000);
  ASSERT_TRUE(zoomWindow(v, 1000, 2000, kIor).has_value());
  v = *zoomWindow(v, 1000, 2000, kIor);
  panTowardEnd(v);
  panTowardEnd(v);
  EXPECT_TRUE(fullView(v));
  EXPECT_EQ(v.ViewStart, 0);
  EXPECT_EQ(v.ViewEnd, 48000);
}

TEST(Pan, NothingMovesBeforeTheFirstRecord) {
  // At start the window is 0..10000 but the record range is still 0..0.
  for (int which = 0; which < 3; ++which) {
    ViewWindow v = window(0, 10000, 0);
    const bool moved = which == 0 ? fullView(v) : which == 1 ? panTowardStart(v) : panTowardEnd(v);
    EXPECT_FALSE(moved) << which;
    EXPECT_EQ(v.ViewStart, 0) << which;
    EXPECT_EQ(v.ViewEnd, 10000) << which;
  }
}

TEST(Zoom, HoldInsideAndRounding) {
  EXPECT_EQ(holdInside(-40.0, 100, 900), 100);
  EXPECT_EQ(holdInside(950.2, 100, 900), 900);
  EXPECT_EQ(holdInside(408.5, 0, 900), 408);  // halves to even
  EXPECT_EQ(holdInside(9.5, 0, 900), 10);
  EXPECT_EQ(holdInside(123.4, 0, 900), 123);
  EXPECT_EQ(cutToTens(238), 230);
  EXPECT_EQ(cutToTens(-17), -10);
}

TEST(Zoom, OnlyLeftToRightDragsWiderThan100Metres) {
  const ViewWindow v = window(0, 10000, 10000);
  struct Case {
    std::int32_t from, to;
    bool zooms;
    std::int32_t start, end;
  };
  const Case cases[] = {
      {123, 238, true, 117, 225},                             // 120 m .. 230 m
      {123, 229, false, 0, 0},                                // 120 .. 220: exactly 100 m
      {238, 123, false, 0, 0},                                // right to left
      {500, 500, false, 0, 0},    {0, 10213, true, 0, 9997},  // 10213 is cut to 10210
  };
  for (const Case& c : cases) {
    const auto z = zoomWindow(v, c.from, c.to, kIor);
    ASSERT_EQ(z.has_value(), c.zooms) << c.from << ".." << c.to;
    if (!z) continue;
    EXPECT_EQ(z->ViewStart, c.start) << c.from;
    EXPECT_EQ(z->ViewEnd, c.end) << c.from;
    EXPECT_EQ(z->FullRangeEnd, 10000);
  }
}

TEST(LevelZoom, RangesTheVerticalZoomRefusesAreNamed) {
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double bottom, top;
    LevelZoomFault fault;
  };
  const Case cases[] = {
      {0, 10, LevelZoomFault::None},          {-5.5, 2.25, LevelZoomFault::None},
      {1.23, 1.24, LevelZoomFault::None},  // a hundredth, as typed
      {-1000, 1000, LevelZoomFault::None},    {nan, 10, LevelZoomFault::NotANumber},
      {0, inf, LevelZoomFault::NotANumber},   {-1000.5, 0, LevelZoomFault::OutOfRange},
      {0, 1e300, LevelZoomFault::OutOfRange}, {10, 0, LevelZoomFault::Reversed},
      {3, 3, LevelZoomFault::Reversed},       {3, 3.004, LevelZoomFault::TooNarrow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bottom << " .. " << c.top);
    EXPECT_EQ(checkLevelZoom(c.bottom, c.top), c.fault);
    // A drag may go either way; the zoom is the same, and refused alike.
    const auto down = levelZoomBetween(c.bottom, c.top);
    const auto up = levelZoomBetween(c.top, c.bottom);
    EXPECT_EQ(down, up);
    if (c.fault == LevelZoomFault::None) {
      ASSERT_TRUE(down.has_value());
      EXPECT_EQ(down->bottomDb, c.bottom);
      EXPECT_EQ(down->topDb, c.top);
    } else if (c.fault != LevelZoomFault::Reversed) {
      EXPECT_FALSE(down.has_value());
    }
  }
}

}  // namespace
}  // namespace tracelink

namespace tracelink {
namespace {

TEST(ZoomAround, KeepsTheCentreInPlaceAndTheWindowInsideTheRange) {
  ViewWindow v;
  v.FullRangeStart = 0;
  v.FullRangeEnd = 10000;
  v.ViewStart = 2000;
  v.ViewEnd = 6000;
  const struct {
    double centre;
    double factor;
    std::int32_t start, end;
  } cases[] = {
      {4000, 0.5, 3000, 5000},    // in about the middle
      {2000, 0.5, 2000, 4000},    // in about the left edge, which stays
      {5000, 0.5, 3500, 5500},    // the centre keeps its fraction of the window
      {4000, 2, 0, 8000},         // out about the middle
      {5000, 2, 0, 8000},         // out past the start: pushed back inside
      {6000, 4, 0, 10000},        // out past the whole range: the full view
      {9999, 0.5, 4000, 6000},    // a centre outside the window counts as its edge
      {4000, 0.001, 3950, 4051},  // never narrower than the minimum
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.centre);
    const auto z = zoomAround(v, c.centre, c.factor, 100);
    ASSERT_TRUE(z.has_value());
    EXPECT_EQ(z->ViewStart, c.start);
    EXPECT_EQ(z->ViewEnd, c.end);
    EXPECT_EQ(z->FullRangeEnd, 10000);
  }
  // Nothing to zoom: no range, a bad factor, or a window that cannot change.
  ViewWindow none = v;
  none.FullRangeEnd = 0;
  EXPECT_FALSE(zoomAround(none, 4000, 0.5, 100));
  EXPECT_FALSE(zoomAround(v, 4000, 0, 100));
  EXPECT_FALSE(zoomAround(v, std::nan(""), 0.5, 100));
  ViewWindow full = v;
  full.ViewStart = 0;
  full.ViewEnd = 10000;
  EXPECT_FALSE(zoomAround(full, 5000, 2, 100));
}

}  // namespace
}  // namespace tracelink

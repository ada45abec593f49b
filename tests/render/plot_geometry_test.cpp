#include "render/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

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

std::vector<std::int32_t> lineXs(const std::vector<DistanceLine>& lines) {
  std::vector<std::int32_t> xs;
  for (const auto& l : lines) xs.push_back(l.x);
  return xs;
}

TEST(PlotFrame, StartUpWindow) {
  const PlotFrame f = computePlotFrame(window(0, 10000), kIor);
  EXPECT_EQ(f.viewStartM, 0);
  EXPECT_EQ(f.viewEndM, 10213);
  EXPECT_EQ(f.margin, 511);
  EXPECT_EQ(f.gridStep, 1021);
  EXPECT_DOUBLE_EQ(f.left, -511);
  EXPECT_DOUBLE_EQ(f.right, 10213);

  const auto lines = distanceLines(f);
  ASSERT_EQ(lines.size(), 11u);
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].x, 1021 * static_cast<int>(i));
  EXPECT_EQ(lines[0].label.text, "0");
  EXPECT_EQ(lines[9].label.text, "9189");
  EXPECT_EQ(lines[10].label.text, "(m)");
  EXPECT_DOUBLE_EQ(lines[9].label.x, 9189 - 10213 / 80.0);
  EXPECT_DOUBLE_EQ(lines[10].label.x, 10210 - 10213 / 40.0);
  for (const auto& l : lines) EXPECT_EQ(l.label.y, 0);
}

TEST(PlotFrame, DistanceGridOfFullRanges) {
  struct Case {
    std::int32_t start, end;
    std::int32_t viewStartM, viewEndM, step;
    std::size_t lines;
    std::int32_t metreLabelAt;  // -1: no "(m)" label
  };
  const Case cases[] = {
      {0, 4000, 0, 4085, 408, 11, 4080},
      {0, 12000, 0, 12256, 1226, 10, -1},
      // Zoomed: starts at 1021 m, lines carry absolute distances and never hit 10 s.
      {1000, 2000, 1021, 2043, 102, 11, -1},
  };
  for (const Case& c : cases) {
    const PlotFrame f = computePlotFrame(window(c.start, c.end), kIor);
    EXPECT_EQ(f.viewStartM, c.viewStartM) << c.end;
    EXPECT_EQ(f.viewEndM, c.viewEndM) << c.end;
    EXPECT_EQ(f.gridStep, c.step) << c.end;
    const auto lines = distanceLines(f);
    ASSERT_EQ(lines.size(), c.lines) << c.end;
    EXPECT_EQ(lines.front().x, c.viewStartM);
    EXPECT_EQ(lines.front().label.text, std::to_string(c.viewStartM));
    EXPECT_LE(lines.back().x, c.viewEndM);
    for (const auto& l : lines) {
      const bool metre = l.label.text == "(m)";
      EXPECT_EQ(metre, l.x == c.metreLabelAt) << c.end << " at " << l.x;
    }
  }
  EXPECT_EQ(lineXs(distanceLines(computePlotFrame(window(0, 12000), kIor))).back(), 11034);
}

TEST(PlotFrame, LevelLinesAndLabels) {
  const PlotFrame f = computePlotFrame(window(0, 10000), kIor);
  const auto lines = levelLines(f);
  ASSERT_EQ(lines.size(), 11u);
  const char* texts[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "(dB)", "10"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].y, 100 * static_cast<int>(i));
    EXPECT_EQ(lines[i].label.text, texts[i]);
    EXPECT_DOUBLE_EQ(lines[i].label.x, -511 + 511 / 4.0);
    EXPECT_EQ(lines[i].label.y, lines[i].y + 50);
  }
}

TEST(PlotFrame, PixelMapping) {
  const PlotFrame f = computePlotFrame(window(0, 10000), kIor);
  EXPECT_DOUBLE_EQ(f.column(f.left), 0);
  EXPECT_DOUBLE_EQ(f.column(f.right), kPlotWidth);  // just outside the last column
  EXPECT_DOUBLE_EQ(PlotFrame::row(1000), 0);
  EXPECT_DOUBLE_EQ(PlotFrame::row(-100), kPlotHeight);
  EXPECT_DOUBLE_EQ(PlotFrame::row(0), 1000.0 * 369 / 1100);
  EXPECT_NEAR(f.xAt(f.column(4321)), 4321, 1e-9);
  EXPECT_NEAR(PlotFrame::yAt(PlotFrame::row(345)), 345, 1e-9);
}

TEST(PlotFrame, NarrowOrOddWindowsStayDrawable) {
  // A one-sample window is one metre wide; the grid step never drops to 0.
  const PlotFrame one = computePlotFrame(window(5, 6), kIor);
  EXPECT_GT(one.right, one.left);
  EXPECT_GE(one.gridStep, 1);
  // An index that is no number falls back to the standard one.
  const PlotFrame nan = computePlotFrame(window(0, 10000), std::nan(""));
  EXPECT_EQ(nan.viewEndM, 10213);
  EXPECT_EQ(computePlotFrame(window(0, 10000), -2).viewEndM, 10213);
}

TEST(DrawnWindow, OnlyEmptyOrReversedWindowsAreWidened) {
  struct Case {
    const char* what;
    ViewWindow view;
    std::int32_t start, end;
  };
  const Case cases[] = {
      {"a header with an unknown range index", window(0, 0), 0, kDrawnWidthOfEmptyWindow},
      {"reversed", window(500, 100), 500, 500 + kDrawnWidthOfEmptyWindow},
      {"positive width is kept", window(10, 20), 10, 20},
      {"at the top of the range", window(INT32_MAX, INT32_MAX),
       INT32_MAX - kDrawnWidthOfEmptyWindow, INT32_MAX},
  };
  for (const Case& c : cases) {
    const ViewWindow drawn = drawnWindow(c.view);
    EXPECT_EQ(drawn.ViewStart, c.start) << c.what;
    EXPECT_EQ(drawn.ViewEnd, c.end) << c.what;
    EXPECT_EQ(drawn.FullRangeEnd, c.view.FullRangeEnd) << c.what;
  }
}

}  // namespace
}  // namespace tracelink

namespace tracelink {
namespace {

// The curve's fast distance must agree with SampleToMetres everywhere, halves included:
// with the index equal to the light speed every odd sample lies exactly on a half metre.
TEST(SampleMetres, AgreesWithSampleToMetres) {
  for (double ior : {kIor, kLightSpeed, kLightSpeed / 2.0, 1.5, 1.0}) {
    int wrong = 0;
    for (std::int64_t s = -100; s <= 60100; ++s)
      wrong += sampleMetres(s, ior, kLightSpeed / 2.0 / ior) !=
               SampleToMetres(static_cast<double>(s), ior);
    EXPECT_EQ(wrong, 0) << ior;
  }
  EXPECT_EQ(sampleMetres(3, kLightSpeed, 0.5), 2);  // 1.5 -> 2
  EXPECT_EQ(sampleMetres(5, kLightSpeed, 0.5), 2);  // 2.5 -> 2
  EXPECT_EQ(sampleMetres(48000, 1e-300, kLightSpeed / 2.0 / 1e-300), SampleToMetres(48000, 1e-300));
}

}  // namespace
}  // namespace tracelink

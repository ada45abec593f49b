#include "view/level_series_plot.h"

#include <gtest/gtest.h>

#include "view/plot_render.h"
#include "view/view_test_support.h"

namespace tracelink {
namespace {

TEST(LevelSeriesPlot, StepHoldsTheSpanInTenDivisions) {
  const struct {
    double span;
    double step;
  } cases[] = {{0, 1},  {9.99, 1},  {10, 1},   {10.01, 2},  {20, 2},      {20.5, 5},
               {50, 5}, {54.4, 10}, {100, 10}, {100.1, 20}, {655.35, 100}};
  for (const auto& c : cases) EXPECT_EQ(levelStep(c.span), c.step) << c.span;
}

TEST(LevelSeriesPlot, AtOurSpacingAndWithin10DbItIsOurOwnPlot) {
  test::ensureApp();
  TraceRecord record;
  test::fillTrace(record, 5, 12001);
  // The lowest sample sits on the bottom axis, as the series' lowest level does.
  std::int32_t lo = 1 << 30;
  for (int p = 0; p <= 12001; ++p) lo = std::min(lo, record[p]);
  for (int p = 0; p <= 12001; ++p) record[p] -= lo;
  record[slot::kRangeN] = 5;
  record[slot::kStartPoint] = 1;
  record[slot::kRangeLine] = 5000;
  HeaderState header;
  ViewWindow view;
  ApplyHeader(record, header, view);
  const QImage ours = renderPlotCanvas(record, header, view, kIor);

  Trace trace;
  trace.spacingM = kLightSpeed / 2 / kIor;
  // One more point than the view: our curve's last segment reaches one sample beyond.
  for (int s = 0; s <= 12001; ++s) trace.levels.push_back(record[s] * 10);
  const QImage theirs = renderTraceCanvas(trace, 0, 12000);
  ASSERT_EQ(theirs.size(), ours.size());
  int differing = 0;
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) differing += ours.pixel(x, y) != theirs.pixel(x, y);
  EXPECT_EQ(differing, 0);
}

TEST(LevelSeriesPlot, AWideSpanFillsTheLevelWindow) {
  test::ensureApp();
  Trace trace;
  trace.spacingM = 5.0947;
  for (int i = 0; i < 1000; ++i) trace.levels.push_back(-15000 - i * 50);  // -15 .. -64.95 dB
  // The distances count from the first point, wherever the trace's frame puts it.
  trace.originM = -1002.3;
  PlotFrame frame;
  double step = 0;
  const QImage canvas = renderTraceCanvas(trace, 0, 999, &frame, &step);
  EXPECT_EQ(step, 5);
  EXPECT_EQ(frame.viewStartM, 0);
  EXPECT_EQ(frame.viewEndM, nearest(999 * 5.0947));
  // The first point is 49.95 dB above the lowest: near the top of the window (y = 999).
  const int column = static_cast<int>(frame.column(0)) + 1;
  int topInk = -1;
  for (int y = 0; y < canvas.height() && topInk < 0; ++y)
    if (canvas.pixel(column, y) == kCanvasInk) topInk = y;
  EXPECT_NEAR(topInk, PlotFrame::row(999), 2);
  // The last point lies on the bottom axis.
  EXPECT_EQ(canvas.pixel(canvas.width() - 2, static_cast<int>(PlotFrame::row(0))), kCanvasInk);
}

}  // namespace
}  // namespace tracelink

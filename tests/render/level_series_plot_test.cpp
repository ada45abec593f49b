#include "render/level_series_plot.h"

#include <gtest/gtest.h>

#include <QLineF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <limits>
#include <random>
#include <vector>

#include "render/plot_render.h"
#include "render/render_test_support.h"

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
  test::ensureGuiApp();
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
  test::ensureGuiApp();
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

// A trace as instruments of any make store it: a falling level with noise, steps and
// reflections, stretches of one level (a quantised floor, a saturated front), and points
// packed a few to the metre or spread several metres apart.
Trace randomTrace(std::mt19937& rng, std::size_t points, double spacingM, double noiseMilliDb) {
  Trace t;
  t.spacingM = spacingM;
  t.levels.resize(points);
  std::normal_distribution<double> noise(0, noiseMilliDb);
  std::uniform_int_distribution<int> event(0, 40000);
  double level = -2000;
  std::int32_t floor = -40000 - static_cast<std::int32_t>(rng() % 20000);
  for (std::size_t i = 0; i < points; ++i) {
    level -= 0.02;
    const int e = event(rng);
    if (e == 0) level -= 500 + rng() % 3000;  // a splice or a connector
    std::int32_t v = static_cast<std::int32_t>(level + noise(rng));
    if (e == 1) v += 20000;            // a reflection
    if (rng() % 3000 == 0) floor = v;  // the floor jumps up to here
    // The floor flickers between two neighbouring levels: rows a fraction of a pixel apart.
    t.levels[i] = std::max(v, floor + static_cast<std::int32_t>(rng() & 1));
  }
  return t;
}

QImage blankSurface() {
  return makePlotSurface();
}

// The drawing the curve must reproduce: QPainter::drawLine for every segment, at the
// coordinates the scale gives.
QImage curveByPainter(const Trace& trace, const TraceCanvasScale& scale) {
  QImage img = blankSurface();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(QColor::fromRgb(kCanvasInk), 1));
  for (std::size_t i = scale.first; i < scale.end; ++i)
    p.drawLine(QLineF(scale.x(i), scale.y(trace, i), scale.x(i + 1), scale.y(trace, i + 1)));
  return img;
}

int differingPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// The curve of a big trace collects the segments that share a column; the union has to be
// exactly every segment drawn on its own, full view or any window of it.
TEST(LevelSeriesPlot, BigCurvesAreExactlyEverySegmentDrawn) {
  test::ensureGuiApp();
  std::mt19937 rng(20261209);
  struct Case {
    std::size_t points;
    double spacingM;
    double noiseMilliDb;
    bool window;  // a random window instead of the full view
  };
  std::vector<Case> cases = {{1000000, 0.0816, 30, false},
                             {1000000, 0.0204, 300, false},
                             {2000000, 0.02, 5, false},
                             {1000000, 1.0, 3000, false},
                             {1000000, 0.05, 0.4, true}};
  std::uniform_real_distribution<double> spacing(0.005, 6);
  for (int k = 0; k < 12; ++k)
    cases.push_back({20000 + rng() % 200000, spacing(rng), k % 2 ? 50.0 : 2000.0, k % 3 == 0});
  for (const Case& c : cases) {
    const Trace trace = randomTrace(rng, c.points, c.spacingM, c.noiseMilliDb);
    std::size_t first = 0;
    std::size_t last = c.points - 1;
    if (c.window) {
      first = rng() % (c.points / 2);
      last = first + 2 + rng() % (c.points - first - 2);
    }
    const TraceCanvasScale scale = traceCanvasScale(trace, first, last);
    ASSERT_TRUE(scale.curve);
    QImage ours = blankSurface();
    drawTraceCurve(ours, trace, scale);
    const QImage painter = curveByPainter(trace, scale);
    EXPECT_GT(test::countPixels(ours, kCanvasInk, 0, 0, ours.width() - 1, ours.height() - 1), 700);
    EXPECT_EQ(differingPixels(ours, painter), 0)
        << c.points << " points at " << c.spacingM << " m, points " << first << ".." << last;
  }
}

// Spacings that put the points right next to the halves where a metre rounds to the
// next: the metre each point falls on is the one sampleMetres gives it.
TEST(LevelSeriesPlot, PointsNextToAHalfMetreKeepTheirMetre) {
  test::ensureGuiApp();
  std::mt19937 rng(3);
  for (const double spacing : {0.1, 0.125, 0.25, 0.5, 1.0 / 3, 0.2 + 1e-7, 0.5 - 1e-9}) {
    const Trace trace = randomTrace(rng, 300000, spacing, 400);
    const TraceCanvasScale scale = traceCanvasScale(trace, 0, trace.size() - 1);
    QImage ours = blankSurface();
    drawTraceCurve(ours, trace, scale);
    EXPECT_EQ(differingPixels(ours, curveByPainter(trace, scale)), 0) << spacing;
  }
}

// The canvas keeps what it drew before: the grid, and the curve of the trace it shows.
TEST(LevelSeriesPlot, IntoAnImageIsTheNewImage) {
  test::ensureGuiApp();
  std::mt19937 rng(11);
  const Trace trace = randomTrace(rng, 50000, 0.5, 100);
  QImage canvas = makePlotSurface();
  canvas.fill(0xff123456u);  // what the last redraw left
  PlotFrame frame;
  double step = 0;
  renderTraceCanvas(canvas, trace, 100, 40000, &frame, &step);
  PlotFrame frame2;
  double step2 = 0;
  EXPECT_EQ(canvas, renderTraceCanvas(trace, 100, 40000, &frame2, &step2));
  EXPECT_EQ(frame.viewEndM, frame2.viewEndM);
  EXPECT_EQ(step, step2);
}

// A scale made for another trace draws what it can, never outside either.
TEST(LevelSeriesPlot, AScaleOfAnotherTraceDoesNotReadPastTheLevels) {
  test::ensureGuiApp();
  std::mt19937 rng(5);
  const Trace big = randomTrace(rng, 100000, 0.1, 100);
  const Trace small = randomTrace(rng, 5000, 0.1, 100);
  QImage canvas = makePlotSurface();
  drawTraceCurve(canvas, small, traceCanvasScale(big, 0, big.size() - 1));
  EXPECT_EQ(canvas, makePlotSurface());
  Trace shifted = big;
  for (std::int32_t& v : shifted.levels) v -= 70000;  // outside the scale's table
  const TraceCanvasScale scale = traceCanvasScale(big, 0, big.size() - 1);
  drawTraceCurve(canvas, shifted, scale);
  EXPECT_EQ(differingPixels(canvas, curveByPainter(shifted, scale)), 0);
}

// Spacings no instrument stores (a damaged file, a trace made elsewhere) still give a plot
// surface that holds only its own colours, and the curve that the scale says.
TEST(LevelSeriesPlot, AnySpacingGivesAPlotOfItsOwnColours) {
  test::ensureGuiApp();
  std::mt19937 rng(17);
  Trace trace = randomTrace(rng, 20000, 1, 300);
  for (const double spacing :
       {1e-310, 1e-12, 2e-6, 1e5, 1e300, 0.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity()}) {
    trace.spacingM = spacing;
    const QImage canvas = renderTraceCanvas(trace, 0, trace.size() - 1);
    ASSERT_EQ(canvas.size(), makePlotSurface().size()) << spacing;
    int foreign = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) {
        const QRgb c = canvas.pixel(x, y);
        foreign += c != kCanvasBackground && c != kCanvasInk && c != kGridColour;
      }
    EXPECT_EQ(foreign, 0) << spacing;
    const TraceCanvasScale scale = traceCanvasScale(trace, 0, trace.size() - 1);
    QImage curve = blankSurface();
    drawTraceCurve(curve, trace, scale);
    EXPECT_EQ(differingPixels(curve, curveByPainter(trace, scale)), 0) << spacing;
  }
}

}  // namespace
}  // namespace tracelink

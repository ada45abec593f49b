#include "render/plot_render.h"

#include <gtest/gtest.h>

#include <QLineF>
#include <QPainter>
#include <cmath>
#include <memory>

#include "render/render_test_support.h"

namespace tracelink {
namespace {

using test::countPixels;
using test::ensureGuiApp;
using test::fillTrace;

ViewWindow window(std::int32_t start, std::int32_t end, std::int32_t fullEnd = 48000) {
  ViewWindow v;
  v.ViewStart = start;
  v.ViewEnd = end;
  v.FullRangeEnd = fullEnd;
  return v;
}

HeaderState header(std::int32_t startPoint, std::int32_t rangeLine) {
  HeaderState h;
  h.StartPoint = startPoint;
  h.RangeLine = rangeLine;
  return h;
}

class PlotRender : public ::testing::Test {
 protected:
  void SetUp() override { ensureGuiApp(); }
  TraceRecord record;
};

TEST(CurveSpan, StartPointAndRecordBounds) {
  struct Case {
    const char* what;
    std::int32_t startPoint, rangeLine, viewStart, viewEnd;
    bool drawn;
    std::int32_t startPointAfter;
    std::int64_t first, last;
  };
  const Case cases[] = {
      {"start point 0 counts as 1", 0, 5, 0, 10000, true, 1, 0, 10000},
      {"nothing before a record", 0, 0, 0, 10000, false, 0, 0, 0},
      {"start point above range line", 300, 200, 0, 10000, false, 300, 0, 0},
      {"ends at the record's last word", 20000, 30000, 0, 48000, true, 20000, 0, 40099},
      {"largest start point that fits", 12099, 20000, 0, 48000, true, 12099, 0, 48000},
      {"longest full view: 48001 segments", 1, 2, 0, 48000, true, 1, 0, 48000},
      {"negative start point skips words before 0", -5, 10, 0, 100, true, -5, 6, 100},
      {"window beyond the record", 60000, 60001, 200, 300, false, 60000, 0, 0},
  };
  auto record = std::make_unique<TraceRecord>();
  for (const Case& c : cases) {
    // The start point is settled where the header is applied; the curve takes it as it is.
    (*record)[slot::kStartPoint] = c.startPoint;
    (*record)[slot::kRangeLine] = c.rangeLine;
    HeaderState h;
    ViewWindow applied;
    ApplyHeader(*record, h, applied);
    const auto span = prepareCurve(h, window(c.viewStart, c.viewEnd));
    EXPECT_EQ(h.StartPoint, c.startPointAfter) << c.what;
    ASSERT_EQ(span.has_value(), c.drawn) << c.what;
    if (!span) continue;
    EXPECT_EQ(span->first, c.first) << c.what;
    EXPECT_EQ(span->last, c.last) << c.what;
    // Every word a segment reads lies inside the record.
    EXPECT_GE(h.StartPoint - 1 + span->first, 0) << c.what;
    EXPECT_LE(h.StartPoint + span->last, kRecordWords - 1) << c.what;
  }
}

TEST_F(PlotRender, DistanceAndLevelLinesLandInTheirMappedPixels) {
  HeaderState h;  // no record: grid only
  PlotFrame f;
  const QImage canvas = renderPlotCanvas(record, h, window(0, 10000, 0), kIor, &f);
  ASSERT_EQ(canvas.size(), QSize(kPlotWidth, kPlotHeight));
  const QRgb grey = kGridColour;
  for (const DistanceLine& line : distanceLines(f)) {
    if (line.x == f.viewStartM) continue;  // under the axis
    const int c = static_cast<int>(std::floor(f.column(line.x)));
    SCOPED_TRACE(line.x);
    EXPECT_GT(countPixels(canvas, grey, c, 5, c, 330), 80);
    // Beside it only the crossing level lines are grey.
    EXPECT_LE(countPixels(canvas, grey, c - 1, 5, c - 1, 330), 11);
    EXPECT_LE(countPixels(canvas, grey, c + 1, 5, c + 1, 330), 11);
  }
  const int c0 = static_cast<int>(std::floor(f.column(f.viewStartM)));
  for (int y = 100; y <= 1000; y += 100) {
    const int r = static_cast<int>(std::floor(PlotFrame::row(y)));
    SCOPED_TRACE(y);
    EXPECT_GT(countPixels(canvas, grey, c0 + 2, r, kPlotWidth - 1, r), 150);
    EXPECT_LE(countPixels(canvas, grey, c0 + 2, r + 1, kPlotWidth - 1, r + 1), 11);
  }
  // The solid axes are black: the left one in the axis column, the bottom one in its row.
  const int axisRow = static_cast<int>(std::floor(PlotFrame::row(0)));
  EXPECT_EQ(countPixels(canvas, kCanvasInk, c0, 10, c0, axisRow), axisRow - 9);
  EXPECT_EQ(countPixels(canvas, kCanvasInk, c0, axisRow, kPlotWidth - 1, axisRow), kPlotWidth - c0);
}

TEST_F(PlotRender, ZeroLevelLiesOnTheBottomAxisAndHighValuesAreClipped) {
  HeaderState h = header(1, 100);
  for (int s = 4000; s <= 6000; ++s) record[static_cast<std::size_t>(s)] = 5000;
  PlotFrame f;
  const QImage canvas = renderPlotCanvas(record, h, window(0, 10000), kIor, &f);
  const int axisRow = static_cast<int>(std::floor(PlotFrame::row(0)));
  const int c0 = static_cast<int>(std::floor(f.column(f.viewStartM)));
  const int riseColumn = static_cast<int>(std::floor(f.column(SampleToMetres(4000))));
  const int fallColumn = static_cast<int>(std::floor(f.column(SampleToMetres(6000))));
  // Outside the raised part the curve is the axis row and nothing above it.
  EXPECT_EQ(countPixels(canvas, kCanvasInk, c0 + 1, 0, riseColumn - 2, axisRow - 1), 0);
  EXPECT_EQ(countPixels(canvas, kCanvasInk, fallColumn + 2, 0, kPlotWidth - 1, axisRow - 1), 0);
  EXPECT_EQ(countPixels(canvas, kCanvasInk, c0, axisRow, kPlotWidth - 1, axisRow), kPlotWidth - c0);
  // 5000 is far above the top edge: the flat part is clipped away, the edges run up to row 0.
  EXPECT_EQ(countPixels(canvas, kCanvasInk, riseColumn + 2, 0, fallColumn - 2, axisRow - 1), 0);
  EXPECT_GT(countPixels(canvas, kCanvasInk, riseColumn - 1, 0, riseColumn + 1, 0), 0);
  EXPECT_GT(countPixels(canvas, kCanvasInk, fallColumn - 1, 0, fallColumn + 1, 0), 0);
}

// Labels are ink like the axes and the curve: no smoothed glyph edges in between.
TEST_F(PlotRender, CanvasHoldsOnlyBackgroundGridAndInk) {
  HeaderState h = header(1, 100);
  fillTrace(record, 5, 4000);
  for (const ViewWindow& w : {window(0, 10000, 0), window(0, 4000, 4000), window(980, 1100)}) {
    const QImage canvas = renderPlotCanvas(record, h, w, kIor);
    int other = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) {
        const QRgb c = canvas.pixel(x, y);
        other += c != kCanvasBackground && c != kGridColour && c != kCanvasInk;
      }
    EXPECT_EQ(other, 0) << w.ViewStart << ".." << w.ViewEnd;
  }
}

TEST_F(PlotRender, PresentationIsACopyOrTheExactInverse) {
  HeaderState h = header(1, 100);
  fillTrace(record, 3, 48000);
  const QImage canvas = renderPlotCanvas(record, h, window(0, 48000), kIor);
  for (std::int16_t mode : {std::int16_t{1}, std::int16_t{2}, std::int16_t{0}, std::int16_t{7}}) {
    QImage visible = makePlotSurface();
    visible.fill(0xff123456u);
    presentPlot(canvas, visible, mode);
    int wrong = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) {
        const QRgb c = canvas.pixel(x, y);
        const QRgb expected = mode == 1 ? qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)) : c;
        wrong += visible.pixel(x, y) != expected;
      }
    EXPECT_EQ(wrong, 0) << "mode " << mode;
  }
}

// The fast curve must be the picture that one QPainter::drawLine per segment gives.
TEST_F(PlotRender, CurveIsIdenticalToSegmentBySegmentDrawing) {
  struct Case {
    const char* what;
    std::int32_t startPoint, viewStart, viewEnd, samples;
    double noise;
  };
  const Case cases[] = {
      {"longest full view", 1, 0, 48000, 48000, 6},
      {"start-up window", 1, 0, 10000, 10000, 6},
      {"zoomed to 100 samples", 1, 1000, 1100, 48000, 6},
      {"zoomed to 300 samples, wild values", 1, 20000, 20300, 48000, 300},
      {"curve ends at the record's end", 12100, 0, 48000, 48000, 6},
      {"start point 40", 40, 500, 8000, 12000, 30},
  };
  std::uint32_t seed = 11;
  for (const Case& c : cases) {
    record.clear();
    fillTrace(record, seed++, c.samples, c.startPoint);
    if (c.noise > 10) {
      std::mt19937 rng(seed);
      std::uniform_int_distribution<int> wild(-400, 1600);
      for (int s = 0; s < c.samples && c.startPoint - 1 + s < kRecordWords; ++s)
        record[static_cast<std::size_t>(c.startPoint - 1 + s)] = wild(rng);
    }
    HeaderState h = header(c.startPoint, c.startPoint + 1000);
    const ViewWindow v = window(c.viewStart, c.viewEnd);
    const PlotFrame f = computePlotFrame(v, kIor);

    QImage fast = makePlotSurface();
    drawTraceCurve(fast, f, record, h, v, kIor);

    QImage slow = makePlotSurface();
    const auto span = prepareCurve(h, v);
    ASSERT_TRUE(span.has_value()) << c.what;
    int segments = 0;
    {
      QPainter p(&slow);
      p.setPen(QPen(QColor::fromRgb(kCanvasInk), 1));
      forEachTraceSegment(f, record, h.StartPoint, *span, kIor,
                          [&](double x1, double y1, double x2, double y2) {
                            p.drawLine(QLineF(x1, y1, x2, y2));
                            ++segments;
                          });
    }
    EXPECT_GT(segments, 99) << c.what;
    EXPECT_GT(countPixels(fast, kCanvasInk, 0, 0, kPlotWidth - 1, kPlotHeight - 1), 500) << c.what;
    int differ = 0;
    for (int y = 0; y < kPlotHeight; ++y)
      for (int x = 0; x < kPlotWidth; ++x) differ += fast.pixel(x, y) != slow.pixel(x, y);
    EXPECT_EQ(differ, 0) << c.what;
  }
}

// Zoomed into a level range, the curve still is what QPainter draws segment by segment,
// rows far outside the picture included (they are clipped as the engine clips them), and
// the level lines lie on round levels inside the range.
TEST_F(PlotRender, ZoomedLevelsDrawTheCurveAsQPainterDoes) {
  std::mt19937 rng(2026);
  std::uniform_real_distribution<double> share(0.2, 0.8);
  std::uniform_real_distribution<double> span(0.01, 0.3);
  for (int round = 0; round < 6; ++round) {
    record.clear();
    fillTrace(record, 40 + round, 48000);
    const HeaderState h = header(1, 1000);
    const ViewWindow v = window(round * 4000, round * 4000 + 600 + round * 3000);
    // A narrow range about the level where the window starts: the noise alone takes the
    // curve above and below it.
    const double width = span(rng);
    const double lo = record[static_cast<std::size_t>(v.ViewStart)] / 100.0 - share(rng) * width;
    const LevelRange range{lo, lo + width};
    SCOPED_TRACE(testing::Message() << range.bottomDb << " .. " << range.topDb);
    PlotFrame zoomed;
    const QImage fast = renderPlotCanvas(record, h, v, kIor, &zoomed, &range);
    ASSERT_TRUE(zoomed.levelZoomed);
    // The frame puts the range's ends on the rows of the unzoomed 0 and 10 dB.
    EXPECT_NEAR(zoomed.levelRow(range.topDb * 100), PlotFrame::row(kPlotTop), 1e-9);
    EXPECT_NEAR(zoomed.levelRow(range.bottomDb * 100), PlotFrame::row(0), 1e-6);

    QImage slow = makePlotSurface();
    const LevelWindow levels = levelWindowOf(range, 0, kDbPerRecordLevel);
    const std::vector<LevelLine> lines = zoomedLevelLines(zoomed, levels, 0, kDbPerRecordLevel);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.size(), 11u);
    for (const LevelLine& line : lines) {
      EXPECT_GE(line.levelY, levels.bottom - 1e-6);
      EXPECT_LE(line.levelY, levels.top + 1e-6);
    }
    drawPlotGrid(slow, zoomed, lines);
    const auto curve = prepareCurve(h, v);
    ASSERT_TRUE(curve.has_value());
    int outside = 0;
    {
      QPainter p(&slow);
      p.setPen(QPen(QColor::fromRgb(kCanvasInk), 1));
      forEachTraceSegment(zoomed, record, h.StartPoint, *curve, kIor,
                          [&](double x1, double y1, double x2, double y2) {
                            outside += y1 < 0 || y1 >= kPlotHeight;
                            p.drawLine(QLineF(x1, y1, x2, y2));
                          });
    }
    int differ = 0;
    for (int y = 0; y < kPlotHeight; ++y)
      for (int x = 0; x < kPlotWidth; ++x) differ += fast.pixel(x, y) != slow.pixel(x, y);
    EXPECT_EQ(differ, 0);
    // Every round sends some of the curve off the picture, which is the case to prove.
    EXPECT_GT(outside, 0);
  }
}

TEST_F(PlotRender, EmptyWindowIsRepairedNotDrawn) {
  HeaderState h = header(1, 100);
  fillTrace(record, 5, 10000);
  PlotFrame f;
  const QImage canvas = renderPlotCanvas(record, h, window(0, 0, 0), kIor, &f);
  EXPECT_EQ(f.viewStartM, 0);
  EXPECT_EQ(f.viewEndM, 10213);
  EXPECT_GT(countPixels(canvas, kCanvasInk, 0, 0, kPlotWidth - 1, kPlotHeight - 1), 0);
}

}  // namespace
}  // namespace tracelink

#include "view/marker_overlay.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <set>

#include "measure/measure.h"
#include "measure/measure_text.h"
#include "trace/trace_from_record.h"
#include "view/plot_render.h"
#include "view/trace_view.h"
#include "view/view_test_support.h"

namespace tracelink {
namespace {

using test::ensureApp;
using test::fillTrace;
using test::putRecord;

constexpr QRgb kWhiteRgb = 0xffffffffu;
constexpr QRgb kBlackRgb = 0xff000000u;
constexpr QRgb kBlueRgb = 0xff0000ffu;

ViewWindow window(std::int32_t start, std::int32_t end) {
  ViewWindow v;
  v.ViewStart = start;
  v.ViewEnd = end;
  v.FullRangeStart = 0;
  v.FullRangeEnd = 48000;
  return v;
}

QImage painted(const PlotFrame& frame, std::int16_t mode, const MarkerOverlay& overlay,
               QRgb background) {
  QImage image = makePlotSurface();
  image.fill(background);
  QPainter p(&image);
  paintMarkerOverlay(p, frame, mode, overlay);
  return image;
}

// The columns holding `colour` anywhere in rows y0..y1.
std::set<int> columnsWith(const QImage& img, QRgb colour, int y0, int y1) {
  std::set<int> cols;
  for (int y = y0; y <= y1; ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) == colour) cols.insert(x);
  return cols;
}

int pixelsNotOf(const QImage& img, QRgb background) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != background;
  return n;
}

class MarkerOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureApp(); }
};

TEST_F(MarkerOverlayTest, MarkersAreSolidLinesFromTheTopToTheAxisInTheirSchemesColours) {
  const PlotFrame frame = computePlotFrame(window(0, 48000), kIor);
  const int axisRow = static_cast<int>(PlotFrame::row(0));
  struct Case {
    std::int16_t mode;
    QRgb background;
    QRgb a;
    QRgb b;
  };
  const Case cases[] = {{kLightScheme, kWhiteRgb, qRgb(255, 0, 0), qRgb(0, 160, 0)},
                        {kDarkScheme, kBlackRgb, markerColour('A', kDarkScheme).rgb(),
                         markerColour('B', kDarkScheme).rgb()}};
  for (const Case& c : cases) {
    MarkerOverlay overlay;
    overlay.markerA = 10000;
    overlay.markerB = 30000;
    const QImage img = painted(frame, c.mode, overlay, c.background);
    // Below the letters each marker is one column, unbroken down to the bottom axis.
    for (const auto& [colour, m] : {std::pair{c.a, 10000.0}, std::pair{c.b, 30000.0}}) {
      const std::set<int> cols = columnsWith(img, colour, 25, axisRow - 1);
      ASSERT_EQ(cols.size(), 1u) << c.mode;
      const int x = *cols.begin();
      EXPECT_LT(std::abs(x + 0.5 - frame.column(m)), 1.0);
      for (int y = 0; y < axisRow; ++y) EXPECT_EQ(img.pixel(x, y), colour) << "row " << y;
      for (int y = axisRow + 2; y < img.height(); ++y) EXPECT_NE(img.pixel(x, y), colour);
      // The letter, in the same colour, right of the line at the top.
      int letter = 0;
      for (int y = 0; y < 20; ++y)
        for (int dx = 2; dx < 16; ++dx) letter += img.pixel(x + dx, y) == colour;
      EXPECT_GT(letter, 8) << c.mode;
    }
    // Nothing but the two colours: no smoothed edges.
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb px = img.pixel(x, y);
        ASSERT_TRUE(px == c.background || px == c.a || px == c.b) << x << "," << y;
      }
  }
  EXPECT_NE(markerColour('A', kDarkScheme), markerColour('A', kLightScheme));
  EXPECT_NE(markerColour('B', kDarkScheme), markerColour('B', kLightScheme));
}

TEST_F(MarkerOverlayTest, MarkersOutsideTheWindowAreNotDrawn) {
  const PlotFrame frame = computePlotFrame(window(10000, 20000), kIor);
  const std::pair<double, double> outside[] = {{frame.viewStartM - 1.0, frame.viewEndM + 1.0},
                                               {0.0, 49000.0}};
  for (const auto& [a, b] : outside) {
    MarkerOverlay overlay;
    overlay.markerA = a;
    overlay.markerB = b;
    EXPECT_EQ(pixelsNotOf(painted(frame, kLightScheme, overlay, kWhiteRgb), kWhiteRgb), 0) << a;
  }
  // At the right edge the letter moves left of its line, inside the plot.
  MarkerOverlay edge;
  edge.markerB = frame.viewEndM - 1.0;
  const QImage img = painted(frame, kLightScheme, edge, kWhiteRgb);
  const QRgb green = qRgb(0, 160, 0);
  int left = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = kPlotWidth - 20; x < kPlotWidth - 3; ++x) left += img.pixel(x, y) == green;
  EXPECT_GT(left, 8);
  // No markers, no events asked for: the picture stays exactly as it was.
  MarkerOverlay nothing;
  nothing.events = {{1, 15000}};
  EXPECT_EQ(pixelsNotOf(painted(frame, kDarkScheme, nothing, kBlackRgb), kBlackRgb), 0);
}

TEST_F(MarkerOverlayTest, EventsAreNumberedMarksOnTheBottomAxis) {
  const PlotFrame frame = computePlotFrame(window(0, 48000), kIor);
  DecodedValues decoded;
  decoded.EventCount = 3;
  decoded.EventDistance[1] = 11083;
  decoded.EventDistance[2] = 27007;
  decoded.EventDistance[3] = 60000;  // beyond the window
  MarkerOverlay overlay;
  overlay.showEvents = true;
  overlay.events = eventMarks(decoded);
  ASSERT_EQ(overlay.events.size(), 3u);
  EXPECT_EQ(overlay.events[1].number, 2);
  const QRgb orange = eventMarkColour(kLightScheme).rgb();
  const QImage img = painted(frame, kLightScheme, overlay, kWhiteRgb);
  const int axisRow = static_cast<int>(PlotFrame::row(0));
  // Everything lies in a band just above the axis, around the two events in the window.
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      if (img.pixel(x, y) == kWhiteRgb) continue;
      ASSERT_EQ(img.pixel(x, y), orange);
      EXPECT_GE(y, axisRow - 24);
      EXPECT_LE(y, axisRow + 1);
      const double near1 = std::abs(x - frame.column(11083));
      const double near2 = std::abs(x - frame.column(27007));
      EXPECT_LE(std::min(near1, near2), 16) << x;
    }
  // The triangle's apex column stands on the event, and its number above it.
  for (const double m : {11083.0, 27007.0}) {
    const int x = static_cast<int>(frame.column(m));
    EXPECT_EQ(img.pixel(x, axisRow - 3), orange) << m;
    int number = 0;
    for (int y = axisRow - 22; y < axisRow - 7; ++y)
      for (int dx = -6; dx <= 6; ++dx) number += img.pixel(x + dx, y) == orange;
    EXPECT_GT(number, 4) << m;
  }
  overlay.showEvents = false;
  EXPECT_EQ(pixelsNotOf(painted(frame, kLightScheme, overlay, kWhiteRgb), kWhiteRgb), 0);
}

// The view the markers will be drawn over, loaded with a trace.
class CrosshairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureApp();
    fillTrace(record, 5, 48000);
    record[slot::kRangeN] = 7;
    record[slot::kStartPoint] = 1;
    record[slot::kRangeLine] = 2000;
    view = std::make_unique<TraceView>(session);
    view->InitPlotSurfaces();
    putRecord(session, record);
  }

  std::unique_ptr<TraceRecord> recordStore = std::make_unique<TraceRecord>();
  TraceRecord& record = *recordStore;
  TraceSession session{Language::English, "."};
  std::unique_ptr<TraceView> view;
};

TEST_F(CrosshairTest, AMarkerStandsInTheCrosshairsColumnAndReadsItsLevel) {
  const Trace trace =
      TraceFromRecord(session.record(), session.header(), session.view(), session.decoded());
  const std::string sep = QLocale().decimalPoint().toStdString();
  auto* label4 = view->findChild<QLabel*>(QStringLiteral("Label4"));
  ASSERT_NE(label4, nullptr);
  for (const bool zoomed : {false, true}) {
    if (zoomed) {
      ASSERT_TRUE(session.zoomTo(1020, 3060));
    }
    const PlotFrame& frame = view->frame();
    for (const double frac : {0.013, 0.25, 0.5, 0.77, 0.996}) {
      const std::int32_t m = frame.viewStartM + static_cast<std::int32_t>(frac * frame.span);
      view->Picture2_MouseMove(static_cast<float>(m), 900);
      ASSERT_EQ(view->cursorM(), m);
      // The crosshair's vertical line is dashed: take the blue column above the level line.
      const std::set<int> blue = columnsWith(view->picture(), kBlueRgb, 0, 20);
      ASSERT_EQ(blue.size(), 1u) << m;
      MarkerOverlay overlay;
      overlay.markerA = m;
      const QImage img = painted(frame, kLightScheme, overlay, kWhiteRgb);
      EXPECT_EQ(columnsWith(img, qRgb(255, 0, 0), 40, 300), blue) << m;

      const Measured<MarkerLevel> level = levelAt(trace, m);
      ASSERT_TRUE(level) << m;
      EXPECT_EQ(label4->text().toStdString(),
                "X:" + std::to_string(m) + ", Y:" + FormatLevel(hundredthsOf(level->milliDb), sep));
    }
  }
}

}  // namespace
}  // namespace tracelink

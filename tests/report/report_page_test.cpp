#include "report/report_page.h"

#include <gtest/gtest.h>

#include <QFontDatabase>

#include "report/page_geometry.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

using test::inkBounds;

QImage compose(const ReportHeader& header, const ReportSources& sources,
               Language language = Language::English) {
  return ComposeReportPage(header, sources, language, ".");
}

TEST(ReportPage, CanvasIsThePageAtFifteenTwipsPerPixel) {
  const QImage page = compose(test::defaultHeader(), test::sourcesWith(test::eventsOf(0)));
  EXPECT_EQ(page.size(), QSize(753, 1241));
  EXPECT_EQ(page.pixel(752, 1240), qRgb(255, 255, 255));
  // 96 dots per inch: point sizes and the printed size both follow from it.
  EXPECT_NEAR(page.dotsPerMeterX() * 0.0254, 96.0, 0.05);
}

// Texts sit with their top-left at the point: ink starts just right of and below it, never
// left of or above it.
TEST(ReportPage, TextsStartAtTheirPointInPixels) {
  const QImage page = compose(test::defaultHeader(), test::sourcesWith(test::eventsOf(1)));
  struct Probe {
    const char* what;
    QPoint point;  // in pixels
    QRect area;    // where only this text has ink
  };
  const std::vector<Probe> probes{
      {"title", pageUnitToPixel(83, 5), QRect(300, 10, 300, 30)},
      {"operator", pageUnitToPixel(5, 13), QRect(0, 50, 180, 22)},
      {"time", pageUnitToPixel(115, 19), QRect(430, 75, 323, 22)},
      {"event row 1", pageUnitToPixel(5, 148), QRect(0, 617, 100, 20)},
  };
  for (const Probe& p : probes) {
    const QRect ink = inkBounds(page, p.area);
    ASSERT_FALSE(ink.isNull()) << p.what;
    EXPECT_GE(ink.left(), p.point.x()) << p.what;
    EXPECT_LE(ink.left(), p.point.x() + 3) << p.what;
    EXPECT_GE(ink.top(), p.point.y()) << p.what;
    EXPECT_LE(ink.top(), p.point.y() + 7) << p.what;
  }
  // The title is 16 points, the rest 12: capitals and digits only in both.
  const int titleHeight = inkBounds(page, QRect(300, 10, 300, 30)).height();
  const int waveHeight = inkBounds(page, QRect(430, 125, 323, 20)).height();
  EXPECT_GT(titleHeight, waveHeight);
}

TEST(ReportPage, RowsAppearOnlyForTheEventsHeld) {
  const QRect rowsArea(0, 617, 753, 1241 - 617);
  for (const int count : {0, 1, 2, 8, 30}) {
    const QImage page = compose(test::defaultHeader(), test::sourcesWith(test::eventsOf(count)));
    const QRect ink = inkBounds(page, rowsArea);
    if (count == 0) {
      EXPECT_TRUE(ink.isNull());
      continue;
    }
    const int shown = std::min(count, 8);
    const int lastRowTop = pageUnitToPixel(5, 148 + 6 * (shown - 1)).y();
    EXPECT_GE(ink.bottom(), lastRowTop) << count;
    EXPECT_LT(ink.bottom(), lastRowTop + 25) << count;
  }
}

TEST(ReportPage, RulesAreOnePixelBlackLinesAcrossThePage) {
  const QImage page = compose(test::defaultHeader(), test::sourcesWith(test::eventsOf(0)));
  for (const int unitY : {37, 43, 135, 141, 147}) {
    const QPoint left = pageUnitToPixel(5, unitY);
    const QPoint right = pageUnitToPixel(185, unitY);
    EXPECT_EQ(page.pixel(left.x() - 1, left.y()), qRgb(255, 255, 255)) << unitY;
    for (int x = left.x(); x <= right.x(); x += 7)
      ASSERT_EQ(page.pixel(x, left.y()), qRgb(0, 0, 0)) << unitY << " x " << x;
    EXPECT_EQ(page.pixel(right.x() + 1, left.y()), qRgb(255, 255, 255)) << unitY;
  }
}

TEST(ReportPage, PlotIsCopiedPixelForPixelAtItsOriginAndCutAtTheEdge) {
  // Wider than the page: the part past the right edge is lost.
  const QImage plot = test::stripedCanvas(800, 369);
  const QImage page = compose(test::defaultHeader(), test::sourcesWith(test::eventsOf(0), plot));
  EXPECT_EQ(page.pixel(5, 200), plot.pixel(0, 0));
  EXPECT_EQ(page.pixel(752, 200 + 40), plot.pixel(747, 40));
  EXPECT_EQ(page.pixel(4, 300), qRgb(255, 255, 255));
  EXPECT_EQ(page.pixel(400, 199), qRgb(255, 255, 255));
  EXPECT_EQ(page.pixel(400, 568), plot.pixel(395, 368));
  EXPECT_EQ(page.pixel(400, 569), qRgb(255, 255, 255));
  // The events list's top rule (y = 135 units, row 564) is drawn over the picture.
  EXPECT_EQ(page.pixel(400, pageUnitToPixel(5, 135).y()), qRgb(0, 0, 0));
  EXPECT_EQ(page.pixel(4 + 5, 400), plot.pixel(4, 200));
}

TEST(ReportPage, ChinesePageUsesAFaceWithChineseGlyphs) {
  const QString family = reportFontFamily(Language::Chinese);
  EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
      << family.toStdString();
  const QImage page =
      compose(test::defaultHeader(), test::sourcesWith(test::eventsOf(2, Language::Chinese)),
              Language::Chinese);
  // "OTDR测试报告" is wider than "OTDR" alone would be at 21 pixels.
  const QRect title = inkBounds(page, QRect(300, 10, 453, 30));
  EXPECT_GT(title.width(), 100);
}

}  // namespace
}  // namespace tracelink

#include "ui/trace_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "render/plot_render.h"
#include "ui/plot_test_support.h"

namespace tracelink {
namespace {

using test::countPixels;
using test::ensureApp;
using test::fillTrace;
using test::putRecord;

constexpr QRgb kBlueRgb = 0xff0000ffu;

class TraceViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureApp();
    view = std::make_unique<TraceView>(session);
    view->InitPlotSurfaces();
    view->show();
  }

  // A trace of 48000 samples (range index 7), 8000 (4) or 4000 (3) arrives whole; the
  // session applies its header and the view redraws on its own.
  void loadRecord(std::int32_t samples = 48000) {
    fillTrace(record, 9, samples);
    putHeader(samples == 48000 ? 7 : samples == 8000 ? 4 : 3, 1, 2000);
  }
  void putHeader(std::int32_t rangeN, std::int32_t startPoint, std::int32_t rangeLine) {
    record[slot::kRangeN] = rangeN;
    record[slot::kStartPoint] = startPoint;
    record[slot::kRangeLine] = rangeLine;
    putRecord(session, record);
  }
  const ViewWindow& window() const { return session.view(); }

  QLabel* label4() { return view->findChild<QLabel*>(QStringLiteral("Label4")); }
  int bluePixels(int x0, int y0, int x1, int y1) {
    return countPixels(view->picture(), kBlueRgb, x0, y0, x1, y1);
  }

  std::unique_ptr<TraceRecord> recordStore = std::make_unique<TraceRecord>();
  TraceRecord& record = *recordStore;
  TraceSession session{Language::English, "."};
  std::unique_ptr<TraceView> view;
};

TEST_F(TraceViewTest, ControlsSitWhereTheLayoutPutsThem) {
  EXPECT_EQ(view->objectName(), QStringLiteral("Picture2"));
  EXPECT_EQ(view->size(), QSize(723, 369));
  ASSERT_NE(label4(), nullptr);
  EXPECT_EQ(label4()->text(), QStringLiteral("X,Y"));
  EXPECT_EQ(label4()->geometry(), QRect(408, 8, 225, 17));
  EXPECT_EQ(label4()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
  const std::pair<const char*, QRect> buttons[] = {{"Picture5", QRect(640, 0, 23, 27)},
                                                   {"Picture6", QRect(664, 0, 23, 27)},
                                                   {"Picture4", QRect(688, 0, 23, 27)}};
  for (const auto& [name, rect] : buttons) {
    auto* w = view->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_EQ(w->geometry(), rect) << name;
  }
  EXPECT_EQ(view->backColourMode(), 1);
}

TEST_F(TraceViewTest, StartUpRedrawShowsTheEmptyGridDark) {
  view->RedrawPlot();
  EXPECT_EQ(session.scaleText(), "1021m/div     2dB/div");
  EXPECT_EQ(view->frame().viewEndM, 10213);
  EXPECT_EQ(session.header().StartPoint, 0);  // no curve, so the start point is left alone
  const int area = kPlotWidth * kPlotHeight;
  EXPECT_GT(countPixels(view->canvas(), kCanvasBackground, 0, 0, 722, 368), area / 2);
  EXPECT_GT(countPixels(view->picture(), 0xff000000u, 0, 0, 722, 368), area / 2);  // dark
}

TEST_F(TraceViewTest, ColourToggleSwitchesPresentationOnly) {
  loadRecord();
  const QImage canvasBefore = view->canvas();
  const QImage dark = view->picture();
  view->Command3_Click();
  EXPECT_EQ(view->backColourMode(), 2);
  EXPECT_EQ(label4()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(view->picture(), view->canvas());
  view->Command3_Click();
  EXPECT_EQ(view->backColourMode(), 1);
  EXPECT_EQ(label4()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
  EXPECT_EQ(view->picture(), dark);
  EXPECT_EQ(view->canvas(), canvasBefore);
}

TEST_F(TraceViewTest, ReadoutShowsDistanceAndLevel) {
  loadRecord();
  record[1000] = 1234;  // the sample under 1021 m
  putRecord(session, record);
  view->Picture2_MouseMove(1021.3f, 500.0f);
  EXPECT_EQ(view->cursorM(), 1021);
  EXPECT_EQ(label4()->text(), QStringLiteral("X:1021, Y:12.34"));
  record[1000] = 5;
  putRecord(session, record);
  view->Picture2_MouseMove(1020.0f, 500.0f);
  view->Picture2_MouseMove(1021.0f, 500.0f);
  EXPECT_EQ(label4()->text(), QStringLiteral("X:1021, Y:0.05"));
  // Same whole metre: nothing is redrawn or read again.
  record[1000] = 0;
  putRecord(session, record);
  view->Picture2_MouseMove(1020.6f, 700.0f);
  EXPECT_EQ(label4()->text(), QStringLiteral("X:1021, Y:0.05"));
}

TEST_F(TraceViewTest, MovesOutsideThePlotAreaChangeNothing) {
  loadRecord();
  view->Picture2_MouseMove(2000.0f, 500.0f);
  const QString text = label4()->text();
  const QImage shown = view->picture();
  const PlotFrame& f = view->frame();
  const float outside[][2] = {{3000.0f, 0.0f},
                              {3000.0f, -50.0f},
                              {static_cast<float>(f.viewStartM), 500.0f},
                              {static_cast<float>(f.viewStartM) - 100.0f, 500.0f},
                              {static_cast<float>(f.viewEndM), 500.0f}};
  for (const auto& at : outside) {
    view->Picture2_MouseMove(at[0], at[1]);
    EXPECT_EQ(view->cursorM(), 2000);
    EXPECT_EQ(label4()->text(), text);
    EXPECT_EQ(view->picture(), shown);
  }
}

TEST_F(TraceViewTest, ReadoutOutsideTheRecordIsSkipped) {
  loadRecord();
  view->Picture2_MouseMove(2000.0f, 500.0f);
  const QString text = label4()->text();
  putHeader(7, 59000, 60000);  // the cursor's word now lies past the record's end
  view->Picture2_MouseMove(30000.0f, 500.0f);
  EXPECT_EQ(view->cursorM(), 30000);
  EXPECT_EQ(label4()->text(), text);
  // The vertical line is still drawn, in the cursor's column.
  const int c = static_cast<int>(std::floor(view->frame().column(30000)));
  EXPECT_GT(bluePixels(c, 0, c, 300), 50);
}

TEST_F(TraceViewTest, OverlaysStayOffTheCanvasAndPresentErasesThem) {
  loadRecord();
  const QImage canvasBefore = view->canvas();
  QTest::mouseMove(view.get(), QPoint(300, 150));
  ASSERT_TRUE(label4()->text().startsWith(QStringLiteral("X:")));
  EXPECT_GT(bluePixels(0, 0, kPlotWidth - 1, kPlotHeight - 1), 100);
  EXPECT_EQ(countPixels(view->canvas(), kBlueRgb, 0, 0, kPlotWidth - 1, kPlotHeight - 1), 0);
  EXPECT_EQ(view->canvas(), canvasBefore);
  view->PresentPlot();
  EXPECT_EQ(bluePixels(0, 0, kPlotWidth - 1, kPlotHeight - 1), 0);
}

TEST_F(TraceViewTest, VerticalOnlyMovesWhileDraggingKeepOldBandEdges) {
  loadRecord();
  std::fill_n(record.words.begin(), kHeaderStart, 0);  // crosshair level on the bottom axis
  putRecord(session, record);
  // The band's horizontal edges lie on the rows of the whole plot units under the pointer.
  const auto bandRow = [](int py) {
    return static_cast<int>(std::floor(PlotFrame::row(std::lround(PlotFrame::yAt(py)))));
  };
  const int row100 = bandRow(100);
  const int row200 = bandRow(200);
  QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 50));
  QTest::mouseMove(view.get(), QPoint(300, 100));
  EXPECT_GT(bluePixels(150, row100, 250, row100), 20);
  QTest::mouseMove(view.get(), QPoint(300, 200));       // same whole metre: no present
  EXPECT_GT(bluePixels(150, row100, 250, row100), 20);  // the old bottom edge is still there
  EXPECT_GT(bluePixels(150, row200, 250, row200), 20);
  QTest::mouseMove(view.get(), QPoint(320, 200));  // x changes: the plot is presented again
  EXPECT_EQ(bluePixels(150, row100, 250, row100), 0);
  EXPECT_GT(bluePixels(150, row200, 250, row200), 20);
  EXPECT_TRUE(view->dragging());
  QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(320, 200));
  EXPECT_FALSE(view->dragging());
}

TEST_F(TraceViewTest, DragWithTheMouseZooms) {
  loadRecord();
  const PlotFrame before = view->frame();
  const int fromPx = 200;
  const int toPx = 400;
  QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(fromPx, 150));
  QTest::mouseMove(view.get(), QPoint(toPx, 180));
  QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(toPx, 180));
  const std::int32_t fromM = cutToTens(static_cast<std::int32_t>(std::lround(before.xAt(fromPx))));
  const std::int32_t toM = cutToTens(static_cast<std::int32_t>(std::lround(before.xAt(toPx))));
  EXPECT_NEAR(view->frame().viewStartM, fromM, 2);
  EXPECT_NEAR(view->frame().viewEndM, toM, 2);
  EXPECT_EQ(window().ViewStart, MetresToSample(fromM));
  EXPECT_EQ(window().ViewEnd, MetresToSample(toM));
  EXPECT_EQ(window().FullRangeEnd, 48000);
  // Right to left never zooms.
  const ViewWindow zoomed = window();
  QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(600, 150));
  QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(100, 150));
  EXPECT_EQ(window().ViewStart, zoomed.ViewStart);
  EXPECT_EQ(window().ViewEnd, zoomed.ViewEnd);
}

TEST_F(TraceViewTest, PressAndReleaseOutsideHoldTheWindowEdges) {
  loadRecord(4000);
  view->Picture2_MouseDown(-300.0f, 500.0f);  // in the label strip
  view->Picture2_MouseUp(9999.0f);            // beyond the right edge
  // 0 .. 4085 m cut to 0 .. 4080 m
  EXPECT_EQ(window().ViewStart, 0);
  EXPECT_EQ(window().ViewEnd, MetresToSample(4080));
}

TEST_F(TraceViewTest, ViewButtonsPanAndRestore) {
  loadRecord(8000);
  // 7150 .. 8120 m is samples 7001 .. 7951; a tenth of it, cut to tens, is 90 samples.
  ASSERT_TRUE(session.zoomTo(7150, 8120));
  ASSERT_EQ(window().ViewStart, 7001);
  ASSERT_EQ(window().ViewEnd, 7951);
  QTest::mouseClick(view->findChild<QWidget*>(QStringLiteral("Picture6")), Qt::LeftButton);
  EXPECT_EQ(window().ViewStart, 7050);  // 90 would pass the record's end: held there
  EXPECT_EQ(window().ViewEnd, 8000);
  QTest::mouseClick(view->findChild<QWidget*>(QStringLiteral("Picture5")), Qt::LeftButton);
  EXPECT_EQ(window().ViewStart, 6960);
  EXPECT_EQ(window().ViewEnd, 7910);
  EXPECT_EQ(view->frame().viewStartM, SampleToMetres(6960));
  QTest::mouseClick(view->findChild<QWidget*>(QStringLiteral("Picture4")), Qt::LeftButton);
  EXPECT_EQ(window().ViewStart, 0);
  EXPECT_EQ(window().ViewEnd, 8000);
  EXPECT_FALSE(view->dragging());  // a click on a button is not a press on the plot
}

TEST_F(TraceViewTest, ViewButtonsDoNothingBeforeTheFirstRecord) {
  view->RedrawPlot();
  QSignalSpy spy(&session, &TraceSession::viewChanged);
  view->Picture4_Click();
  view->Picture5_Click();
  view->Picture6_Click();
  EXPECT_EQ(window().ViewStart, 0);
  EXPECT_EQ(window().ViewEnd, 10000);
  EXPECT_EQ(spy.count(), 0);
}

TEST_F(TraceViewTest, HeaderWithUnknownRangeNeverReachesTheDrawingAsEmptyWindow) {
  // Range index 9: no block count, and none kept from before, so ApplyHeader alone leaves
  // ViewEnd at 0; the session repairs the window before anything draws it.
  putHeader(9, 1, 500);
  EXPECT_GT(window().ViewEnd, window().ViewStart);
  EXPECT_GT(view->frame().viewEndM, view->frame().viewStartM);
  EXPECT_EQ(view->frame().gridStep, 1021);
}

}  // namespace
}  // namespace tracelink

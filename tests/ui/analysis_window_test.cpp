// Our own event analysis in the window, in both languages: a trace that lists no events
// shows ours at once; F5 with thresholds changes the table and the instrument's comes back
// exactly; Show events marks the table shown; Event loss here without markers fits between
// the neighbouring events, and with markers warns when a fit span holds another event.
#include <gtest/gtest.h>

#include <QAction>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include "analysis/analysis.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "render/marker_overlay.h"
#include "trace/load_trace.h"
#include "ui/analysis_dialog.h"
#include "ui/main_window.h"
#include "ui/trace_view.h"
#include "ui/ui_strings.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

const QString kSor = QStringLiteral(TRACELINK_SOR_SAMPLES);
const QString kOtdr = QStringLiteral(TRACELINK_OTDR_SAMPLES);

Trace loadTrace(const QString& path) {
  Result<Trace> t = LoadTrace(path.toStdString());
  EXPECT_TRUE(t.ok()) << path.toStdString();
  return t.ok() ? *t : Trace{};
}

class AnalysisWindowTest : public ::testing::TestWithParam<Language> {
 protected:
  QTemporaryDir dir;
  Harness harness;
  const UiStrings& strings() const { return uiStrings(GetParam()); }

  std::unique_ptr<MainWindow> window() {
    auto w =
        std::make_unique<MainWindow>(GetParam(), harness.options(dir.filePath("save"), noPort));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }
  static QString text1(const MainWindow& w) {
    return w.findChild<QPlainTextEdit*>("Text1")->toPlainText();
  }
  static void trigger(MainWindow& w, const char* name) {
    QAction* action = w.plotMenu()->findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  }
  // The caption line our table starts with, for the thresholds used.
  QString caption(const analysis::Thresholds& t) const {
    return fillIn(strings().ownEventsCaption,
                  {QString::number(t.spliceDb, 'f', 3), QString::number(t.reflectanceDb, 'f', 1),
                   QString::number(t.endDb, 'f', 2)});
  }
  // Where the trace's distance m is drawn on the plot.
  static QPoint placeOf(const MainWindow& w, const Trace& trace, double m) {
    const double plotM = w.session().foreign() ? m - trace.originM : m;
    return {static_cast<int>(w.traceView()->frame().column(plotM)), 150};
  }
  static void pointAt(MainWindow& w, const Trace& trace, double m) {
    QTest::mouseMove(w.traceView(), placeOf(w, trace, m));
  }
  // "Event loss here" from the plot's menu opened at m.
  static void eventLossAt(MainWindow& w, const Trace& trace, double m) {
    QTest::mouseClick(w.traceView(), Qt::RightButton, {}, placeOf(w, trace, m));
    w.plotMenu()->hide();
    trigger(w, "EventLossHere");
  }
};

TEST_P(AnalysisWindowTest, ATraceWithoutEventsShowsOursAtOnceOthersKeepTheirTable) {
  auto w = window();
  w->openTraceFile(QDir(kSor).filePath("sample16.sor"));
  const Trace bare = loadTrace(QDir(kSor).filePath("sample16.sor"));
  ASSERT_TRUE(bare.events.empty());
  ASSERT_NE(w->ownEvents(), nullptr);
  const analysis::Analysis expected = analysis::analyse(bare);
  ASSERT_FALSE(expected.events.empty());
  const QStringList lines = text1(*w).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(expected.events.size() + 2));
  EXPECT_EQ(lines[0], caption(expected.thresholds));
  for (std::size_t i = 0; i < expected.events.size(); ++i)
    EXPECT_NEAR(lines[static_cast<qsizetype>(i + 2)].split('\t')[2].toDouble(),
                expected.events[i].distanceM, 0.005 + 1e-9);

  // A trace with its own events, another maker's or ours, keeps the instrument's table.
  for (const QString& path :
       {QDir(kSor).filePath("sample06.sor"), QDir(kOtdr).filePath("sample_04_range7.otdr")}) {
    w->openTraceFile(path);
    EXPECT_EQ(w->ownEvents(), nullptr);
    EXPECT_EQ(text1(*w), w->eventText().replace("\r\n", "\n"));
  }
}

TEST_P(AnalysisWindowTest, F5WithThresholdsChangesTheTableAndTheInstrumentsComesBackExactly) {
  auto w = window();
  for (const QString& path :
       {QDir(kSor).filePath("sample06.sor"), QDir(kOtdr).filePath("sample_04_range7.otdr")}) {
    SCOPED_TRACE(path.toStdString());
    w->openTraceFile(path);
    const Trace trace = w->session().trace();
    auto* box = w->findChild<QPlainTextEdit*>("Text1");
    const QString instrument = box->toPlainText();
    const qreal tabs = box->tabStopDistance();

    // F5 opens the dialog at the trace's own thresholds or ours.
    QTest::keyClick(w.get(), Qt::Key_F5);
    AnalysisDialog* dialog = w->analysisDialog();
    ASSERT_NE(dialog, nullptr);
    const analysis::Thresholds start = analysis::resolveThresholds(trace.acquisition, {});
    EXPECT_NEAR(dialog->findChild<QDoubleSpinBox*>("SpliceDb")->value(), start.spliceDb, 1e-9);
    EXPECT_NEAR(dialog->findChild<QDoubleSpinBox*>("EndDb")->value(), start.endDb, 1e-9);
    dialog->findChild<QDoubleSpinBox*>("SpliceDb")->setValue(0.02);
    dialog->findChild<QDoubleSpinBox*>("ReflectanceDb")->setValue(-70);
    dialog->findChild<QDoubleSpinBox*>("EndDb")->setValue(5);
    dialog->accept();
    ASSERT_NE(w->ownEvents(), nullptr);
    const analysis::Analysis fine = analysis::analyse(trace, {0.02, -70.0, 5.0});
    const QString fineText = box->toPlainText();
    EXPECT_TRUE(fineText.startsWith(caption(fine.thresholds) + '\n')) << fineText.toStdString();
    EXPECT_EQ(fineText.split('\n', Qt::SkipEmptyParts).size(),
              static_cast<qsizetype>(fine.events.size() + 2));

    // Coarser thresholds give another table.
    w->analyseWith({1.0, -30.0, 5.0});
    const analysis::Analysis coarse = analysis::analyse(trace, {1.0, -30.0, 5.0});
    ASSERT_NE(fine.events.size(), coarse.events.size());
    EXPECT_EQ(box->toPlainText().split('\n', Qt::SkipEmptyParts).size(),
              static_cast<qsizetype>(coarse.events.size() + 2));

    trigger(*w, "InstrumentEvents");
    EXPECT_EQ(w->ownEvents(), nullptr);
    EXPECT_EQ(box->toPlainText(), instrument);
    EXPECT_EQ(box->tabStopDistance(), tabs);
  }
}

TEST_P(AnalysisWindowTest, ShowEventsMarksTheTableShown) {
  auto w = window();
  w->openTraceFile(QDir(kOtdr).filePath("sample_04_range7.otdr"));
  TraceView* plot = w->traceView();
  const QImage plain = plot->picture();
  QTest::mouseMove(plot, QPoint(290, 140));
  QTest::mouseMove(plot, QPoint(300, 150));
  QTest::keyClick(w.get(), Qt::Key_E);
  ASSERT_TRUE(w->session().markers().showEvents);
  const QImage instrument = plot->picture();

  w->analyseWith({0.02, -70.0, 3.0});
  MarkerOverlay ours{std::nullopt, std::nullopt, true, {}};
  for (std::size_t i = 0; i < w->ownEvents()->events.size(); ++i)
    ours.events.push_back(
        {static_cast<std::int32_t>(i + 1),
         analysis::analyse(w->session().trace(), {0.02, -70.0, 3.0}).events[i].distanceM});
  QImage expected = plain;
  {
    QPainter p(&expected);
    paintMarkerOverlay(p, plot->frame(), plot->backColourMode(), ours);
  }
  EXPECT_EQ(plot->picture().convertToFormat(QImage::Format_RGB32),
            expected.convertToFormat(QImage::Format_RGB32));
  EXPECT_NE(plot->picture(), instrument);

  trigger(*w, "InstrumentEvents");
  EXPECT_EQ(plot->picture(), instrument);
}

TEST_P(AnalysisWindowTest, EventLossWithoutMarkersFitsBetweenTheNeighbouringEvents) {
  auto w = window();
  const QString path = QDir(kSor).filePath("sample06.sor");
  w->openTraceFile(path);
  const Trace trace = loadTrace(path);
  ASSERT_GE(trace.events.size(), 4u);
  const std::string sep = ".";
  const double d = deadZoneMetres(trace);
  const std::vector<KeyEvent>& e = trace.events;
  eventLossAt(*w, trace, e[2].distanceM);
  const Measured<EventLoss> expected =
      eventLoss(trace, e[1].distanceM + d, e[3].distanceM, e[2].distanceM);
  ASSERT_TRUE(expected.ok());
  EXPECT_EQ(w->statusText().toStdString(), eventLossText(*expected, GetParam(), sep));
  EXPECT_EQ(w->measurementsContent().eventLoss.toStdString(),
            eventLossText(*expected, GetParam(), sep));

  // The launch has no event before it: markers are needed there.
  eventLossAt(*w, trace, e[0].distanceM);
  EXPECT_EQ(w->statusText(), strings().eventLossNeedsMarkers);

  // With ours shown their neighbours give the spans, the previous one's end where our
  // analysis saw the trace return to backscatter when that is later.
  w->analyseWith({0.02, -70.0, 3.0});
  const std::vector<analysis::Event> ours = analysis::analyse(trace, {0.02, -70.0, 3.0}).events;
  ASSERT_GE(ours.size(), 3u);
  std::size_t k = 1;
  const auto room = [&ours](std::size_t i) {
    return std::min(ours[i].distanceM - ours[i - 1].distanceM,
                    ours[i + 1].distanceM - ours[i].distanceM);
  };
  for (std::size_t i = 2; i + 1 < ours.size(); ++i)
    if (room(i) > room(k)) k = i;
  eventLossAt(*w, trace, ours[k].distanceM);
  const Measured<EventLoss> ourSpans =
      eventLoss(trace, std::max(ours[k - 1].distanceM + d, ours[k - 1].deadZoneEndM),
                ours[k + 1].distanceM, ours[k].distanceM);
  EXPECT_EQ(w->statusText().toStdString(), ourSpans
                                               ? eventLossText(*ourSpans, GetParam(), sep)
                                               : describe(ourSpans.problem(), GetParam(), sep));
}

TEST_P(AnalysisWindowTest, MarkersWhoseFitHoldsAnotherEventWarn) {
  auto w = window();
  const QString path = QDir(kSor).filePath("sample06.sor");
  w->openTraceFile(path);
  const Trace trace = loadTrace(path);
  const std::vector<KeyEvent>& e = trace.events;
  ASSERT_EQ(e.size(), 4u);
  const QString warningStart = strings().fitHoldsEvent.section(QStringLiteral("{0}"), 0, 0);
  struct Case {
    double aM, bM;
    bool warns;
  };
  // sample06: launch, a splice at 55 m, the event at 3778 m, the end at 3822 m.
  const Case cases[] = {
      {(e[1].distanceM + e[2].distanceM) / 2, (e[2].distanceM + e[3].distanceM) / 2, false},
      {(e[0].distanceM + e[1].distanceM) / 2, (e[2].distanceM + e[3].distanceM) / 2, true},
      {(e[1].distanceM + e[2].distanceM) / 2, e[3].distanceM + 50, true},
  };
  for (const Case& c : cases) {
    pointAt(*w, trace, c.aM);
    QTest::keyClick(w.get(), Qt::Key_A);
    pointAt(*w, trace, c.bM);
    QTest::keyClick(w.get(), Qt::Key_B);
    eventLossAt(*w, trace, e[2].distanceM);
    const QString status = w->statusText();
    EXPECT_EQ(status.contains(warningStart), c.warns) << status.toStdString();
    const Markers& m = w->session().markers();
    const Measured<EventLoss> loss = eventLoss(trace, *m.a, *m.b, *m.event);
    ASSERT_TRUE(loss.ok());
    EXPECT_TRUE(status.endsWith(QString::fromStdString(eventLossText(*loss, GetParam(), "."))));
    QTest::keyClick(w.get(), Qt::Key_Escape);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, AnalysisWindowTest,
                         ::testing::Values(Language::English, Language::Chinese));

}  // namespace
}  // namespace tracelink::test

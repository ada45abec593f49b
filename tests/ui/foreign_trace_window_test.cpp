// Another maker's trace in the window, in both languages: the event box against the key
// events LoadTrace reads, the plot drawn as the command line draws SOR files, markers, the
// crosshair and event loss, zoom, the report's values, our own exports pixel for pixel as
// their .otdr files, bad input, and large files read on a worker.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>

#include "files/record_file.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "render/level_series_plot.h"
#include "report/printer_set_window.h"
#include "report/report_strings.h"
#include "sor/sor_io.h"
#include "sor/trace_sor.h"
#include "trace/load_trace.h"
#include "ui/main_window.h"
#include "ui/trace_view.h"
#include "ui/ui_strings.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

namespace fs = std::filesystem;

const QString kSor = QStringLiteral(TRACELINK_SOR_SAMPLES);
const QString kOtdr = QStringLiteral(TRACELINK_OTDR_SAMPLES);

Trace loadTrace(const QString& path) {
  Result<Trace> t = LoadTrace(path.toStdString());
  EXPECT_TRUE(t.ok()) << path.toStdString();
  return t.ok() ? *t : Trace{};
}

bool sameImage(const QImage& a, const QImage& b) {
  return a.size() == b.size() &&
         a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

class ForeignTraceTest : public ::testing::TestWithParam<Language> {
 protected:
  QTemporaryDir dir;
  Harness harness;
  Language language() const { return GetParam(); }
  const UiStrings& strings() const { return uiStrings(language()); }

  std::unique_ptr<MainWindow> window(std::uintmax_t backgroundBytes = 1024 * 1024) {
    MainWindowOptions o = harness.options(dir.filePath("save"), noPort);
    o.backgroundOpenBytes = backgroundBytes;
    auto w = std::make_unique<MainWindow>(language(), std::move(o));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }
  static QString text1(const MainWindow& w) {
    return w.findChild<QPlainTextEdit*>("Text1")->toPlainText();
  }
  static QString label1(const MainWindow& w) { return w.findChild<QLabel*>("Label1")->text(); }
  static QString text4(const MainWindow& w, int i) {
    return w.findChild<QLineEdit*>(QStringLiteral("Text4_%1").arg(i))->text();
  }
  // Our own export of an .otdr sample, as a file in the test's folder.
  QString exportOf(const QString& otdr) {
    Result<LoadedTrace> loaded = LoadTraceFile(otdr.toStdString());
    EXPECT_TRUE(loaded.ok());
    sor::SorExportOptions options;
    options.dateTime = 1700000000;
    const auto bytes = sor::WriteTraceAsSor(*loaded->record, loaded->header, loaded->view,
                                            loaded->blocks, options);
    EXPECT_TRUE(bytes.ok());
    const QString path = dir.filePath(QFileInfo(otdr).completeBaseName() + ".sor");
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<qint64>(bytes->size()));
    return path;
  }
};

TEST_P(ForeignTraceTest, EachSampleShowsTheKeyEventsLoadTraceReads) {
  auto w = window();
  const QStringList files = QDir(kSor).entryList({"*.sor"}, QDir::Files, QDir::Name);
  ASSERT_EQ(files.size(), 17);
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    const QString path = QDir(kSor).filePath(name);
    QSignalSpy opened(w.get(), &MainWindow::traceOpened);
    w->openTraceFile(path);
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(w->statusText(), fillIn(strings().loaded, {name}));
    const Trace trace = loadTrace(path);
    EXPECT_EQ(w->session().trace(), trace);

    // A file that lists no events shows ours in their place (analysis_window_test.cpp).
    ASSERT_EQ(w->ownEvents() != nullptr, trace.events.empty());
    const QStringList lines = text1(*w).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), trace.events.empty()
                                ? static_cast<qsizetype>(w->ownEvents()->events.size() + 2)
                                : static_cast<qsizetype>(trace.events.size() + 1));
    // Ours stand under a line that says whose they are.
    EXPECT_EQ(lines[trace.events.empty() ? 1 : 0].count('\t'), 5);
    for (std::size_t i = 0; i < trace.events.size(); ++i) {
      const QStringList f = lines[static_cast<qsizetype>(i + 1)].split('\t');
      ASSERT_EQ(f.size(), 6);
      const KeyEvent& e = trace.events[i];
      EXPECT_EQ(f[0].toInt(), static_cast<int>(i + 1));
      EXPECT_NEAR(f[2].toDouble(), e.distanceM, 0.005 + 1e-9);
      EXPECT_NEAR(f[3].toDouble(), e.spliceLossDb, 0.0005 + 1e-9);
      EXPECT_EQ(f[4].isEmpty(), !e.reflectanceDb.has_value());
      if (e.reflectanceDb) {
        EXPECT_NEAR(f[4].toDouble(), *e.reflectanceDb, 0.005 + 1e-9);
      }
    }
    // The info line names the wavelength and the group index the file states.
    EXPECT_TRUE(label1(*w).contains(QString::number(trace.acquisition.wavelengthNm)));
    // The scale text names the divisions the canvas was drawn with.
    EXPECT_TRUE(text4(*w, 5).endsWith(
        QStringLiteral("     %1dB/div").arg(std::llround(w->traceView()->canvasScale().stepDb))))
        << text4(*w, 5).toStdString();
    // The plot as `tracelink-cli plot` draws the file.
    EXPECT_TRUE(sameImage(w->traceView()->canvas(), renderTraceCanvas(trace, 0, trace.size() - 1)));
  }
}

TEST_P(ForeignTraceTest, OurExportOpensPixelForPixelAsItsOtdrFile) {
  for (const QString& name : QDir(kOtdr).entryList({"*.otdr"}, QDir::Files, QDir::Name)) {
    SCOPED_TRACE(name.toStdString());
    const QString otdr = QDir(kOtdr).filePath(name);
    const QString sor = exportOf(otdr);
    auto a = window();
    auto b = window();
    a->openTraceFile(otdr);
    // The second window shows another maker's trace first and comes back from it.
    b->openTraceFile(QDir(kSor).filePath("sample06.sor"));
    b->openTraceFile(sor);
    ASSERT_EQ(b->session().foreign(), nullptr);
    EXPECT_TRUE(sameImage(a->traceView()->canvas(), b->traceView()->canvas()));
    EXPECT_TRUE(sameImage(a->traceView()->picture(), b->traceView()->picture()));
    // Every control above the status line (which names each file).
    EXPECT_TRUE(sameImage(a->findChild<QWidget*>("Client")->grab().toImage(),
                          b->findChild<QWidget*>("Client")->grab().toImage()));
    EXPECT_EQ(text1(*a), text1(*b));
    EXPECT_EQ(label1(*a), label1(*b));
    for (int i : {0, 1, 3, 5}) EXPECT_EQ(text4(*a, i), text4(*b, i));
  }
}

TEST_P(ForeignTraceTest, MarkersCrosshairAndEventLossMeasureTheForeignTrace) {
  auto w = window();
  const QString path = QDir(kSor).filePath("sample06.sor");
  w->openTraceFile(path);
  const Trace trace = loadTrace(path);
  TraceView* plot = w->traceView();
  auto* label4 = plot->findChild<QLabel*>("Label4");

  // The crosshair reads the point under it, in the trace's own distances.
  QTest::mouseMove(plot, QPoint(150, 150));
  const std::int64_t a = plot->cursorPoint();
  ASSERT_GE(a, 0);
  const auto ai = static_cast<std::size_t>(a);
  EXPECT_EQ(label4->text(), QStringLiteral("X:%1, Y:%2")
                                .arg(trace.distanceOf(ai), 0, 'f', 2)
                                .arg(trace.levelDb(ai), 0, 'f', 3));
  QTest::keyClick(w.get(), Qt::Key_A);
  QTest::mouseMove(plot, QPoint(690, 150));
  const auto bi = static_cast<std::size_t>(plot->cursorPoint());
  ASSERT_GT(bi, ai);
  QTest::keyClick(w.get(), Qt::Key_B);
  ASSERT_TRUE(w->session().markers().a && w->session().markers().b);
  EXPECT_DOUBLE_EQ(*w->session().markers().a, trace.distanceOf(ai));
  const std::string sep = ".";
  const std::string readout =
      markerReadout(trace, trace.distanceOf(ai), trace.distanceOf(bi), language(), sep);
  EXPECT_EQ(w->statusText().toStdString(), readout);
  // The readout's A is the level the crosshair showed there.
  EXPECT_NE(readout.find(QString::number(trace.levelDb(ai), 'f', 2).toStdString()),
            std::string::npos);

  // Event loss at the splice near 3778 m, from the plot's menu at that place.
  const KeyEvent& splice = trace.events[2];
  const PlotFrame& f = plot->frame();
  const int px = static_cast<int>(f.column(splice.distanceM - trace.originM));
  QTest::mouseClick(plot, Qt::RightButton, {}, QPoint(px, 150));
  QAction* loss = w->plotMenu()->findChild<QAction*>("EventLossHere");
  ASSERT_NE(loss, nullptr);
  loss->trigger();
  w->plotMenu()->hide();
  ASSERT_TRUE(w->session().markers().event);
  const double at = *w->session().markers().event;
  EXPECT_NEAR(at, splice.distanceM, 2 * f.right / kPlotWidth + trace.spacingM);
  const Measured<EventLoss> measured =
      eventLoss(trace, trace.distanceOf(ai), trace.distanceOf(bi), at);
  const std::string lossText = measured ? eventLossText(*measured, language(), sep)
                                        : describe(measured.problem(), language(), sep);
  EXPECT_TRUE(w->statusText().endsWith(QString::fromStdString(lossText)))
      << w->statusText().toStdString();

  // "Show events" marks them on the picture only; E again takes them away.
  QTest::mouseMove(plot, QPoint(300, 150));
  QTest::keyClick(w.get(), Qt::Key_Escape);
  const QImage plain = plot->picture();
  QTest::keyClick(w.get(), Qt::Key_E);
  EXPECT_FALSE(sameImage(plot->picture(), plain));
  QTest::keyClick(w.get(), Qt::Key_E);
  QTest::mouseMove(plot, QPoint(300, 151));
  EXPECT_TRUE(sameImage(plot->picture(), plain));
}

TEST_P(ForeignTraceTest, DragZoomPansAndFullViewWorkInMetresAtTheTracesSpacing) {
  auto w = window();
  const QString path = QDir(kSor).filePath("sample01.sor");
  w->openTraceFile(path);
  const Trace trace = loadTrace(path);
  TraceView* plot = w->traceView();
  const QString fullScale = text4(*w, 5);
  const PlotFrame before = plot->frame();
  QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(200, 100));
  QTest::mouseMove(plot, QPoint(400, 200));
  QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(400, 200));
  const ViewWindow& v = w->session().view();
  // The drag's ends, cut to tens of metres, as points of the trace.
  const double from = cutToTens(nearest(before.xAt(200)));
  const double to = cutToTens(nearest(before.xAt(400)));
  EXPECT_NEAR(v.ViewStart * trace.spacingM, from, trace.spacingM);
  EXPECT_NEAR(v.ViewEnd * trace.spacingM, to, trace.spacingM);
  EXPECT_NE(text4(*w, 5), fullScale);
  EXPECT_TRUE(
      sameImage(plot->canvas(), renderTraceCanvas(trace, static_cast<std::size_t>(v.ViewStart),
                                                  static_cast<std::size_t>(v.ViewEnd))));
  const std::int32_t start = v.ViewStart;
  QTest::mouseClick(plot->findChild<QLabel*>("Picture6"), Qt::LeftButton);
  EXPECT_GT(w->session().view().ViewStart, start);
  QTest::mouseClick(plot->findChild<QLabel*>("Picture4"), Qt::LeftButton);
  EXPECT_EQ(w->session().view().ViewStart, 0);
  EXPECT_EQ(w->session().view().ViewEnd, static_cast<std::int32_t>(trace.size() - 1));
  EXPECT_EQ(text4(*w, 5), fullScale);
}

TEST_P(ForeignTraceTest, TheReportTakesTheTracesOwnValuesAndTheSettingsItsNames) {
  auto w = window();
  const QString path = QDir(kSor).filePath("sample06.sor");
  w->openTraceFile(path);
  const Trace trace = loadTrace(path);
  const ReportSources sources = w->reportSources();
  EXPECT_EQ(sources.text4_0.toDouble(), trace.acquisition.groupIndex);
  EXPECT_EQ(sources.text4_1, QString::number(trace.acquisition.pulseWidthsNs.front()) + "ns");
  EXPECT_EQ(sources.text4_5, text4(*w, 5));
  EXPECT_EQ(sources.traceName, "sample06.sor");
  EXPECT_TRUE(sameImage(sources.plotCanvas, w->traceView()->canvas()));
  const std::vector<EventRow> rows = eventRows(sources.decoded);
  ASSERT_EQ(rows.size(), trace.events.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].distance, std::lround(trace.events[i].distanceM));
    EXPECT_EQ(rows[i].db1 - rows[i].db2, std::lround(trace.events[i].spliceLossDb * 100));
  }
  // The page states the trace's own wavelength and no IL column, which its events lack.
  EXPECT_EQ(sources.wavelength, "1550nm");
  QStringList pageTexts;
  for (const PageItem& item :
       layoutReportPage(w->report()->header(), sources, language(), ".").items)
    if (const auto* t = std::get_if<PageText>(&item)) pageTexts << t->text;
  const QString wave = reportStrings(language()).page.wavelengthCaption + "1550nm";
  EXPECT_TRUE(pageTexts.contains(wave)) << pageTexts.join('|').toStdString();
  EXPECT_FALSE(pageTexts.contains(reportStrings(language()).page.wavelength));
  ReportSources withIl = sources;
  withIl.eventIl = true;
  EXPECT_EQ(layoutReportPage(w->report()->header(), withIl, language(), ".").items.size(),
            layoutReportPage(w->report()->header(), sources, language(), ".").items.size() +
                rows.size() - 1);
  // The settings window starts with the file's cable, fibre and operator; a field the file
  // leaves blank keeps its default.
  const ReportHeader defaults = defaultReportHeader(language(), QDateTime::currentDateTime());
  PrinterSetWindow* settings = w->report()->printerset();
  EXPECT_EQ(settings->findChild<QLineEdit*>("Text2")->text(), "C001");
  EXPECT_EQ(settings->findChild<QLineEdit*>("Text3")->text(), "009");
  EXPECT_EQ(settings->findChild<QLineEdit*>("Text5")->text(), defaults.operatorName);
  // The instrument's export refuses what is not its trace, and so does Save Cur.
  w->ExportSor();
  EXPECT_EQ(w->statusText(), strings().foreignNoExport);
}

TEST_P(ForeignTraceTest, BadInputSaysWhichFileAndWhyAndTheTraceStays) {
  const QString sample = QDir(kSor).filePath("sample01.sor");
  QFile in(sample);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const QByteArray bytes = in.readAll();
  const auto write = [&](const QString& name, const QByteArray& content) {
    QFile out(dir.filePath(name));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(content);
  };
  write("cut.sor", bytes.left(3000));
  write("empty.sor", {});
  write("words.otdr", "hello world\n");
  write("gone.sor", bytes);
  QDir(dir.path()).mkdir("folder.sor");
  const QStringList names = {"cut.sor", "empty.sor", "words.otdr", "gone.sor", "folder.sor"};
  auto w = window();
  w->openTraceFile(QDir(kSor).filePath("sample04.sor"));
  QFile::remove(dir.filePath("gone.sor"));  // removed after it was listed
  const QImage canvas = w->traceView()->canvas();
  const QString events = text1(*w);
  const QString info = label1(*w);
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    const QString path = dir.filePath(name);
    QSignalSpy finished(w.get(), &MainWindow::openFinished);
    w->openTraceFile(path);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.front().at(1).toBool());
    // One line: the load failure in the window's words, with the reader's reason, which
    // names the file.
    TraceSession reader(language(), ".");
    const Status read = reader.loadFile(path.toStdString());
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(w->statusText(), fillIn(strings().loadFailed,
                                      {QString::fromStdString(read.error().text(language()))}));
    EXPECT_TRUE(w->statusText().contains(name));
    EXPECT_FALSE(w->statusText().contains('\n'));
    EXPECT_TRUE(sameImage(w->traceView()->canvas(), canvas));
    EXPECT_EQ(text1(*w), events);
    EXPECT_EQ(label1(*w), info);
  }
}

// A file whose index and spacing put its points thousands of kilometres apart (or a few
// micrometres) is refused or drawn, never a fault; the trace on screen stays when refused.
TEST_P(ForeignTraceTest, AnAbsurdSpacingIsRefusedOrDrawnWithoutFault) {
  QFile in(QDir(kSor).filePath("sample06.sor"));
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const QByteArray bytes = in.readAll();
  const auto write = [&](const QString& name, std::uint32_t index, std::uint32_t spacing) {
    sor::SorResult<sor::SorFile> file =
        sor::ReadSor(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_TRUE(file.ok());
    sor::SorFile f = *file;
    f.fxdParams->groupIndex = index;
    f.fxdParams->dataSpacing.assign(f.fxdParams->dataSpacing.size(), spacing);
    const std::vector<std::uint8_t> out = sor::WriteSor(f);
    QFile o(dir.filePath(name));
    EXPECT_TRUE(o.open(QIODevice::WriteOnly));
    o.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()));
    return dir.filePath(name);
  };
  const QString far = write("far.sor", 1, 0xFFFFFFFFu);
  const QString near = write("near.sor", 0xFFFFFFFFu, 1);
  auto w = window();
  w->openTraceFile(QDir(kSor).filePath("sample04.sor"));
  const QString events = text1(*w);
  w->openTraceFile(far);
  EXPECT_TRUE(w->statusText().contains("far.sor"));
  EXPECT_TRUE(w->statusText().contains("10000 km"));
  EXPECT_EQ(text1(*w), events);
  w->openTraceFile(near);
  EXPECT_EQ(w->statusText(), fillIn(strings().loaded, {QString("near.sor")}));
  TraceView* plot = w->traceView();
  QTest::mouseMove(plot, QPoint(300, 150));
  QTest::keyClick(w.get(), Qt::Key_A);
  QTest::keyClick(w.get(), Qt::Key_Plus, Qt::ShiftModifier);
  QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(600, 200));
  EXPECT_FALSE(w->reportSources().plotCanvas.isNull());
}

TEST_P(ForeignTraceTest, ALargeFileIsReadOnAWorkerAndTheLaterOpenWins) {
  auto w = window(0);  // every file counts as large
  QSignalSpy finished(w.get(), &MainWindow::openFinished);
  const QString first = QDir(kSor).filePath("sample06.sor");
  const QString second = QDir(kSor).filePath("sample08.sor");
  w->openTraceFile(first);
  w->openTraceFile(second);
  ASSERT_TRUE(finished.wait());
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.front().at(0).toString(), second);
  EXPECT_TRUE(finished.front().at(1).toBool());
  EXPECT_EQ(w->session().trace(), loadTrace(second));
  EXPECT_EQ(w->statusText(), fillIn(strings().loaded, {QString("sample08.sor")}));
  EXPECT_FALSE(w->findChild<QProgressBar*>("OpenBusy")->isVisible());
  // A failure comes back the same way.
  w->openTraceFile(dir.filePath("missing.sor"));
  if (finished.count() < 2) {
    ASSERT_TRUE(finished.wait());
  }
  EXPECT_FALSE(finished.back().at(1).toBool());
  EXPECT_TRUE(w->statusText().contains("missing.sor"));
  EXPECT_EQ(w->session().trace(), loadTrace(second));
}

// The wheel and the view keys, on our trace and on another maker's, with the pointer over
// the plot; the drag, the pan buttons and full view are the original's.
TEST_P(ForeignTraceTest, WheelAndKeysZoomAboutThePointerAndPan) {
  for (const QString& path :
       {QDir(kOtdr).filePath("sample_04_range7.otdr"), QDir(kSor).filePath("sample01.sor")}) {
    SCOPED_TRACE(path.toStdString());
    auto w = window();
    w->openTraceFile(path);
    TraceView* plot = w->traceView();
    const ViewWindow full = w->session().view();
    const auto width = [&] { return w->session().view().ViewEnd - w->session().view().ViewStart; };
    const int fullWidth = width();
    const QPoint at(300, 150);
    // A move from elsewhere, so that the plot sees the pointer arrive whatever came before.
    QTest::mouseMove(plot, QPoint(40, 40));
    QTest::mouseMove(plot, at);
    ASSERT_TRUE(plot->pointerOver());
    const double under = plot->frame().xAt(at.x());
    const double metresPerPixel = plot->frame().right / kPlotWidth;
    QWheelEvent up(QPointF(at), plot->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &up);
    EXPECT_NEAR(width(), fullWidth / 2, 2);
    // The distance under the pointer stays under it.
    EXPECT_NEAR(plot->frame().xAt(at.x()), under, 2 * metresPerPixel + 2);
    QTest::keyClick(w.get(), Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_NEAR(width(), fullWidth / 4, 2);
    QTest::keyClick(w.get(), Qt::Key_Minus);
    EXPECT_NEAR(width(), fullWidth / 2, 2);
    const std::int32_t start = w->session().view().ViewStart;
    QTest::keyClick(w.get(), Qt::Key_Right);
    EXPECT_GT(w->session().view().ViewStart, start);
    QTest::keyClick(w.get(), Qt::Key_Left);
    QTest::keyClick(w.get(), Qt::Key_Left);
    EXPECT_LT(w->session().view().ViewStart, start);
    QTest::keyClick(w.get(), Qt::Key_Home);
    EXPECT_EQ(w->session().view().ViewStart, full.ViewStart);
    EXPECT_EQ(w->session().view().ViewEnd, full.ViewEnd);
    // Away from the plot the keys are the other controls' again.
    QTest::mouseMove(w->findChild<QWidget*>("List1"), QPoint(5, 5));
    QTest::keyClick(w.get(), Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(width(), fullWidth);
  }
}

// The session words the scale of a window as the canvas draws it.
TEST(ForeignTraceScale, TheSessionsDivisionIsThePlotsLevelStep) {
  for (double span = 0; span < 5000; span = span * 1.37 + 0.11) {
    SCOPED_TRACE(span);
    EXPECT_EQ(levelDivision(span), levelStep(span));
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, ForeignTraceTest,
                         ::testing::Values(Language::English, Language::Chinese),
                         [](const auto& info) {
                           return info.param == Language::English ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace tracelink::test

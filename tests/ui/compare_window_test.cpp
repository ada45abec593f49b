// The Compare window and the ways into it: traces chosen in the file list (a plain click
// still shows one), several from the Open dialog or dropped; markers and their losses,
// offsets, alignment at the crosshair; two directions and bends on synthetic fibres.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "analysis/synthetic_trace.h"
#include "compare/compare_strings.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "render/marker_overlay.h"
#include "render/overlay_plot.h"
#include "trace/trace_to_sor.h"
#include "ui/compare_dialogs.h"
#include "ui/compare_plot.h"
#include "ui/compare_window.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

constexpr Language kLanguages[] = {Language::English, Language::Chinese};

class SeveralFilesDialog : public OpenDialog {
 public:
  QStringList answer;
  QString askOpenPath(QWidget*, const QString&, const QString&, const QStringList&) override {
    return answer.value(0);
  }
  QStringList askOpenPaths(QWidget*, const QString&, const QString&, const QStringList&) override {
    return answer;
  }
};

void drop(QWidget& target, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &event);
}

void clickItem(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                    list->visualItemRect(list->item(row)).center());
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

void clickPlot(ComparePlot* plot, int x, Qt::MouseButton button) {
  const QPoint at(x, plot->height() / 2);
  mouse(plot, QEvent::MouseMove, at);
  mouse(plot, QEvent::MouseButtonPress, at, button);
  mouse(plot, QEvent::MouseButtonRelease, at, button);
}

// The text of a PDF file, as poppler reads it.
QString pdfText(const QString& path) {
  QProcess p;
  p.start("pdftotext", {path, "-"});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString cellText(QTableWidget* table, int row, int column) {
  const QTableWidgetItem* item = table->item(row, column);
  return item ? item->text() : QString();
}

class CompareWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  std::shared_ptr<SeveralFilesDialog> openDialog = std::make_shared<SeveralFilesDialog>();
  QString folder() const { return dir.filePath("save"); }

  std::unique_ptr<MainWindow> open(Language language) {
    MainWindowOptions options = harness.options(folder(), noPort);
    options.openDialog = openDialog;
    return std::make_unique<MainWindow>(language, std::move(options));
  }

  // The program's sample traces, copied into the save folder under these names.
  QStringList copySamples(const QStringList& names) {
    const QStringList samples = QDir(TRACELINK_OTDR_SAMPLES).entryList({"*.otdr"}, QDir::Files);
    QDir().mkpath(folder());
    QStringList paths;
    for (qsizetype i = 0; i < names.size(); ++i) {
      const QString to = QDir(folder()).filePath(names[i]);
      QFile::copy(QDir(TRACELINK_OTDR_SAMPLES).filePath(samples[i % samples.size()]), to);
      paths << to;
    }
    return paths;
  }
};

TEST_F(CompareWindowTest, ChosenInTheListWhileAPlainClickStillShowsOneTrace) {
  copySamples(
      {"a.otdr", "b.otdr", "c.otdr", "d.otdr", "e.otdr", "f.otdr", "g.otdr", "h.otdr", "i.otdr"});
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language);
    auto* list = w->findChild<QListWidget*>("List1");
    ASSERT_EQ(list->count(), 9 + int(language));

    // A plain click shows the trace clicked, as it always did, and selects only it.
    clickItem(list, 1);
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("b.otdr")}));
    clickItem(list, 3);
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("d.otdr")}));
    EXPECT_EQ(list->selectedItems().size(), 1);
    emit w->fileListMenu()->aboutToShow();
    EXPECT_FALSE(w->compareAction()->isEnabled());

    // Ctrl and Shift clicks choose without showing.
    clickItem(list, 0, Qt::ControlModifier);
    clickItem(list, 6, Qt::ControlModifier);
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("d.otdr")}));
    EXPECT_EQ(list->selectedItems().size(), 3);
    emit w->fileListMenu()->aboutToShow();
    ASSERT_TRUE(w->compareAction()->isEnabled());
    EXPECT_EQ(w->compareAction()->text(), s.compare);
    w->compareAction()->trigger();
    CompareWindow* compare = w->compareWindow();
    ASSERT_NE(compare, nullptr);
    QStringList names;
    for (const ComparedTrace& t : compare->traces()) names << t.name;
    EXPECT_EQ(names, (QStringList{"a.otdr", "d.otdr", "g.otdr"}));  // in the list's order
    EXPECT_EQ(compare->statusText(), fillIn(s.compareShown, {"3"}));

    // The overlay is shown in the main window's scheme and follows it; a pixel of the
    // picture is the canvas' own, inverted in the dark scheme.
    ComparePlot* plot = compare->plot();
    const auto shownAsDrawn = [plot] {
      const QRgb drawn = plot->exportImage().pixel(300, 200);
      return plot->picture().pixel(300, 200) == drawn;
    };
    const bool dark = plot->inverted();
    EXPECT_EQ(shownAsDrawn(), !dark);
    w->findChild<QPushButton*>("Command3")->click();
    EXPECT_EQ(plot->inverted(), !dark);
    EXPECT_EQ(shownAsDrawn(), dark);
    w->findChild<QPushButton*>("Command3")->click();
    EXPECT_EQ(plot->inverted(), dark);

    // A trace arriving in the folder keeps the choice.
    const QString arrived =
        QDir(folder()).filePath(QStringLiteral("new_%1.otdr").arg(int(language)));
    QFile::copy(QDir(folder()).filePath("a.otdr"), arrived);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->count() == 10 + int(language); }, 10000));
    EXPECT_EQ(list->selectedItems().size(), 3);
    EXPECT_EQ(list->currentItem()->text(), "g.otdr");

    // A plain click after choosing shows that one trace again.
    clickItem(list, 2);
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("c.otdr")}));
    EXPECT_EQ(list->selectedItems().size(), 1);

    // Nine chosen: refused, naming the count; the Compare window keeps its three.
    clickItem(list, 0);
    clickItem(list, 8, Qt::ShiftModifier);
    ASSERT_EQ(list->selectedItems().size(), 9);
    emit w->fileListMenu()->aboutToShow();
    w->compareAction()->trigger();
    EXPECT_EQ(w->statusText(), QString::fromStdString(compare::tooManyText(9, language)));
    EXPECT_EQ(w->compareWindow()->traces().size(), 3u);
  }
}

TEST_F(CompareWindowTest, SeveralFilesOpenedOrDroppedAreCompared) {
  const QStringList files = copySamples({"a.otdr", "b.otdr", "c.otdr"});
  const QString broken = QDir(folder()).filePath("broken.otdr");
  {
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("12 34 not a trace");
  }
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language);

    // One file from the Open dialog is shown as before.
    openDialog->answer = {files[0]};
    w->Open_Click();
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("a.otdr")}));
    EXPECT_EQ(w->compareWindow(), nullptr);

    // Several are compared; a file that does not load is named, the others stay.
    openDialog->answer = {files[1], broken, files[2]};
    w->Open_Click();
    ASSERT_NE(w->compareWindow(), nullptr);
    EXPECT_EQ(w->compareWindow()->traces().size(), 2u);
    EXPECT_TRUE(w->compareWindow()->statusText().contains("broken.otdr"))
        << w->compareWindow()->statusText().toStdString();
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("a.otdr")}));

    // None that loads: the window says so and its plot takes the mouse and keys as ever.
    openDialog->answer = {broken, QDir(folder()).filePath("gone.otdr")};
    w->Open_Click();
    CompareWindow* empty = w->compareWindow();
    EXPECT_TRUE(empty->traces().empty());
    EXPECT_TRUE(empty->statusText().startsWith(s.compareNothing));
    EXPECT_TRUE(empty->statusText().contains("gone.otdr"));
    clickPlot(empty->plot(), 300, Qt::LeftButton);
    for (int key : {Qt::Key_Home, Qt::Key_Left, Qt::Key_Plus, Qt::Key_A})
      empty->plot()->handleKey(key);
    empty->alignAtCursor();
    EXPECT_EQ(empty->showTwoDirections(), nullptr);
    EXPECT_EQ(empty->statusText(), s.compareNeedsTwo);

    // Dropped: several are compared, one is shown.
    drop(*w, files);
    EXPECT_EQ(w->compareWindow()->traces().size(), 3u);
    EXPECT_EQ(w->compareWindow()->statusText(), fillIn(s.compareShown, {"3"}));
    QStringList nine;
    for (int i = 0; i < 9; ++i) nine << files[i % 3];
    drop(*w, nine);
    EXPECT_EQ(w->statusText(), QString::fromStdString(compare::tooManyText(9, language)));
    EXPECT_EQ(w->compareWindow()->traces().size(), 3u);
    drop(*w, {files[2]});
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("c.otdr")}));
    EXPECT_EQ(w->compareWindow()->traces().size(), 3u);
  }
}

TEST_F(CompareWindowTest, MarkersOffsetsAndAlignmentAtTheCrosshair) {
  const QStringList files = copySamples({"a.otdr", "b.otdr", "c.otdr"});
  auto saveDialog = std::make_shared<ScriptedSaveDialog>();
  CompareWindow window(Language::English, {nullptr, saveDialog, {}});
  window.openFiles(files);
  ASSERT_EQ(window.traces().size(), 3u);
  ComparePlot* plot = window.plot();
  auto* table = window.findChild<QTableWidget*>("CompareMarkers");
  auto* legend = window.findChild<QTableWidget*>("CompareLegend");

  // Zoom by drag into where all three have points, then set the markers by clicks.
  double common = plot->view().toM;
  for (const ComparedTrace& t : window.traces()) common = std::min(common, t.trace.lastDistanceM());
  const OverlayScale& scale = plot->scale();
  const int from = static_cast<int>(scale.xOfDistance(common * 0.1));
  const int to = static_cast<int>(scale.xOfDistance(common * 0.9));
  mouse(plot, QEvent::MouseMove, {from, 100});
  mouse(plot, QEvent::MouseButtonPress, {from, 100}, Qt::LeftButton);
  mouse(plot, QEvent::MouseMove, {to, 120});
  mouse(plot, QEvent::MouseButtonRelease, {to, 120}, Qt::LeftButton);
  EXPECT_NEAR(plot->view().fromM, common * 0.1, common * 0.01);
  EXPECT_NEAR(plot->view().toM, common * 0.9, common * 0.01);
  EXPECT_FALSE(plot->markerA());

  clickPlot(plot, 150, Qt::LeftButton);
  clickPlot(plot, 550, Qt::RightButton);
  ASSERT_TRUE(plot->markerA() && plot->markerB());
  EXPECT_LT(*plot->markerA(), *plot->markerB());

  const auto expectLosses = [&] {
    for (std::size_t i = 0; i < window.traces().size(); ++i) {
      const Measured<SpanMeasure> span =
          measureSpan(window.traces()[i].trace, *plot->markerA(), *plot->markerB());
      ASSERT_TRUE(span) << i;
      const int row = static_cast<int>(i);
      EXPECT_EQ(cellText(table, row, 3), QString::fromStdString(formatFixed(span->deltaDb(), 3)));
      EXPECT_EQ(cellText(table, row, 5),
                QString::fromStdString(formatFixed(span->lsa.dbPerKm(), 3)));
    }
  };
  expectLosses();
  const QString levelA = cellText(table, 1, 1);

  // An offset moves the trace's levels, never its losses.
  window.findChild<QDoubleSpinBox*>("CompareOffset1")->setValue(2.5);
  EXPECT_DOUBLE_EQ(window.overlay()[1].offsetDb, 2.5);
  EXPECT_NEAR(cellText(table, 1, 1).toDouble() - levelA.toDouble(), 2.5, 1e-9);
  expectLosses();

  // Aligned at the crosshair, the three read the same level there.
  mouse(plot, QEvent::MouseMove, {360, 200});
  const double at = *plot->cursorM();
  window.findChild<QPushButton*>("CompareAlign")->click();
  const std::vector<std::optional<compare::OverlayReading>> readings =
      compare::readingsAt(window.overlay(), at);
  ASSERT_EQ(readings.size(), 3u);
  for (const auto& r : readings) {
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->levelDb, readings[0]->levelDb, 1e-9);
  }
  EXPECT_EQ(cellText(legend, 1, 5), cellText(legend, 0, 5));
  EXPECT_EQ(cellText(legend, 2, 5), cellText(legend, 0, 5));
  EXPECT_NE(
      window.overlay()[0].offsetDb + window.overlay()[1].offsetDb + window.overlay()[2].offsetDb,
      0.0);
  expectLosses();

  // The exports: the plot with its markers, and the page with the legend.
  saveDialog->answer = dir.filePath("overlay.png");
  window.findChild<QPushButton*>("CompareExportPng")->click();
  EXPECT_EQ(QImage(saveDialog->answer).convertToFormat(QImage::Format_RGB32),
            plot->exportImage().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(window.statusText(), fillIn(uiStrings(Language::English).pngSaved,
                                        {QDir::toNativeSeparators(saveDialog->answer)}));
  saveDialog->answer = dir.filePath("overlay.pdf");
  window.findChild<QPushButton*>("CompareExportPdf")->click();
  EXPECT_EQ(window.statusText(), fillIn(uiStrings(Language::English).comparePdfSaved,
                                        {QDir::toNativeSeparators(saveDialog->answer)}));
  EXPECT_TRUE(pdfText(saveDialog->answer).contains("c.otdr"));

  // Hidden, a trace reads nothing at the crosshair; Home shows everything again.
  legend->item(2, 0)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(window.overlay()[2].shown);
  EXPECT_FALSE(compare::readingsAt(window.overlay(), at)[2]);
  plot->handleKey(Qt::Key_Home);
  EXPECT_DOUBLE_EQ(plot->view().toM, fullOverlayView(window.overlay()).toM);

  // Beyond the end of the first (shortest) trace, the others meet the first that reads there.
  legend->item(2, 0)->setCheckState(Qt::Checked);
  const std::vector<ComparedTrace>& t = window.traces();
  ASSERT_LT(t[0].trace.lastDistanceM(), t[1].trace.lastDistanceM());
  plot->setCursor((t[0].trace.lastDistanceM() +
                   std::min(t[1].trace.lastDistanceM(), t[2].trace.lastDistanceM())) /
                  2);
  const double kept = window.overlay()[0].offsetDb;
  window.alignAtCursor();
  const auto beyond = compare::readingsAt(window.overlay(), *plot->cursorM());
  ASSERT_TRUE(beyond[1] && beyond[2]);
  EXPECT_FALSE(beyond[0]);
  EXPECT_NEAR(beyond[2]->levelDb, beyond[1]->levelDb, 1e-9);
  EXPECT_EQ(window.overlay()[0].offsetDb, kept);
}

// The plot's markers are drawn as the PNG and the PDF draw them; with the pointer gone the
// picture is that drawing (inverted in the dark scheme) after every change, and the
// crosshair stands over it in the scheme shown.
TEST_F(CompareWindowTest, ThePlotShowsTheMarkersAsTheExportsDrawThem) {
  CompareWindow window(Language::English, {});
  window.openFiles(copySamples({"a.otdr", "b.otdr"}));
  ASSERT_EQ(window.traces().size(), 2u);
  ComparePlot* plot = window.plot();
  const auto drawn = [&] {
    OverlayScale scale;
    QImage image = renderOverlay(window.overlay(), plot->view(), &scale);
    MarkerOverlay markers;
    if (plot->markerA()) markers.markerA = *plot->markerA() - scale.axisOriginM;
    if (plot->markerB()) markers.markerB = *plot->markerB() - scale.axisOriginM;
    QPainter painter(&image);
    paintMarkerOverlay(painter, scale.frame, 0, markers);
    return image;
  };
  const auto pointerGone = [&] {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(plot, &leave);
  };
  const auto inverted = [](QImage image) {
    image.invertPixels();
    return image;
  };
  const OverlayView& view = plot->view();
  plot->setMarker('A', view.fromM + (view.toM - view.fromM) * 0.3);
  plot->setMarker('B', view.fromM + (view.toM - view.fromM) * 0.6);
  EXPECT_EQ(plot->exportImage(), drawn());
  pointerGone();
  EXPECT_EQ(plot->picture(), drawn());

  plot->setInverted(true);
  EXPECT_EQ(plot->picture(), inverted(drawn()));
  window.findChild<QDoubleSpinBox*>("CompareOffset1")->setValue(3);
  EXPECT_EQ(plot->picture(), inverted(drawn()));
  plot->setMarker('B', view.fromM + (view.toM - view.fromM) * 0.8);
  EXPECT_EQ(plot->picture(), inverted(drawn()));
  EXPECT_EQ(plot->exportImage(), drawn());

  // The crosshair in the dark scheme: the light plot's blue, inverted.
  const int x = 400;
  const auto yellowNear = [x](const QImage& image) {
    int count = 0;
    for (int column = x - 1; column <= x + 1; ++column)
      for (int y = 0; y < image.height(); ++y)
        count += image.pixel(column, y) == qRgb(255, 255, 0) ? 1 : 0;
    return count;
  };
  const int before = yellowNear(plot->picture());
  mouse(plot, QEvent::MouseMove, {x, 150});
  const QImage withCrosshair = plot->picture();
  EXPECT_GT(yellowNear(withCrosshair), before + 50);
  // Where the pointer stays on the same distance, the picture stays.
  mouse(plot, QEvent::MouseMove, {x, 250});
  EXPECT_EQ(plot->picture(), withCrosshair);

  plot->clearMarkers();
  pointerGone();
  EXPECT_EQ(plot->picture(), inverted(drawn()));
  plot->setInverted(false);
  EXPECT_EQ(plot->picture(), drawn());
}

// A fibre of 10 km with a splice of true loss 0.30 dB at 3 km between fibres whose mode
// fields differ by 0.10 dB, a gainer's mirror, and an event only end A sees.
Trace fibreEnd(char end, double wavelengthNm, double lengthM = 10000) {
  SyntheticFibre f;
  f.lengthM = lengthM;
  f.traceM = lengthM + 2000;
  f.wavelengthNm = wavelengthNm;
  Trace t = makeTrace(f);
  const auto at = [&](double fromA) { return end == 'A' ? fromA : lengthM - fromA; };
  t.events.push_back({0, 0, -45.0, EventType::Launch, "", ""});
  t.events.push_back(
      {at(3000), end == 'A' ? 0.40 : 0.20, std::nullopt, EventType::NonReflective, "", ""});
  if (end == 'A')
    t.events.push_back({at(5000), 0.10, std::nullopt, EventType::NonReflective, "", ""});
  t.events.push_back({lengthM, 0, -14.0, EventType::End, "", ""});
  std::sort(t.events.begin(), t.events.end(),
            [](const KeyEvent& x, const KeyEvent& y) { return x.distanceM < y.distanceM; });
  return t;
}

TEST_F(CompareWindowTest, TwoDirectionsAverageAndRefuseAnotherFibre) {
  for (Language language : kLanguages) {
    auto saveDialog = std::make_shared<ScriptedSaveDialog>();
    CompareWindow window(language, {nullptr, saveDialog, {}});
    // The pair written as SOR files and read back as any file is.
    const std::pair<const char*, Trace> fibres[] = {{"end_a.sor", fibreEnd('A', 1310)},
                                                    {"end_b.sor", fibreEnd('B', 1310)},
                                                    {"end_b_1550.sor", fibreEnd('B', 1550)},
                                                    {"other.sor", fibreEnd('B', 1310, 12000)}};
    QStringList files;
    for (const auto& [name, trace] : fibres) {
      files << dir.filePath(name);
      const std::vector<std::uint8_t> bytes = WriteTraceSor(trace);
      QFile f(files.back());
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    window.openFiles(files);
    ASSERT_EQ(window.traces().size(), 4u) << window.statusText().toStdString();
    BidirDialog* dialog = window.showTwoDirections();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->result()) << dialog->message().toStdString();
    auto* table = dialog->findChild<QTableWidget*>("BidirTable");
    int splice = -1;
    int oneWay = -1;
    for (int row = 0; row < table->rowCount(); ++row) {
      const double m = cellText(table, row, 1).toDouble();
      if (std::abs(m - 3000) < 5) splice = row;
      if (std::abs(m - 5000) < 5) oneWay = row;
    }
    ASSERT_GE(splice, 0);
    ASSERT_GE(oneWay, 0);
    EXPECT_EQ(cellText(table, splice, 2), "0.400");
    EXPECT_EQ(cellText(table, splice, 3), "0.200");
    EXPECT_EQ(cellText(table, splice, 4), "0.300");
    EXPECT_EQ(cellText(table, splice, 6), QString());
    EXPECT_EQ(cellText(table, oneWay, 4), "0.050");
    EXPECT_FALSE(cellText(table, oneWay, 6).isEmpty());

    saveDialog->answer = dir.filePath("bidir.pdf");
    dialog->findChild<QPushButton*>("BidirSavePdf")->click();
    EXPECT_TRUE(pdfText(saveDialog->answer).contains("end_b.sor"));

    // Another wavelength and another fibre's length are refused, naming both files.
    for (int other : {2, 3}) {
      dialog->choose(0, other);
      EXPECT_FALSE(dialog->result());
      EXPECT_EQ(table->rowCount(), 0);
      EXPECT_TRUE(dialog->message().contains("end_a.sor") &&
                  dialog->message().contains(window.traces()[other].name))
          << dialog->message().toStdString();
    }
    dialog->choose(1, 1);
    EXPECT_EQ(dialog->message(), uiStrings(language).bidirSameTrace);
    dialog->choose(0, 1);
    dialog->setTolerance("-3");
    EXPECT_EQ(dialog->message(), uiStrings(language).bidirBadTolerance);
    EXPECT_FALSE(dialog->result());
  }
}

TEST_F(CompareWindowTest, BendsFromTwoWavelengths) {
  const auto fibre = [](double nm, double spliceDb, double bendDb) {
    SyntheticFibre f;
    f.wavelengthNm = nm;
    Trace t = makeTrace(f);
    t.events = {{0, 0, -45.0, EventType::Launch, "", ""},
                {3000, spliceDb, std::nullopt, EventType::NonReflective, "", ""},
                {6000, bendDb, std::nullopt, EventType::NonReflective, "", ""},
                {10000, 0, -14.0, EventType::End, "", ""}};
    return t;
  };
  CompareWindow window(Language::English, {});
  window.setTraces({{"f1550.sor", "", fibre(1550, 0.12, 0.90)},
                    {"f1310.sor", "", fibre(1310, 0.10, 0.10)},
                    {"g1310.sor", "", fibre(1310, 0.10, 0.10)}});
  BendsDialog* dialog = window.showBends();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->result()) << dialog->message().toStdString();
  auto* table = dialog->findChild<QTableWidget*>("BendsTable");
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "1310 nm (dB)");
  EXPECT_EQ(cellText(table, 0, 4), QString());  // the splice
  EXPECT_EQ(cellText(table, 1, 4), "Bend");     // 0.80 dB more at 1550 nm
  dialog->setDeltaDb(1.0);
  EXPECT_EQ(cellText(table, 1, 4), QString());
  dialog->choose(1, 2);
  EXPECT_FALSE(dialog->result());
  EXPECT_TRUE(dialog->message().contains("f1310.sor") && dialog->message().contains("g1310.sor"));
}

}  // namespace
}  // namespace tracelink::test

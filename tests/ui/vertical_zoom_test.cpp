// The vertical zoom in the window, in both languages and for our records and another
// maker's trace: a Shift drag zooms the levels between its rows (a plain drag still
// zooms the distances), the plot menu's level range, Home back to the full range with
// the very pixels of before, and the readout's level line on the zoomed curve.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "render/plot_render.h"
#include "ui/level_range_dialog.h"
#include "ui/main_window.h"
#include "ui/trace_view.h"
#include "ui/ui_strings.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

const QString kSor = QStringLiteral(TRACELINK_SOR_SAMPLES);
const QString kOtdr = QStringLiteral(TRACELINK_OTDR_SAMPLES);
constexpr QRgb kBlueRgb = 0xff0000ffu;

class VerticalZoomTest : public ::testing::TestWithParam<Language> {
 protected:
  QTemporaryDir dir;
  Harness harness;
  Language language() const { return GetParam(); }
  const UiStrings& strings() const { return uiStrings(language()); }

  std::unique_ptr<MainWindow> window() {
    auto w =
        std::make_unique<MainWindow>(language(), harness.options(dir.filePath("save"), noPort));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }
  static QStringList samples() {
    return {QDir(kOtdr).filePath("sample_04_range7.otdr"), QDir(kSor).filePath("sample01.sor")};
  }
  static LevelRangeDialog* openDialog(MainWindow& w) {
    for (QAction* a : w.plotMenu()->actions())
      if (a->objectName() == "LevelRange") a->trigger();
    return w.findChild<LevelRangeDialog*>();
  }
};

TEST_P(VerticalZoomTest, AShiftDragZoomsTheLevelsAndHomeRestoresThePicture) {
  for (const QString& path : samples()) {
    SCOPED_TRACE(path.toStdString());
    auto w = window();
    w->openTraceFile(path);
    TraceView* plot = w->traceView();
    const QImage full = plot->canvas();
    const ViewWindow window = w->session().view();
    const double top = plot->levelDbAtRow(60);
    const double bottom = plot->levelDbAtRow(200);
    EXPECT_GT(top, bottom);

    QTest::mousePress(plot, Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 60));
    QTest::mouseMove(plot, QPoint(400, 200));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::ShiftModifier, QPoint(400, 200));
    ASSERT_TRUE(w->session().levelZoom().has_value());
    EXPECT_DOUBLE_EQ(w->session().levelZoom()->topDb, top);
    EXPECT_DOUBLE_EQ(w->session().levelZoom()->bottomDb, bottom);
    // The distances stay; the levels fill the plot's level rows.
    EXPECT_EQ(w->session().view().ViewStart, window.ViewStart);
    EXPECT_EQ(w->session().view().ViewEnd, window.ViewEnd);
    EXPECT_NEAR(plot->levelRowOfDb(top), PlotFrame::row(kPlotTop), 1e-6);
    EXPECT_NEAR(plot->levelRowOfDb(bottom), PlotFrame::row(0), 1e-6);
    EXPECT_NE(plot->canvas(), full);

    // A slip of the hand with Shift held zooms nothing further.
    QTest::mousePress(plot, Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 100));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 101));
    EXPECT_DOUBLE_EQ(w->session().levelZoom()->topDb, top);

    // A plain drag zooms the distances as it always did, the levels staying zoomed.
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(100, 150));
    QTest::mouseMove(plot, QPoint(400, 150));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(400, 150));
    EXPECT_LT(w->session().view().ViewEnd - w->session().view().ViewStart,
              window.ViewEnd - window.ViewStart);
    EXPECT_TRUE(w->session().levelZoom().has_value());

    QTest::mouseMove(plot, QPoint(40, 40));
    QTest::mouseMove(plot, QPoint(300, 150));
    QTest::keyClick(w.get(), Qt::Key_Home);
    EXPECT_FALSE(w->session().levelZoom().has_value());
    EXPECT_EQ(w->session().view().ViewStart, window.ViewStart);
    EXPECT_EQ(w->session().view().ViewEnd, window.ViewEnd);
    EXPECT_EQ(plot->canvas(), full);
  }
}

TEST_P(VerticalZoomTest, TheReadoutsLevelLineFollowsTheZoom) {
  for (const QString& path : samples()) {
    SCOPED_TRACE(path.toStdString());
    auto w = window();
    w->openTraceFile(path);
    TraceView* plot = w->traceView();
    // Zoomed about the level under the pointer, so its line lands far from where it was.
    QTest::mouseMove(plot, QPoint(40, 40));
    QTest::mouseMove(plot, QPoint(250, 150));
    QString readout = plot->findChild<QLabel*>("Label4")->text();
    const QString value =
        readout.mid(readout.indexOf("Y:") + 2).replace(QLocale().decimalPoint(), ".");
    bool ok = false;
    const double level = value.toDouble(&ok);
    ASSERT_TRUE(ok) << readout.toStdString();
    LevelRangeDialog* dialog = openDialog(*w);
    ASSERT_NE(dialog, nullptr);
    // Whole hundredths, as the dialog holds them.
    const double bottom = std::round((level - 0.5) * 100) / 100;
    const double top = std::round((level + 0.25) * 100) / 100;
    dialog->setLevels(bottom, top);
    dialog->accept();
    QApplication::processEvents();
    ASSERT_EQ(w->session().levelZoom(), (LevelZoom{bottom, top}));
    QTest::mouseMove(plot, QPoint(40, 40));
    QTest::mouseMove(plot, QPoint(250, 150));
    EXPECT_EQ(plot->findChild<QLabel*>("Label4")->text(), readout);
    // Two thirds of the way down the level rows, on the zoomed curve's row.
    const double row = plot->levelRowOfDb(level);
    EXPECT_NEAR(row, PlotFrame::row(0) * (top - level) / (top - bottom), 1e-6);
    EXPECT_NEAR(row, PlotFrame::row(0) / 3, 2.0);
    int blue = 0;
    // An aliased line covers the pixel row its coordinate falls in.
    const int r = static_cast<int>(std::floor(row));
    for (int x = 0; x < kPlotWidth; ++x) blue += plot->picture().pixel(x, r) == kBlueRgb;
    EXPECT_GT(blue, kPlotWidth / 4);
  }
}

TEST_P(VerticalZoomTest, TheLevelRangeDialogZoomsRefusesAndGoesBackToFull) {
  for (const QString& path : samples()) {
    SCOPED_TRACE(path.toStdString());
    auto w = window();
    w->openTraceFile(path);
    const QImage full = w->traceView()->canvas();
    LevelRangeDialog* dialog = openDialog(*w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), strings().levelRangeTitle);
    // The fields start at the levels the plot shows.
    const LevelZoom shown = w->traceView()->shownLevels();
    EXPECT_NEAR(dialog->findChild<QDoubleSpinBox*>("LevelTop")->value(), shown.topDb, 0.006);

    dialog->setLevels(5, 2);
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->problem(), strings().levelReversed);
    EXPECT_FALSE(w->session().levelZoom().has_value());
    dialog->setLevels(3, 3.001);  // two decimals: the same level
    dialog->accept();
    EXPECT_EQ(dialog->problem(), strings().levelReversed);
    dialog->setLevels(2, 5.5);
    dialog->accept();
    QApplication::processEvents();
    EXPECT_EQ(w->session().levelZoom(), (LevelZoom{2, 5.5}));
    EXPECT_NE(w->traceView()->canvas(), full);

    dialog = openDialog(*w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_DOUBLE_EQ(dialog->findChild<QDoubleSpinBox*>("LevelTop")->value(), 5.5);
    auto* fullButton = dialog->findChild<QPushButton*>("LevelFullRange");
    ASSERT_NE(fullButton, nullptr);
    EXPECT_EQ(fullButton->text(), strings().levelFullRange);
    fullButton->click();
    QApplication::processEvents();
    EXPECT_FALSE(w->session().levelZoom().has_value());
    EXPECT_EQ(w->traceView()->canvas(), full);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, VerticalZoomTest,
                         ::testing::Values(Language::English, Language::Chinese),
                         [](const auto& info) {
                           return info.param == Language::English ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace tracelink::test

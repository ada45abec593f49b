// The window's commands on the plot: measuring markers and their readout, the plot's
// context menu, and the SOR export.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "files/record_file.h"
#include "files/record_text.h"
#include "render/marker_overlay.h"
#include "render/plot_render.h"
#include "report/printer_set_window.h"
#include "sor/sor_io.h"
#include "ui/main_window.h"
#include "ui/trace_view.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

class PlotCommandsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }

  // The window with a 48000-sample trace loaded from a file, shown and active.
  std::unique_ptr<MainWindow> openWithTrace(Language language) {
    QDir().mkpath(folder());
    TraceRecord record = makeRecord(7);
    EXPECT_TRUE(WriteRecordFile(QDir(folder()).filePath("a.otdr").toStdString(),
                                BuildRecordText(record, 12))
                    .ok());
    auto w = std::make_unique<MainWindow>(language, harness.options(folder(), noPort));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    auto* list = w->findChild<QListWidget*>("List1");
    list->setCurrentRow(0);
    w->List1_Click();
    return w;
  }
  TraceView* plot(MainWindow& w) { return w.traceView(); }
  QString status(MainWindow& w) { return w.statusText(); }
  // Points at pixel x of the plot and presses a key there.
  void keyAt(MainWindow& w, int x, Qt::Key key) {
    QTest::mouseMove(plot(w), QPoint(x, 150));
    QTest::keyClick(&w, key);
  }
  // The picture as presented with nothing drawn over it.
  static QImage presented(const TraceView& view) {
    QImage image = makePlotSurface();
    presentPlot(view.canvas(), image, view.backColourMode());
    return image;
  }
  static int pixelsInColumn(const QImage& image, int x, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) n += image.pixelColor(x, y) == colour;
    return n;
  }
};

TEST_F(PlotCommandsTest, KeysSetMarkersAtTheCrosshairAndTheReadoutSpeaksTheBuildsLanguage) {
  struct Case {
    Language language;
    const char* spanWord;  // a word of the span's readout
  };
  for (const Case& c :
       {Case{Language::English, "dB/km  LSA"}, Case{Language::Chinese, "dB/km（±"}}) {
    auto w = openWithTrace(c.language);
    keyAt(*w, 200, Qt::Key_A);
    const std::int32_t atA = plot(*w)->cursorM();
    keyAt(*w, 500, Qt::Key_B);
    const std::int32_t atB = plot(*w)->cursorM();
    ASSERT_TRUE(w->session().markers().a);
    ASSERT_TRUE(w->session().markers().b);
    EXPECT_EQ(*w->session().markers().a, atA);
    EXPECT_EQ(*w->session().markers().b, atB);
    const QString text = status(*w);
    EXPECT_TRUE(text.startsWith(QStringLiteral("A %1 m ").arg(atA))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("B %1 m ").arg(atB))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.spanWord))) << text.toStdString();
    // Esc clears both, and the plot is the presentation again.
    keyAt(*w, 300, Qt::Key_Escape);
    EXPECT_FALSE(w->session().markers().a);
    EXPECT_FALSE(w->session().markers().b);
    plot(*w)->PresentPlot();
    EXPECT_EQ(plot(*w)->picture(), presented(*plot(*w)));
  }
}

TEST_F(PlotCommandsTest, KeysTypeAsBeforeWhenThePointerIsNotOverThePlot) {
  auto w = openWithTrace(Language::English);
  QTest::mouseMove(plot(*w), QPoint(200, 150));
  QTest::mouseMove(w.get(), QPoint(740, 590));  // off the plot
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(plot(*w), &leave);
  auto* combo = w->findChild<QComboBox*>("Combo1");
  combo->setFocus();
  combo->setEditText(QString());
  QTest::keyClicks(combo, "ab");
  EXPECT_EQ(combo->currentText(), "ab");
  EXPECT_FALSE(w->session().markers().a);
  EXPECT_FALSE(w->session().markers().b);
}

TEST_F(PlotCommandsTest, WithoutMarkersThePlotIsExactlyThePresentedCanvas) {
  auto w = openWithTrace(Language::English);
  EXPECT_EQ(plot(*w)->picture(), presented(*plot(*w)));
  w->Command3_Click();
  EXPECT_EQ(plot(*w)->picture(), presented(*plot(*w)));
}

TEST_F(PlotCommandsTest, MarkersSurviveZoomPanFullViewAndTheColourToggle) {
  auto w = openWithTrace(Language::English);
  keyAt(*w, 300, Qt::Key_A);
  keyAt(*w, 400, Qt::Key_B);
  const double a = *w->session().markers().a;
  const double b = *w->session().markers().b;
  const auto expectMarkersDrawn = [&](const char* when) {
    plot(*w)->PresentPlot();
    const TraceView& v = *plot(*w);
    for (const auto& [letter, m] : {std::pair{'A', a}, std::pair{'B', b}}) {
      if (m <= v.frame().viewStartM || m >= v.frame().viewEndM) continue;
      const int x = static_cast<int>(std::floor(v.frame().column(m)));
      EXPECT_GT(pixelsInColumn(v.picture(), x, markerColour(letter, v.backColourMode())), 200)
          << when << " " << letter;
    }
  };
  expectMarkersDrawn("loaded");
  const TraceView& v = *plot(*w);
  // A drag from a little before A to a little after B zooms; the markers stay where they are.
  QTest::mousePress(plot(*w), Qt::LeftButton, {}, QPoint(250, 150));
  QTest::mouseMove(plot(*w), QPoint(450, 150));
  QTest::mouseRelease(plot(*w), Qt::LeftButton, {}, QPoint(450, 150));
  EXPECT_LT(v.frame().viewEndM - v.frame().viewStartM, 30000);
  expectMarkersDrawn("zoomed");
  QTest::mouseClick(plot(*w)->findChild<QWidget*>("Picture6"), Qt::LeftButton);
  expectMarkersDrawn("panned");
  w->Command3_Click();
  expectMarkersDrawn("light");
  QTest::mouseClick(plot(*w)->findChild<QWidget*>("Picture4"), Qt::LeftButton);
  expectMarkersDrawn("full view");
  EXPECT_EQ(*w->session().markers().a, a);
  EXPECT_EQ(*w->session().markers().b, b);
  // Another trace clears them.
  w->List1_Click();
  EXPECT_FALSE(w->session().markers().a);
  EXPECT_EQ(plot(*w)->picture(), presented(*plot(*w)));
}

TEST_F(PlotCommandsTest, ARightClickOpensTheMenuARightDragStillZooms) {
  auto w = openWithTrace(Language::Chinese);
  QMenu* menu = w->plotMenu();
  ASSERT_NE(menu, nullptr);
  QStringList captions;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) captions << a->text();
  // The measuring commands and the export come first; later commands follow them.
  EXPECT_EQ(captions.mid(0, 6), (QStringList{"设置标记A", "设置标记B", "清除标记", "此处事件损耗",
                                             "显示事件", "导出SOR…"}));
  EXPECT_TRUE(captions.contains("打开…"));

  const ViewWindow before = w->session().view();
  QTest::mousePress(plot(*w), Qt::RightButton, {}, QPoint(300, 150));
  QTest::mouseRelease(plot(*w), Qt::RightButton, {}, QPoint(300, 150));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
  EXPECT_EQ(w->session().view().ViewEnd, before.ViewEnd);
  // "Set marker A here" puts A where the menu was opened.
  const double here = std::lround(plot(*w)->frame().xAt(300));
  for (QAction* a : menu->actions())
    if (a->objectName() == "SetMarkerA") a->trigger();
  menu->hide();
  ASSERT_TRUE(w->session().markers().a);
  EXPECT_NEAR(*w->session().markers().a, here, 1.0);

  QTest::mousePress(plot(*w), Qt::RightButton, {}, QPoint(100, 150));
  QTest::mouseMove(plot(*w), QPoint(400, 150));
  QTest::mouseRelease(plot(*w), Qt::RightButton, {}, QPoint(400, 150));
  EXPECT_FALSE(menu->isVisible());
  EXPECT_LT(w->session().view().ViewEnd, before.ViewEnd);
}

TEST_F(PlotCommandsTest, EventLossHereNeedsBothMarkersAndReadsTheLossAtThatPlace) {
  for (const Language language : {Language::English, Language::Chinese}) {
    auto w = openWithTrace(language);
    QMenu* menu = w->plotMenu();
    const auto trigger = [&](const char* name) {
      for (QAction* a : menu->actions())
        if (a->objectName() == name) a->trigger();
    };
    QTest::mousePress(plot(*w), Qt::RightButton, {}, QPoint(360, 150));
    QTest::mouseRelease(plot(*w), Qt::RightButton, {}, QPoint(360, 150));
    menu->hide();
    trigger("EventLossHere");
    EXPECT_EQ(status(*w), uiStrings(language).eventLossNeedsMarkers);
    keyAt(*w, 100, Qt::Key_A);
    keyAt(*w, 650, Qt::Key_B);
    const QString text = status(*w);
    EXPECT_TRUE(text.contains(language == Language::English ? QStringLiteral("Event at ")
                                                            : QStringLiteral("事件 ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("LSA"))) << text.toStdString();
  }
}

TEST_F(PlotCommandsTest, ExportSorWritesAFileTheReaderAcceptsOrSaysWhyNot) {
  struct Case {
    Language language;
    const char* savedPrefix;
    const char* failedPart;
  };
  const Case cases[] = {{Language::English, "SOR saved: ", "cannot create: No such file"},
                        {Language::Chinese, "SOR已保存：", "无法创建：文件或文件夹不存在"}};
  for (const Case& c : cases) {
    auto w = openWithTrace(c.language);
    // The Chinese print settings open with an operator in Chinese, which a SOR file cannot
    // hold (ExportSorRefusesATextASorFileCannotHold); the user types one it can.
    if (c.language == Language::Chinese)
      w->report()->printerset()->findChild<QLineEdit*>("Text5")->setText("Lin");
    const QString path = dir.filePath(QStringLiteral("out-%1.sor").arg(int(c.language)));
    harness.dialog->answer = path;
    w->ExportSor();
    EXPECT_EQ(harness.dialog->lastFilter, "SOR (*.sor)");
    EXPECT_TRUE(status(*w).startsWith(QString::fromUtf8(c.savedPrefix)))
        << status(*w).toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto read = sor::ReadSor(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    ASSERT_TRUE(read.ok()) << read.error().text();
    ASSERT_TRUE(read->dataPts);
    EXPECT_EQ(read->dataPts->traces.at(0).values.size(), 48001u);
    EXPECT_EQ(read->checksum.status, sor::ChecksumStatus::Ok);

    harness.dialog->answer = dir.filePath("missing-folder/out.sor");
    w->ExportSor();
    EXPECT_TRUE(status(*w).contains(QString::fromUtf8(c.failedPart))) << status(*w).toStdString();
    EXPECT_FALSE(QFile::exists(harness.dialog->answer));
  }
}

// The SOR export carries the report's header values: the print settings' defaults when
// they were never opened, what was typed while they are loaded (shown or hidden), and the
// defaults again once they were closed.
TEST_F(PlotCommandsTest, ExportSorCarriesTheReportsHeaderValues) {
  auto w = openWithTrace(Language::English);
  const auto exported = [&](const QString& name) -> std::optional<sor::GenParams> {
    harness.dialog->answer = dir.filePath(name);
    w->ExportSor();
    QFile file(harness.dialog->answer);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    const auto read = sor::ReadSor(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    if (!read.ok() || !read->genParams) return std::nullopt;
    return *read->genParams;
  };
  struct Texts {
    const char* cable;
    const char* fiber;
    const char* operatorName;
  };
  const auto expectTexts = [](const std::optional<sor::GenParams>& g, const Texts& t) {
    ASSERT_TRUE(g);
    EXPECT_EQ(g->cableId.text, t.cable);
    EXPECT_EQ(g->fiberId.text, t.fiber);
    EXPECT_EQ(g->operatorName.text, t.operatorName);
  };

  ASSERT_EQ(w->report()->loadedPrinterset(), nullptr);
  expectTexts(exported("never-opened.sor"), {"00088", "000999", "TE Marlow"});
  EXPECT_EQ(w->report()->loadedPrinterset(), nullptr);  // reading them loads nothing

  PrinterSetWindow* settings = w->report()->printerset();
  settings->findChild<QLineEdit*>("Text2")->setText("C-7");
  settings->findChild<QLineEdit*>("Text3")->setText("F-12");
  settings->findChild<QLineEdit*>("Text5")->setText("Kim");
  settings->hide();
  expectTexts(exported("typed.sor"), {"C-7", "F-12", "Kim"});

  settings->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(w->report()->loadedPrinterset(), nullptr);
  expectTexts(exported("closed.sor"), {"00088", "000999", "TE Marlow"});
}

// One policy with the command line's export: a text that is not printable ASCII refuses
// the export, naming the field, before any file is asked for; nothing is dropped quietly.
// The Chinese settings' default operator is such a text.
TEST_F(PlotCommandsTest, ExportSorRefusesATextASorFileCannotHold) {
  struct Case {
    Language language;
    const char* cable;  // typed into the print settings, or nullptr for the defaults
    const char* failed;
    const char* field;  // a word of the field's name in the refusal
  };
  const Case cases[] = {
      {Language::English, "光缆-1", "SOR export failed: ", "cable"},
      {Language::English, "tab\there", "SOR export failed: ", "cable"},
      {Language::Chinese, nullptr, "SOR导出失败：", "操作员"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failed);
    auto w = openWithTrace(c.language);
    if (c.cable)
      w->report()->printerset()->findChild<QLineEdit*>("Text2")->setText(
          QString::fromUtf8(c.cable));
    const int asked = harness.dialog->asked;
    harness.dialog->answer = dir.filePath("refused.sor");
    w->ExportSor();
    EXPECT_EQ(harness.dialog->asked, asked);
    EXPECT_FALSE(QFile::exists(harness.dialog->answer));
    EXPECT_TRUE(status(*w).startsWith(QString::fromUtf8(c.failed))) << status(*w).toStdString();
    EXPECT_TRUE(status(*w).contains(QString::fromUtf8(c.field))) << status(*w).toStdString();
  }
}

}  // namespace
}  // namespace tracelink::test

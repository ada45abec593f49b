// Printer discovery and printing against a real CUPS scheduler started by the test.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "cups_scheduler.h"
#include "report/print_preview_window.h"
#include "report/printer_discovery.h"
#include "report/printer_set_window.h"
#include "report/report_page.h"
#include "report/report_workflow.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

using test::CupsScheduler;

// A plot canvas like the real one: black grid and curve on white.
QImage plotLikeCanvas() {
  QImage image(723, 369, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(Qt::black);
  for (int x = 0; x < 723; x += 72) p.drawLine(x, 0, x, 368);
  for (int y = 0; y < 369; y += 46) p.drawLine(0, y, 722, y);
  p.drawLine(0, 40, 722, 330);
  return image;
}

// Whether the image has a pixel darker than level at or next to the point.
bool darkNear(const QImage& image, QPoint at, int level) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const QPoint p = at + QPoint(dx, dy);
      if (image.valid(p) && qGray(image.pixel(p)) < level) return true;
    }
  return false;
}

QImage reportPage() {
  return ComposeReportPage(test::defaultHeader(),
                           test::sourcesWith(test::eventsOf(3), plotLikeCanvas()),
                           Language::English, ".");
}

class Spooler : public ::testing::Test {
 protected:
  void SetUp() override {
    QString error;
    ASSERT_TRUE(scheduler_.ensureRunning(&error)) << error.toStdString();
    ASSERT_TRUE(scheduler_.removeAllQueues(&error)) << error.toStdString();
    baseline_ = scheduler_.lastJobId();
  }

  void add(const QString& name) {
    QString error;
    ASSERT_TRUE(scheduler_.addQueue(name, &error)) << error.toStdString();
  }
  void remove(const QString& name) {
    QString error;
    ASSERT_TRUE(scheduler_.removeQueue(name, &error)) << error.toStdString();
  }
  void makeDefault(const QString& name) {
    QString error;
    ASSERT_TRUE(scheduler_.setDefault(name, &error)) << error.toStdString();
  }

  // The printers of this test's jobs, in order, once the scheduler has finished them all.
  QStringList jobPrinters() {
    EXPECT_TRUE(scheduler_.waitUntilIdle());
    QStringList printers;
    for (const auto& job : scheduler_.jobs(baseline_)) {
      EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED) << job.id;
      printers << job.printer;
    }
    return printers;
  }

  // What the queue wrote for its last job, rasterised at 96 dpi; one page is required.
  QImage printedPage(const QString& queue) {
    const QString pdf = scheduler_.outputFile(queue);
    QString info;
    EXPECT_TRUE(test::runProgram("pdfinfo", {pdf}, &info)) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    const QString prefix = scheduler_.directory() + "/raster-" + queue;
    QString output;
    EXPECT_TRUE(
        test::runProgram("pdftoppm", {"-r", "96", "-png", "-singlefile", pdf, prefix}, &output))
        << output.toStdString();
    return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
  }

  CupsScheduler& scheduler_ = CupsScheduler::shared();
  int baseline_ = 0;
};

TEST_F(Spooler, DiscoveryListsTheSchedulersQueuesAndNoneGivesTheMessageOnPrint) {
  add("Zeta");
  add("Alpha");
  auto system = makeSystemPrintSystem();
  // CUPS lists its destinations by name, whatever order they were added in.
  EXPECT_EQ(ListInstalledPrinters(*system), (QStringList{"Alpha", "Zeta"}));
  remove("Zeta");
  EXPECT_EQ(ListInstalledPrinters(*system), QStringList{"Alpha"});

  QStringList messages;
  ReportWorkflow workflow(
      Language::English, [] { return test::sourcesWith(test::eventsOf(0)); }, nullptr, nullptr,
      [&](QWidget*, const QString& text) { messages << text; });
  workflow.Command5_Click();
  auto* list = workflow.printerset()->findChild<QListWidget*>("List1");
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), "Alpha");
  EXPECT_TRUE(messages.isEmpty());

  remove("Alpha");
  EXPECT_TRUE(ListInstalledPrinters(*system).isEmpty());
  workflow.Command5_Click();
  EXPECT_TRUE(messages.isEmpty());  // the settings, the preview and its PDF need no printer
  EXPECT_TRUE(workflow.printerset()->isVisible());
  EXPECT_EQ(list->count(), 1);  // the earlier list stays
  // Printing is what needs one.
  QTest::mouseClick(workflow.printerset()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  ASSERT_NE(workflow.printerpre(), nullptr);
  QTest::mouseClick(workflow.printerpre()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  EXPECT_EQ(messages, QStringList{"未找到安装的打印机！"});
}

TEST_F(Spooler, PrintedPageHoldsTheReportAtItsSizeFromThePrintableAreasCorner) {
  add("Alpha");
  add("Beta");
  ReportWorkflow workflow(
      Language::English, [] { return test::sourcesWith(test::eventsOf(3), plotLikeCanvas()); },
      nullptr);
  workflow.Command5_Click();
  auto* list = workflow.printerset()->findChild<QListWidget*>("List1");
  const auto beta = list->findItems("Beta", Qt::MatchExactly);
  ASSERT_EQ(beta.size(), 1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(beta[0]).center());
  QTest::mouseClick(workflow.printerset()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  PrintPreviewWindow* preview = workflow.printerpre();
  ASSERT_NE(preview, nullptr);
  QTest::mouseClick(preview->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  EXPECT_EQ(preview->findChild<QLabel*>("printStatus")->text(),
            "The report was sent to the printer \"Beta\".");
  EXPECT_EQ(jobPrinters(), QStringList{"Beta"});

  const QImage printed = printedPage("Beta");
  ASSERT_FALSE(printed.isNull());
  const QImage& page = preview->page();
  // 18 pt and 36 pt at 96 dpi.
  const QPoint origin(CupsScheduler::kMarginLeftPt * 96 / 72,
                      CupsScheduler::kMarginTopPt * 96 / 72);
  // At 96 dpi the printed page matches the canvas pixel for pixel, which means it came out
  // at its own physical size. The rasteriser may smear an edge by a pixel, so a dark pixel
  // on either side counts as matched when the other has one next to it. Compare the part
  // of the page the sheet's printable area holds.
  const QRect compared(0, 0, 740, 1000);
  int dark = 0;
  int unmatched = 0;
  for (int y = compared.top(); y <= compared.bottom(); ++y) {
    for (int x = compared.left(); x <= compared.right(); ++x) {
      const QPoint at = origin + QPoint(x, y);
      if (qGray(page.pixel(x, y)) < 128) {
        ++dark;
        unmatched += !darkNear(printed, at, 160);
      } else if (qGray(printed.pixel(at)) < 96) {
        unmatched += !darkNear(page, QPoint(x, y), 128);
      }
    }
  }
  EXPECT_GT(dark, 10000);
  EXPECT_LT(unmatched, dark / 200) << "of " << dark << " dark pixels";
  // Nothing above or left of the printable area.
  EXPECT_TRUE(test::inkBounds(printed, QRect(0, 0, printed.width(), origin.y())).isNull());
  EXPECT_TRUE(test::inkBounds(printed, QRect(0, 0, origin.x(), printed.height())).isNull());
  // The title and the plot where the page has them.
  const QRect title = test::inkBounds(page, QRect(300, 10, 300, 38));
  const QRect printedTitle =
      test::inkBounds(printed, title.translated(origin).adjusted(-5, -5, 5, 5));
  EXPECT_LE((printedTitle.topLeft() - title.translated(origin).topLeft()).manhattanLength(), 1);
  EXPECT_LE(std::abs(printedTitle.width() - title.width()), 1);
}

TEST_F(Spooler, ExactNameChoosesAndAnUnknownNameKeepsTheCurrentPrinter) {
  add("Alpha");
  add("Beta");
  add("Gamma");
  makeDefault("Alpha");
  auto system = makeSystemPrintSystem();
  ReportPrinter printer(*system);
  const QImage page = reportPage();
  using Outcome = PrintAttempt::Outcome;

  EXPECT_EQ(printer.Print(page, "").outcome, Outcome::Sent);  // the default
  EXPECT_EQ(printer.Print(page, "Beta").outcome, Outcome::Sent);
  remove("Gamma");
  EXPECT_EQ(printer.Print(page, "Gamma").printer, "Beta");  // removed since it was listed
  // CUPS would take "alpha" for Alpha; the choice needs the name exactly.
  EXPECT_EQ(printer.Print(page, "alpha").printer, "Beta");
  EXPECT_EQ(jobPrinters(), (QStringList{"Alpha", "Beta", "Beta", "Beta"}));
  EXPECT_FALSE(QFile::exists(scheduler_.outputFile("Gamma")));

  // Two prints, two jobs of one page each.
  QFile::remove(scheduler_.outputFile("Beta"));
  printer.Print(page, "Beta");
  EXPECT_EQ(jobPrinters().size(), 5);
  const QImage first = printedPage("Beta");
  QFile::remove(scheduler_.outputFile("Beta"));
  printer.Print(page, "Beta");
  EXPECT_EQ(jobPrinters().size(), 6);
  EXPECT_EQ(printedPage("Beta"), first);
}

TEST_F(Spooler, RefusedJobAndMissingPrinterAreReportedNotPrinted) {
  add("Alpha");
  add("Closed");
  QString error;
  ASSERT_TRUE(scheduler_.rejectJobs("Closed", &error)) << error.toStdString();
  auto system = makeSystemPrintSystem();
  ReportPrinter printer(*system);
  const QImage page = reportPage();

  const PrintAttempt refused = printer.Print(page, "Closed");
  EXPECT_EQ(refused.outcome, PrintAttempt::Outcome::Failed);
  EXPECT_EQ(refused.printer, "Closed");
  EXPECT_EQ(refused.spool.status, SpoolStatus::Refused);
  EXPECT_FALSE(refused.spool.detail.isEmpty());

  // The current printer disappears: the report is not printed, and says where it failed.
  remove("Closed");
  const PrintAttempt gone = printer.Print(page, "");
  EXPECT_EQ(gone.outcome, PrintAttempt::Outcome::Failed);
  EXPECT_EQ(gone.printer, "Closed");
  EXPECT_EQ(gone.spool.status, SpoolStatus::NotInstalled);
  EXPECT_TRUE(jobPrinters().isEmpty());

  // No printer at all, nothing chosen.
  remove("Alpha");
  ReportPrinter fresh(*system);
  EXPECT_EQ(fresh.Print(page, "Alpha").outcome, PrintAttempt::Outcome::NoPrinter);
  EXPECT_TRUE(jobPrinters().isEmpty());
}

}  // namespace
}  // namespace tracelink

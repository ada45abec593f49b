#include "report/print_preview_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "report/page_view.h"
#include "report/report_page.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

struct Preview {
  explicit Preview(Language language = Language::English, QString printer = "Lab",
                   PrintPreviewWindow::PrintFn print = {})
      : window(
            language, test::defaultHeader(),
            test::sourcesWith(test::eventsOf(3), test::stripedCanvas(723, 369)), printer,
            print ? print : [](const QImage&) { return PrintAttempt{}; }) {}

  template <class W>
  W* get(const char* name) {
    return window.findChild<W*>(QString::fromLatin1(name));
  }
  const QImage& view() { return get<PageView>("Picture1")->image(); }

  PrintPreviewWindow window;
};

TEST(PrintPreviewWindow, LoadComposesThePageAndShowsItsTop) {
  for (const Language language : {Language::English, Language::Chinese}) {
    Preview p(language, "Lab");
    const ReportSources sources =
        test::sourcesWith(test::eventsOf(3), test::stripedCanvas(723, 369));
    EXPECT_EQ(p.window.page(), ComposeReportPage(test::defaultHeader(), sources, language,
                                                 QLocale().decimalPoint()));
    EXPECT_EQ(p.get<PageView>("Picture2")->image(), p.window.page());
    EXPECT_TRUE(p.get<PageView>("Picture2")->isHidden());
    EXPECT_EQ(p.view(), p.window.page().copy(0, 0, 753, 553));
    EXPECT_EQ(p.get<PageView>("Picture1")->geometry(), QRect(8, 32, 753, 553));
    auto* bar = p.get<QScrollBar>("VScroll1");
    EXPECT_EQ(bar->geometry(), QRect(736, 32, 25, 553));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 25);
    EXPECT_EQ(bar->singleStep(), 1);
    EXPECT_EQ(bar->pageStep(), 1);
    EXPECT_EQ(bar->value(), 0);
    const bool english = language == Language::English;
    EXPECT_EQ(p.window.windowTitle(), english ? "VT520X Print Preview" : "VT520X v1.1 打印预览");
    EXPECT_EQ(p.get<QPushButton>("Command1")->text(), english ? "Print" : "打印");
    EXPECT_EQ(p.get<QLabel>("Label1")->text(),
              english ? "PrinterLab      pageA4(21cmx29.7cm)"
                      : "打印机名称：Lab      页面A4(21厘米x29.7厘米)");
  }
  Preview unnamed(Language::English, "");
  EXPECT_EQ(unnamed.get<QLabel>("Label1")->text(), "Printer      pageA4(21cmx29.7cm)");
}

TEST(PrintPreviewWindow, ScrollPositionsShowTwentyRowsPerStep) {
  Preview p;
  auto* bar = p.get<QScrollBar>("VScroll1");
  const QImage& page = p.window.page();
  struct Case {
    int value;
    int firstRow;
  };
  for (const Case c : {Case{25, 500}, Case{1, 20}, Case{13, 260}, Case{0, 0}}) {
    bar->setValue(c.value);
    const QImage& view = p.view();
    ASSERT_EQ(view.size(), QSize(753, 553));
    // The plot's rows are all different, so equal rows mean the right source rows.
    EXPECT_EQ(view, page.copy(0, c.firstRow, 753, 553)) << c.value;
    EXPECT_EQ(view.pixel(100, 0), page.pixel(100, c.firstRow)) << c.value;
    EXPECT_EQ(view.pixel(100, 552), page.pixel(100, c.firstRow + 552)) << c.value;
  }
}

class PreviewFocus : public ::testing::Test {
 protected:
  void SetUp() override {
    p.window.show();
    p.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.window));
  }
  Preview p;
};

TEST_F(PreviewFocus, ScrollingHandsTheFocusToThePrintButton) {
  auto* bar = p.get<QScrollBar>("VScroll1");
  auto* print = p.get<QPushButton>("Command1");
  p.get<QLabel>("Label1")->setFocus();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(bar->value(), 1);
  EXPECT_EQ(QApplication::focusWidget(), print);

  p.get<QLabel>("Label1")->setFocus();
  bar->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(QApplication::focusWidget(), print);
}

TEST(PreviewKeys, EnterOrSpaceAfterScrollingPrints) {
  int prints = 0;
  Preview p(Language::English, "Lab", [&](const QImage&) {
    ++prints;
    return PrintAttempt{};
  });
  p.window.show();
  p.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p.window));
  auto* bar = p.get<QScrollBar>("VScroll1");
  int expected = 0;
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(QApplication::focusWidget(), p.get<QPushButton>("Command1"));
    QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(prints, ++expected) << key;
  }
}

TEST_F(PreviewFocus, FailedPrintIsShownAndThePreviewStaysUsable) {
  int calls = 0;
  Preview failing(Language::English, "Lab", [&](const QImage& page) {
    ++calls;
    EXPECT_EQ(page.size(), QSize(753, 1241));
    PrintAttempt a;
    a.printer = "Lab";
    a.outcome = calls == 1 ? PrintAttempt::Outcome::Failed : PrintAttempt::Outcome::Sent;
    a.spool = {SpoolStatus::Refused, "queue stopped"};
    return a;
  });
  failing.window.show();
  QTest::mouseClick(failing.get<QPushButton>("Command1"), Qt::LeftButton);
  auto* box = failing.window.findChild<QMessageBox*>("printError");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->text(),
            "The report was not printed on \"Lab\": the print system refused the job (queue "
            "stopped)");
  EXPECT_EQ(failing.get<QLabel>("printStatus")->text(), box->text());
  box->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(failing.window.isVisible());

  QTest::mouseClick(failing.get<QPushButton>("Command1"), Qt::LeftButton);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(failing.get<QLabel>("printStatus")->text(),
            "The report was sent to the printer \"Lab\".");
}

}  // namespace
}  // namespace tracelink

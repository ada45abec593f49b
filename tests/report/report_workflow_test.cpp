#include "report/report_workflow.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "fake_print_system.h"
#include "report/print_preview_window.h"
#include "report/printer_set_window.h"
#include "report/report_page.h"
#include "report/report_strings.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

// With no printer, or on a second press of Print, the settings window comes up in front
// and active, even though something activated the main window meanwhile.
TEST(WorkflowWindows, SettingsWindowComesUpActiveInFrontOfTheMainWindow) {
  QWidget mainWindow;
  mainWindow.resize(300, 200);
  mainWindow.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
  auto system = std::make_unique<test::FakePrintSystem>();
  test::FakePrintSystem* names = system.get();
  int shown = 0;
  ReportWorkflow workflow(Language::English, {}, &mainWindow, std::move(system),
                          [&](QWidget* parent, const QString&) {
                            ++shown;
                            parent->activateWindow();  // as the closing message box does
                          });
  for (const QStringList& printers : {QStringList{}, QStringList{"Office"}}) {
    names->names = printers;
    mainWindow.activateWindow();
    workflow.Command5_Click();
    mainWindow.activateWindow();  // as a message box closed just now would
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QApplication::activeWindow() == workflow.printerset(); }, 2000))
        << printers.size();
    EXPECT_TRUE(workflow.printerset()->isVisible());
  }
  EXPECT_EQ(shown, 0);  // no printer is no message until a print is asked for
}

class Workflow : public ::testing::Test {
 protected:
  Workflow() {
    auto system = std::make_unique<test::FakePrintSystem>();
    system_ = system.get();
    system_->jobs = &jobs_;
    workflow_ = std::make_unique<ReportWorkflow>(
        Language::English,
        [this] {
          ++sourceReads_;
          return test::sourcesWith(test::eventsOf(2), test::stripedCanvas(100, 50));
        },
        nullptr, std::move(system), [this](QWidget*, const QString& text) { messages_ << text; });
  }

  QStringList listed() {
    QStringList names;
    auto* list = workflow_->printerset()->findChild<QListWidget*>("List1");
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
  }
  void clickEntry(const QString& name) {
    auto* list = workflow_->printerset()->findChild<QListWidget*>("List1");
    const auto items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items[0]).center());
  }
  void pressPreview() {
    QTest::mouseClick(workflow_->printerset()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  }
  void pressPrint() {
    ASSERT_NE(workflow_->printerpre(), nullptr);
    QTest::mouseClick(workflow_->printerpre()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  }

  test::FakePrintSystem* system_ = nullptr;
  std::vector<test::FakePrintSystem::Job> jobs_;
  QStringList messages_;
  int sourceReads_ = 0;
  std::unique_ptr<ReportWorkflow> workflow_;
};

TEST_F(Workflow, DiscoveryListsNamesInTheSystemsOrderOnce) {
  system_->names = {"Zeta", "Alpha", "Zeta", "", "Mid", "Alpha"};
  workflow_->Command5_Click();
  EXPECT_EQ(listed(), (QStringList{"Zeta", "Alpha", "Mid"}));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_TRUE(workflow_->printerset()->isVisible());
  EXPECT_FALSE(workflow_->printerset()->isModal());
}

// The preview and its PDF need no printer: with none the settings window opens without a
// word, and an earlier list stays.
TEST_F(Workflow, NoPrinterOpensTheSettingsWithoutAMessage) {
  workflow_->Command5_Click();
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_TRUE(workflow_->printerset()->isVisible());
  EXPECT_TRUE(listed().isEmpty());

  // A later press with printers, then one without: the earlier list stays.
  system_->names = {"Office", "Lab"};
  workflow_->Command5_Click();
  system_->names = {};
  workflow_->Command5_Click();
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_EQ(listed(), (QStringList{"Office", "Lab"}));
}

TEST_F(Workflow, ClosingTheSettingsDiscardsThemHidingKeepsThem) {
  system_->names = {"Office"};
  workflow_->Command5_Click();
  workflow_->printerset()->findChild<QLineEdit*>("Text5")->setText("Kim");
  clickEntry("Office");
  pressPreview();  // hides
  workflow_->Command5_Click();
  EXPECT_EQ(workflow_->printerset()->findChild<QLineEdit*>("Text5")->text(), "Kim");
  EXPECT_EQ(workflow_->chosenPrinter(), "Office");
  EXPECT_EQ(workflow_->printerset()->findChild<QLineEdit*>("Text7")->text(), "Office");

  QPointer<PrinterSetWindow> old = workflow_->printerset();
  old->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(old.isNull());
  system_->names = {};
  workflow_->Command5_Click();
  EXPECT_EQ(workflow_->printerset()->findChild<QLineEdit*>("Text5")->text(), "TE Marlow");
  EXPECT_EQ(workflow_->chosenPrinter(), "");
  EXPECT_EQ(workflow_->printerset()->findChild<QLineEdit*>("Text7")->text(), "");
  EXPECT_TRUE(listed().isEmpty());
}

// The header values are the workflow's to give, whether the settings window was never
// opened, is open, hidden, or was closed (which brings its defaults back).
TEST_F(Workflow, HeaderValuesAreTheSettingsOrTheirDefaults) {
  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  const ReportHeader untouched = workflow_->header();
  EXPECT_EQ(workflow_->loadedPrinterset(), nullptr);  // asking loads nothing
  EXPECT_EQ(untouched.deviceName, "VT520X");
  EXPECT_EQ(untouched.cableNo, "00088");
  EXPECT_EQ(untouched.fiberNo, "000999");
  EXPECT_EQ(untouched.fiberType, "Single Mode");
  EXPECT_EQ(untouched.operatorName, "TE Marlow");
  const QDateTime at = QDateTime::fromString(untouched.time, "yyyy-MM-dd HH:mm:ss");
  ASSERT_TRUE(at.isValid()) << untouched.time.toStdString();
  EXPECT_GE(at, before.addSecs(-1));

  workflow_->Command5_Click();
  const ReportHeader shown = workflow_->printerset()->headerTexts();
  EXPECT_EQ(workflow_->header().operatorName, shown.operatorName);
  EXPECT_EQ(workflow_->header().time, shown.time);
  workflow_->printerset()->findChild<QLineEdit*>("Text2")->setText("C-9");
  pressPreview();  // hides the settings
  EXPECT_EQ(workflow_->header().cableNo, "C-9");

  QPointer<PrinterSetWindow> settings = workflow_->printerset();
  settings->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(settings.isNull());
  EXPECT_EQ(workflow_->header().cableNo, "00088");
}

TEST(DefaultReportHeader, TheSettingsDefaultsOfEachBuildAndTheTimeGiven) {
  const QDateTime at(QDate(2026, 12, 8), QTime(9, 5, 7));
  const ReportHeader en = defaultReportHeader(Language::English, at);
  const ReportHeader zh = defaultReportHeader(Language::Chinese, at);
  EXPECT_EQ(en.time, "2026-12-08 09:05:07");
  EXPECT_EQ(zh.time, "2026-12-08 09:05:07");
  EXPECT_EQ(en.operatorName, "TE Marlow");
  EXPECT_EQ(zh.operatorName, "林工");
  EXPECT_EQ(zh.deviceName, "VT520X光时域反射仪");
  EXPECT_EQ(zh.fiberType, "常规单模光纤");
  EXPECT_EQ(zh.cableNo, en.cableNo);
}

TEST_F(Workflow, PreviewComposesOncePerLoadFromTheValuesOfThatMoment) {
  system_->names = {"Office"};
  workflow_->Command5_Click();
  workflow_->printerset()->findChild<QLineEdit*>("Text5")->setText("");
  clickEntry("Office");
  pressPreview();
  PrintPreviewWindow* preview = workflow_->printerpre();
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->isVisible());
  EXPECT_FALSE(workflow_->printerset()->isVisible());
  EXPECT_EQ(sourceReads_, 1);
  ReportHeader header = workflow_->printerset()->headerTexts();
  EXPECT_EQ(header.operatorName, "");
  EXPECT_EQ(
      preview->page(),
      ComposeReportPage(header, test::sourcesWith(test::eventsOf(2), test::stripedCanvas(100, 50)),
                        Language::English, QLocale().decimalPoint()));

  // Back through the print button and Preview again: the open preview is not recomposed.
  workflow_->Command5_Click();
  workflow_->printerset()->findChild<QLineEdit*>("Text5")->setText("Changed");
  pressPreview();
  EXPECT_EQ(workflow_->printerpre(), preview);
  EXPECT_EQ(sourceReads_, 1);

  // Closed and opened again: a new page from the new values.
  preview->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(workflow_->printerpre(), nullptr);
  workflow_->Command5_Click();
  pressPreview();
  ASSERT_NE(workflow_->printerpre(), nullptr);
  EXPECT_EQ(sourceReads_, 2);
  EXPECT_NE(
      workflow_->printerpre()->page(),
      ComposeReportPage(header, test::sourcesWith(test::eventsOf(2), test::stripedCanvas(100, 50)),
                        Language::English, QLocale().decimalPoint()));
}

TEST_F(Workflow, PrintGoesToTheExactlyNamedPrinterAndTheChoiceLasts) {
  system_->names = {"Alpha", "Beta", "beta2"};
  system_->defaultName = "Alpha";
  workflow_->Command5_Click();
  pressPreview();
  pressPrint();  // nothing chosen: the system default
  clickEntry("Beta");
  pressPrint();                        // the settings' choice is read when printing
  system_->names = {"Alpha", "Beta"};  // beta2 removed after it was listed
  clickEntry("beta2");
  pressPrint();  // unknown now: Beta stays current
  workflow_->printerset()->findChild<QLineEdit*>("Text7")->setText("BETA");
  pressPrint();  // names match exactly or not at all
  ASSERT_EQ(jobs_.size(), 4u);
  EXPECT_EQ(jobs_[0].printer, "Alpha");
  EXPECT_EQ(jobs_[1].printer, "Beta");
  EXPECT_EQ(jobs_[2].printer, "Beta");
  EXPECT_EQ(jobs_[3].printer, "Beta");
  EXPECT_EQ(jobs_[0].page, workflow_->printerpre()->page());
  EXPECT_EQ(workflow_->printer().currentPrinter(), "Beta");

  // The choice outlives both windows.
  workflow_->printerpre()->close();
  workflow_->printerset()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  workflow_->Command5_Click();
  pressPreview();
  pressPrint();
  ASSERT_EQ(jobs_.size(), 5u);
  EXPECT_EQ(jobs_[4].printer, "Beta");
}

TEST_F(Workflow, NoPrinterAtAllIsReportedAndNothingIsSent) {
  workflow_->Command5_Click();
  pressPreview();
  EXPECT_TRUE(messages_.isEmpty());
  pressPrint();
  EXPECT_TRUE(jobs_.empty());
  EXPECT_EQ(workflow_->printerpre()->findChild<QLabel*>("printStatus")->text(),
            "No printer is installed, so the report was not printed.");
  // The program's own message, once, and no second box from the preview.
  EXPECT_EQ(messages_, QStringList{"未找到安装的打印机！"});
  EXPECT_EQ(workflow_->printerpre()->findChild<QMessageBox*>("printError"), nullptr);

  system_->names = {"Alpha"};  // installed, but no default and none chosen
  pressPrint();
  EXPECT_TRUE(jobs_.empty());
  EXPECT_EQ(workflow_->printerpre()->findChild<QLabel*>("printStatus")->text(),
            reportStrings(Language::English).preview.noDefault);
  EXPECT_EQ(messages_.size(), 1);
}

TEST(WorkflowMessageBox, NoPrinterBoxIsPlainWithOnlyOk) {
  ReportWorkflow workflow(Language::English, {}, nullptr,
                          std::make_unique<test::FakePrintSystem>());
  workflow.Command5_Click();
  QTest::mouseClick(workflow.printerset()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  ASSERT_NE(workflow.printerpre(), nullptr);
  QString text;
  QString title;
  QMessageBox::StandardButtons buttons;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    text = box->text();
    title = box->windowTitle();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });
  poll.start();
  QTest::mouseClick(workflow.printerpre()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  poll.stop();
  EXPECT_EQ(text, "未找到安装的打印机！");
  EXPECT_EQ(title, QGuiApplication::applicationDisplayName());
  EXPECT_EQ(buttons, QMessageBox::Ok);
  EXPECT_TRUE(workflow.printerpre()->isVisible());
}

TEST(WorkflowWindows, BothWindowsAreCentredOnTheScreenOrKeptOnIt) {
  auto system = std::make_unique<test::FakePrintSystem>();
  system->names = {"Lab"};
  ReportWorkflow workflow(Language::English, {}, nullptr, std::move(system));
  workflow.Command5_Click();
  QTest::mouseClick(workflow.printerset()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  for (QWidget* w : {static_cast<QWidget*>(workflow.printerset()),
                     static_cast<QWidget*>(workflow.printerpre())}) {
    const int freeX = screen.width() - w->width();
    const int freeY = screen.height() - w->height();
    if (freeX >= 0) {
      EXPECT_EQ(w->x(), screen.left() + freeX / 2) << w->objectName().toStdString();
    }
    if (freeY >= 0) {
      EXPECT_EQ(w->y(), screen.top() + freeY / 2) << w->objectName().toStdString();
    }
  }
  // The preview is taller than the offscreen screen: it is kept at the top.
  if (screen.height() < workflow.printerpre()->height()) {
    EXPECT_EQ(workflow.printerpre()->y(), screen.top());
  }
}

TEST(PrintMessages, NameThePrinterAndTheReasonInBothBuilds) {
  PrintAttempt refused{PrintAttempt::Outcome::Failed, "Lab", {SpoolStatus::Refused, "stopped"}};
  PrintAttempt missing{PrintAttempt::Outcome::Failed, "Lab", {SpoolStatus::NotInstalled, {}}};
  EXPECT_EQ(describePrintAttempt(refused, Language::English),
            "The report was not printed on \"Lab\": the print system refused the job (stopped)");
  EXPECT_EQ(describePrintAttempt(missing, Language::English),
            "The report was not printed on \"Lab\": the printer is not installed");
  EXPECT_EQ(describePrintAttempt(refused, Language::Chinese),
            "报告未能在打印机“Lab”上打印：打印系统拒绝了该作业（stopped）");
}

}  // namespace
}  // namespace tracelink

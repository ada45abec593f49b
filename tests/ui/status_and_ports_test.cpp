// What a technician tripped over in the window, in both languages: status texts read
// whole (the elided status line and the Measurements window), Esc and the readout, the
// system's serial ports in the port box, Save Cur before an upload, and a report with no
// printer installed.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "files/record_file.h"
#include "files/record_text.h"
#include "record/fill_in.h"
#include "report/fake_print_system.h"
#include "report/pdf_save_dialog.h"
#include "report/print_preview_window.h"
#include "report/printer_set_window.h"
#include "ui/main_window.h"
#include "ui/measurements_window.h"
#include "ui/trace_view.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

constexpr Language kLanguages[] = {Language::English, Language::Chinese};

class StatusAndPortsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }

  std::unique_ptr<MainWindow> open(Language language, MainWindowOptions options) {
    auto w = std::make_unique<MainWindow>(language, std::move(options));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }
  std::unique_ptr<MainWindow> open(Language language) {
    return open(language, harness.options(folder(), noPort));
  }
  void writeTrace() {
    QDir().mkpath(folder());
    TraceRecord record = makeRecord(7);
    EXPECT_TRUE(WriteRecordFile(QDir(folder()).filePath("a.otdr").toStdString(),
                                BuildRecordText(record, 12))
                    .ok());
  }
  // The window with a saved trace loaded from the list.
  std::unique_ptr<MainWindow> openWithTrace(Language language) {
    writeTrace();
    return loaded(open(language));
  }
  std::unique_ptr<MainWindow> loaded(std::unique_ptr<MainWindow> w) {
    w->openTraceFile(QDir(folder()).filePath("a.otdr"));
    return w;
  }
  static QStatusBar* bar(MainWindow& w) { return w.findChild<QStatusBar*>("StatusBar"); }
  // Points at pixel x of the plot and presses a key there.
  static void keyAt(MainWindow& w, int x, Qt::Key key) {
    QTest::mouseMove(w.traceView(), QPoint(x, 150));
    QTest::keyClick(&w, key);
  }
  static void eventLossAt(MainWindow& w, int x) {
    QTest::mousePress(w.traceView(), Qt::RightButton, {}, QPoint(x, 150));
    QTest::mouseRelease(w.traceView(), Qt::RightButton, {}, QPoint(x, 150));
    w.plotMenu()->hide();
    w.plotMenu()->findChild<QAction*>("EventLossHere")->trigger();
  }
};

TEST_F(StatusAndPortsTest, ALongStatusIsElidedAtTheRightWithTheWholeTextAsItsTooltip) {
  for (Language language : kLanguages) {
    SCOPED_TRACE(int(language));
    auto w = openWithTrace(language);
    const UiStrings& s = uiStrings(language);
    // A short text is shown as it always was, with no tooltip.
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("a.otdr")}));
    EXPECT_EQ(bar(*w)->currentMessage(), w->statusText());
    EXPECT_TRUE(bar(*w)->toolTip().isEmpty());

    const QString name = QString(160, QLatin1Char('x')) + QStringLiteral("-end.otdr");
    w->openTraceFile(QDir(folder()).filePath(name));
    const QString whole = w->statusText();
    EXPECT_TRUE(whole.contains(name)) << whole.toStdString();
    const QString shown = bar(*w)->currentMessage();
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(whole.startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_LE(QFontMetrics(bar(*w)->font()).horizontalAdvance(shown), bar(*w)->width());
    EXPECT_EQ(bar(*w)->toolTip(), whole);
    // The original window keeps its fixed size.
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
  }
}

TEST_F(StatusAndPortsTest, MeasurementsWindowShowsTheReadoutTheEventLossAndTheLastMessages) {
  struct Case {
    Language language;
    const char* eventWord;
  };
  for (const Case& c : {Case{Language::English, "Event at "}, Case{Language::Chinese, "事件 "}}) {
    SCOPED_TRACE(c.eventWord);
    const UiStrings& s = uiStrings(c.language);
    auto w = openWithTrace(c.language);
    QAction* action = w->plotMenu()->findChild<QAction*>("Measurements");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), s.measurements);
    EXPECT_TRUE(w->plotMenu()->actions().contains(action));

    keyAt(*w, 100, Qt::Key_A);
    const std::int32_t atA = w->traceView()->cursorM();
    keyAt(*w, 650, Qt::Key_B);
    const std::int32_t atB = w->traceView()->cursorM();
    eventLossAt(*w, 360);
    QTest::keyClick(w.get(), Qt::Key_M, Qt::ControlModifier);
    auto* shown = w->findChild<MeasurementsWindow*>();
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowTitle(), s.measurementsTitle);

    const QStringList lines = shown->text().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 8) << shown->text().toStdString();
    EXPECT_EQ(lines[0], s.measurementsMarkers);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("A %1 m ").arg(atA))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("B %1 m ").arg(atB))) << lines[1].toStdString();
    EXPECT_EQ(lines[3], s.measurementsEventLoss);
    EXPECT_TRUE(lines[4].startsWith(QString::fromUtf8(c.eventWord))) << lines[4].toStdString();
    EXPECT_TRUE(lines[4].contains(QStringLiteral("LSA"))) << lines[4].toStdString();
    // The status line holds the same readout and result, however much of it shows.
    EXPECT_TRUE(w->statusText().startsWith(lines[1])) << w->statusText().toStdString();
    EXPECT_TRUE(w->statusText().endsWith(lines[4])) << w->statusText().toStdString();
    // The readouts are not messages: the messages are the loads (the list loads its first
    // file when it takes the focus, then the test loads it).
    EXPECT_EQ(lines[6], fillIn(s.measurementsMessages, {QString::number(lines.size() - 7)}));
    for (qsizetype i = 7; i < lines.size(); ++i)
      EXPECT_EQ(lines[i], fillIn(s.messageAt, {QStringLiteral("10:05:07"),
                                               fillIn(s.loaded, {QStringLiteral("a.otdr")})}));

    // Resizable, while the main window stays fixed; selectable and copyable.
    EXPECT_NE(shown->minimumSize(), shown->maximumSize());
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    auto* text = shown->findChild<QPlainTextEdit*>("MeasurementsText");
    EXPECT_TRUE(text->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    EXPECT_TRUE(text->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    QTest::mouseClick(shown->findChild<QPushButton*>("MeasurementsCopy"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), shown->text());

    // It follows what happens in the main window.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    keyAt(*w, 300, Qt::Key_Escape);
    EXPECT_EQ(shown->text().split(QLatin1Char('\n')).value(1), s.measurementsNoMarkers);
    EXPECT_EQ(shown->text().split(QLatin1Char('\n')).value(4), s.measurementsNoEvent);
  }
}

TEST_F(StatusAndPortsTest, TheLastFiftyMessagesAreKeptNewestLast) {
  for (Language language : kLanguages) {
    auto w = open(language);
    for (int i = 0; i < 60; ++i)
      w->openTraceFile(QDir(folder()).filePath(QStringLiteral("missing-%1.otdr").arg(i)));
    const MeasurementsContent content = w->measurementsContent();
    ASSERT_EQ(content.messages.size(), MainWindow::kKeptMessages);
    EXPECT_TRUE(content.messages.front().contains("missing-10.otdr"));
    EXPECT_TRUE(content.messages.back().contains("missing-59.otdr"));
    EXPECT_TRUE(content.messages.back().endsWith(w->statusText()));
    const QString text = w->showMeasurementsWindow()->text();
    EXPECT_TRUE(text.contains(fillIn(uiStrings(language).measurementsMessages, {"50"})));
    EXPECT_TRUE(text.endsWith(content.messages.back()));
  }
}

// Esc takes the markers' readout and event-loss text off the status line with the markers;
// any other message stays where it is.
TEST_F(StatusAndPortsTest, EscClearsTheReadoutButNoOtherMessage) {
  for (Language language : kLanguages) {
    SCOPED_TRACE(int(language));
    const UiStrings& s = uiStrings(language);
    auto w = openWithTrace(language);
    const QString loaded = w->statusText();
    keyAt(*w, 300, Qt::Key_Escape);
    EXPECT_EQ(w->statusText(), loaded);

    keyAt(*w, 100, Qt::Key_A);
    keyAt(*w, 650, Qt::Key_B);
    eventLossAt(*w, 360);
    ASSERT_EQ(w->statusText(), w->measurementText());
    keyAt(*w, 300, Qt::Key_Escape);
    EXPECT_FALSE(w->session().markers().a);
    EXPECT_EQ(w->statusText(), QString());
    EXPECT_EQ(bar(*w)->currentMessage(), QString());
    EXPECT_TRUE(bar(*w)->toolTip().isEmpty());

    // A message shown after the readout is not a readout.
    keyAt(*w, 100, Qt::Key_A);
    w->Command2_Click();
    EXPECT_EQ(w->statusText(), s.saveNeedsUpload);
    keyAt(*w, 300, Qt::Key_Escape);
    EXPECT_FALSE(w->session().markers().a);
    EXPECT_EQ(w->statusText(), s.saveNeedsUpload);
  }
}

TEST_F(StatusAndPortsTest, ThePortBoxListsTheSystemsPortsAfterTheNumbers) {
  FakePort one;
  FakePort usb;
  FakePort acm;
  FakePort onboard;
  const std::function<QString(int)> mapping = [&](int n) {
    return n == 1 ? one.device() : noPort(n);
  };
  const std::vector<SystemPort> reported{
      {"ttyUSB0", usb.device(), "USB-Serial Controller", true},
      {"pts-one", one.device(), "another pty", false},
      {"ttyACM0", acm.device(), "", true},
      {"ttyAMA0", onboard.device(), "", false},
  };
  struct Case {
    bool numbered;
    const char* shown;  // what the box shows after the scan
  };
  for (Language language : kLanguages) {
    for (const Case& c : {Case{true, "1"}, Case{false, "ttyACM0"}}) {
      SCOPED_TRACE(c.shown);
      MainWindowOptions o =
          harness.options(folder(), c.numbered ? mapping : std::function<QString(int)>(noPort));
      o.systemPorts = [&] { return reported; };
      auto w = open(language, std::move(o));
      auto* combo = w->findChild<QComboBox*>("Combo1");
      QStringList entries;
      for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
      // A port that number 1 reaches is listed once, as the number.
      const QStringList expected =
          c.numbered ? QStringList{"1", "ttyUSB0 (USB-Serial Controller)", "ttyACM0", "ttyAMA0"}
                     : QStringList{"ttyUSB0 (USB-Serial Controller)", "pts-one (another pty)",
                                   "ttyACM0", "ttyAMA0"};
      EXPECT_EQ(entries, expected);
      EXPECT_EQ(combo->currentText(), c.shown);
      // A system port's name is seen from its start in the narrow box.
      if (!c.numbered) {
        EXPECT_EQ(combo->lineEdit()->cursorPosition(), 0);
      }

      // Choosing an entry connects to its device.
      const UiStrings& s = uiStrings(language);
      auto* button = w->findChild<QPushButton*>("Command1");
      for (const auto& [entry, device] :
           {std::pair{QStringLiteral("ttyAMA0"), onboard.device()},
            std::pair{QStringLiteral("ttyUSB0 (USB-Serial Controller)"), usb.device()}}) {
        combo->setCurrentIndex(combo->findText(entry));
        EXPECT_EQ(combo->lineEdit()->cursorPosition(), 0);
        EXPECT_EQ(w->chosenPort(), device);
        w->Command1_Click();
        EXPECT_EQ(button->text(), s.disconnect) << w->statusText().toStdString();
        EXPECT_EQ(w->statusText(), fillIn(s.connected, {device}));
        w->Command1_Click();
        EXPECT_EQ(button->text(), s.connect);
      }
      // A typed text is still read as typed.
      combo->setEditText(acm.device());
      EXPECT_EQ(w->chosenPort(), acm.device());
    }
  }
}

TEST_F(StatusAndPortsTest, SaveCurBeforeAnUploadSaysWhyItSavesNothing) {
  for (Language language : kLanguages) {
    auto w = open(language);
    w->Command2_Click();
    EXPECT_EQ(harness.dialog->asked, 0);
    EXPECT_EQ(w->statusText(), uiStrings(language).saveNeedsUpload);
    // A trace loaded from a file was not uploaded either.
    w = openWithTrace(language);
    w->Command2_Click();
    EXPECT_EQ(harness.dialog->asked, 0);
    EXPECT_EQ(w->statusText(), uiStrings(language).saveNeedsUpload);
    EXPECT_EQ(QDir(folder()).entryList({"*.otdr"}, QDir::Files), QStringList{"a.otdr"});
  }
}

class AnswerPdfPath : public PdfSaveDialog {
 public:
  explicit AnswerPdfPath(QString path) : path_(std::move(path)) {}
  QString askSavePath(QWidget*, const QString&, const QString&, const QString&) override {
    return path_;
  }

 private:
  QString path_;
};

// With no printer installed the report is still previewed and saved as PDF without a
// word; only printing it says that there is no printer, in the program's own message.
TEST_F(StatusAndPortsTest, AReportWithoutAPrinterIsPreviewedAndSavedAsPdf) {
  for (Language language : kLanguages) {
    SCOPED_TRACE(int(language));
    harness.messages->shown.clear();
    std::vector<FakePrintSystem::Job> jobs;
    MainWindowOptions o = harness.options(folder(), noPort);
    o.makePrintSystem = [&jobs] {
      auto none = std::make_unique<FakePrintSystem>();
      none->jobs = &jobs;
      return none;
    };
    writeTrace();
    auto w = loaded(open(language, std::move(o)));

    QTest::mouseClick(w->findChild<QPushButton*>("Command5"), Qt::LeftButton);
    EXPECT_TRUE(harness.messages->shown.isEmpty());
    PrinterSetWindow* settings = w->report()->printerset();
    ASSERT_TRUE(settings->isVisible());
    QTest::mouseClick(settings->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    PrintPreviewWindow* preview = w->report()->printerpre();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->page().isNull());

    const QString pdf = dir.filePath(QStringLiteral("report-%1.pdf").arg(int(language)));
    preview->setPdfSaving(std::make_unique<AnswerPdfPath>(pdf), folder());
    preview->SavePdf();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_TRUE(harness.messages->shown.isEmpty());

    QTest::mouseClick(preview->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    EXPECT_EQ(harness.messages->shown, QStringList{QStringLiteral("未找到安装的打印机！")});
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(preview->findChild<QMessageBox*>("printError"), nullptr);
  }
}

}  // namespace
}  // namespace tracelink::test

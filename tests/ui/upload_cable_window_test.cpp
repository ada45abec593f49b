// "Upload cable…" in the window: its dialog and remembered answers, how it is reached (the
// port box's context menu, Ctrl+U), and a cable uploaded from the simulated instrument as
// the technician sees it on the status line, in the list and in the progress bars.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "integration/sim_harness.h"
#include "ui/main_window.h"
#include "ui/status_line.h"
#include "ui/upload_cable_dialog.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

class UploadCableWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The remembered answers go to a folder of the test's own, never the user's.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  }
  QTemporaryDir dir;
  QTemporaryDir settingsDir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }

  std::unique_ptr<MainWindow> window(Language language = Language::English) {
    return std::make_unique<MainWindow>(language, harness.options(folder(), noPort));
  }
  std::unique_ptr<MainWindow> connectTo(const SimProcess& sim,
                                        Language language = Language::English) {
    auto w = window(language);
    w->findChild<QComboBox*>("Combo1")->setEditText(sim.device());
    w->Command1_Click();
    return w;
  }
  static bool finish(MainWindow& w) {
    return QTest::qWaitFor([&] { return !w.cableUpload()->running(); }, 60000);
  }
  CablePlan plan(CableFormat format = CableFormat::Otdr) const {
    CablePlan p;
    p.cable = "CABLE";
    p.locationA = "Exchange";
    p.locationB = "Cabinet 7";
    p.operatorName = "R. Smith";
    p.folder = folder().toStdString();
    p.format = format;
    return p;
  }
};

TEST_F(UploadCableWindowTest, TheDialogGivesThePlanAndRemembersItsAnswers) {
  CablePlan given = plan(CableFormat::Sor);
  given.firstFiber = 13;
  given.fiberStep = 2;
  given.direction = CableDirection::FromB;
  given.traces = TraceChoice::range(3, 14);
  given.onExisting = OnExisting::KeepBoth;
  {
    UploadCableDialog dialog(Language::English, "/default/folder");
    dialog.setPlan(given);
    const CablePlan back = dialog.plan();
    EXPECT_EQ(back.cable, "CABLE");
    EXPECT_EQ(back.firstFiber, 13);
    EXPECT_EQ(back.fiberStep, 2);
    EXPECT_EQ(back.direction, CableDirection::FromB);
    EXPECT_EQ(back.locationA, "Exchange");
    EXPECT_EQ(back.locationB, "Cabinet 7");
    EXPECT_EQ(back.operatorName, "R. Smith");
    EXPECT_EQ(back.folder, given.folder);
    EXPECT_EQ(back.format, CableFormat::Sor);
    EXPECT_EQ(back.traces, TraceChoice::range(3, 14));
    EXPECT_EQ(back.onExisting, OnExisting::KeepBoth);
    Settings settings(settingsDir.filePath("tracelink.ini"));
    dialog.saveAnswers(settings);
  }
  // A new dialog, in the other language build, starts from the answers.
  UploadCableDialog next(Language::Chinese, "/default/folder");
  EXPECT_EQ(next.plan().folder, std::filesystem::path("/default/folder"));
  const Settings settings(settingsDir.filePath("tracelink.ini"));
  next.loadAnswers(settings);
  CablePlan expected = given;
  expected.language = Language::Chinese;
  const CablePlan loaded = next.plan();
  EXPECT_EQ(loaded.cable, expected.cable);
  EXPECT_EQ(loaded.firstFiber, 13);
  EXPECT_EQ(loaded.direction, CableDirection::FromB);
  EXPECT_EQ(loaded.traces, TraceChoice::range(3, 14));
  EXPECT_EQ(loaded.onExisting, OnExisting::KeepBoth);
  EXPECT_EQ(loaded.folder, given.folder);
}

TEST_F(UploadCableWindowTest, ARefusedPlanKeepsTheDialogOpenAndSaysWhy) {
  struct Case {
    Language language;
    std::string expected;
  };
  const Case cases[] = {
      {Language::English,
       "the operator holds a character a SOR file cannot carry (printable ASCII only)"},
      {Language::Chinese, "操作员含有SOR文件无法保存的字符（只允许可打印的ASCII字符）"},
  };
  for (const Case& c : cases) {
    UploadCableDialog dialog(c.language, folder());
    CablePlan p = plan(CableFormat::Sor);
    p.operatorName = "Zoë";
    dialog.setPlan(p);
    dialog.show();
    dialog.findChild<QDialogButtonBox*>("Buttons")->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.problem().toStdString(), c.expected);
    // Mended, it is taken.
    dialog.findChild<QLineEdit*>("Operator")->setText("Zoe");
    dialog.findChild<QDialogButtonBox*>("Buttons")->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

TEST_F(UploadCableWindowTest, ReachedFromThePortBoxMenuAndCtrlU) {
  auto w = window();
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  QAction* action = w->uploadCableAction();
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "Upload cable…");
  EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));

  // The port box's text field keeps its own menu, with the command added.
  QLineEdit* edit = w->findChild<QComboBox*>("Combo1")->lineEdit();
  emit edit->customContextMenuRequested(QPoint(5, 5));
  QMenu* menu = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->objectName() == "PortMenu" && top->isVisible()) menu = qobject_cast<QMenu*>(top);
    return menu != nullptr;
  }));
  EXPECT_TRUE(menu->actions().contains(action));
  EXPECT_GT(menu->actions().size(), 2);  // cut, copy, paste... before it
  menu->close();

  // Ctrl+U opens the dialog; cancelling it starts nothing.
  QString seen;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    seen = modal ? modal->objectName() : QString("none");
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  });
  QTest::keyClick(w.get(), Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(seen, "UploadCableDialog");
  // From the port box too, whose text stays as typed.
  edit->setText("/dev/ttyUSB0");
  QApplication::setActiveWindow(w.get());
  QComboBox* combo = w->findChild<QComboBox*>("Combo1");
  combo->setFocus();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return QApplication::focusWidget() == combo || QApplication::focusWidget() == edit; }));
  seen.clear();
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    seen = modal ? modal->objectName() : QString("none");
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  });
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(seen, "UploadCableDialog");
  EXPECT_EQ(edit->text(), "/dev/ttyUSB0");
  EXPECT_FALSE(w->cableUpload()->running());
  EXPECT_TRUE(w->statusText().isEmpty()) << w->statusText().toStdString();
}

TEST_F(UploadCableWindowTest, TwelveFibresInTheListAndTheSummaryOnTheStatusLine) {
  struct Case {
    Language language;
    QString fibreLine;
    QString summary;
  };
  const Case cases[] = {
      {Language::English, "Uploading fibre 05 (trace 5)…", "12 fibres saved, 0 skipped, 0 failed"},
      {Language::Chinese, "正在上传光纤 05（曲线 5）…", "已保存 12 根光纤，跳过 0 根，失败 0 根"},
  };
  for (const Case& c : cases) {
    QDir(folder()).removeRecursively();
    SimProcess sim({"--stored", "12", "--range", "4"});
    auto w = connectTo(sim, c.language);
    QStringList lines;
    QObject::connect(w->findChild<StatusLine*>("StatusBar"), &StatusLine::textChanged,
                     [&](const QString& m) { lines << m; });
    bool bar2Seen = false;
    QObject::connect(w->findChild<UploadController*>(), &UploadController::progressChanged,
                     [&](const TransferProgress&) {
                       bar2Seen |=
                           w->findChild<QProgressBar*>("ProgressBar2")->isVisibleTo(w.get());
                     });
    // SOR, the dialog's default: the save list shows .sor files beside .otdr files.
    w->startCableUpload(plan(CableFormat::Sor));
    ASSERT_TRUE(finish(*w));
    EXPECT_TRUE(lines.contains(c.fibreLine)) << lines.join(" | ").toStdString();
    EXPECT_EQ(w->statusText(), c.summary);
    EXPECT_TRUE(bar2Seen);
    EXPECT_TRUE(w->findChild<QProgressBar*>("ProgressBar1")->isHidden());
    EXPECT_TRUE(w->findChild<QProgressBar*>("ProgressBar2")->isHidden());
    // The fibres are in the save list, under their names; Upload All's names are not.
    QListWidget* list = w->findChild<QListWidget*>("List1");
    // In name order, as the list always is.
    QStringList listed;
    for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
    QStringList expected;
    for (int f = 1; f <= 12; ++f) expected << QString("CABLE_F%1_AB.sor").arg(f, 2, 10, QChar('0'));
    EXPECT_EQ(listed, expected);
  }
}

TEST_F(UploadCableWindowTest, DisconnectingKeepsWhatWasSavedAndSaysSo) {
  SimProcess sim({"--stored", "12", "--range", "0", "--line-rate"});
  auto w = connectTo(sim);
  CablePlan p = plan();
  p.folder = dir.filePath("elsewhere").toStdString();
  w->startCableUpload(p);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->cableUpload()->results().size() >= 2; }, 60000));
  w->Command1_Click();  // the disconnect button
  EXPECT_FALSE(w->cableUpload()->running());
  const std::size_t saved = w->cableUpload()->results().size();
  const QString expected = QString(
                               "Cable upload abandoned: %1 fibres saved, 0 skipped, 0 failed (in "
                               "%2); Disconnected from %3")
                               .arg(saved)
                               .arg(QDir::toNativeSeparators(dir.filePath("elsewhere")))
                               .arg(sim.device());
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->statusText() == expected; }, 2000))
      << w->statusText().toStdString();
  EXPECT_EQ(static_cast<std::size_t>(QDir(dir.filePath("elsewhere")).entryList(QDir::Files).size()),
            saved);
}

}  // namespace
}  // namespace tracelink::test

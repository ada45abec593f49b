// The main window against the simulated instrument on a pseudo-terminal, through the real
// serial adapter: what a technician sees of an upload, and what saving does afterwards.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "files/record_file.h"
#include "files/record_text.h"
#include "integration/sim_harness.h"
#include "record/fill_in.h"
#include "sor/sor_io.h"
#include "ui/main_window.h"
#include "ui/progress_widgets.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

class UploadWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }

  std::unique_ptr<MainWindow> connectTo(const SimProcess& sim) {
    auto w = std::make_unique<MainWindow>(Language::English, harness.options(folder(), noPort));
    w->findChild<QComboBox*>("Combo1")->setEditText(sim.device());
    w->Command1_Click();
    EXPECT_EQ(w->findChild<QPushButton*>("Command1")->text(), "BREAK")
        << w->statusText().toStdString();
    return w;
  }

  static bool finish(MainWindow& w) {
    return QTest::qWaitFor([&] { return !w.transferBusy(); }, 30000);
  }

  QStringList savedFiles() const {
    return QDir(folder()).entryList({"*.otdr"}, QDir::Files, QDir::Name);
  }

  static std::int32_t blocksOf(const QString& path) {
    TraceRecord r;
    std::int32_t n = 0;
    EXPECT_TRUE(ReadRecordFile(path.toStdString(), r, n).ok()) << path.toStdString();
    return n;
  }
};

TEST_F(UploadWindowTest, CurrentTraceIsShownAndMayThenBeSaved) {
  SimProcess sim({"--range", "4", "--stored", "0"});
  ASSERT_FALSE(sim.device().isEmpty());
  auto w = connectTo(sim);
  bool bar1Seen = false;
  bool bar2Seen = false;
  QObject::connect(w->findChild<UploadController*>(), &UploadController::progressChanged,
                   [&](const TransferProgress& p) {
                     const ProgressWidgets s = progressWidgets(p);
                     bar1Seen |= s.progressBar1.visible;
                     bar2Seen |= s.progressBar2.visible || s.label3.visible || s.label5.visible;
                   });
  w->Command12_Click();
  ASSERT_TRUE(finish(*w));
  EXPECT_TRUE(w->dataPresent());
  EXPECT_EQ(w->view().FullRangeEnd, 8000);
  EXPECT_TRUE(w->findChild<QProgressBar*>("ProgressBar1")->isHidden());
  EXPECT_TRUE(w->findChild<QProgressBar*>("ProgressBar2")->isHidden());
  EXPECT_TRUE(bar1Seen);
  EXPECT_FALSE(bar2Seen);
  EXPECT_TRUE(savedFiles().isEmpty());  // the current trace is never saved by itself

  harness.dialog->answer = QDir(folder()).filePath("manual.otdr");
  w->Command2_Click();
  EXPECT_EQ(harness.dialog->lastFolder, folder());
  EXPECT_EQ(harness.dialog->lastFilter, "OTDR (*.otdr)");
  EXPECT_EQ(blocksOf(harness.dialog->answer), 3);  // two data blocks and the extra one
  EXPECT_EQ(w->findChild<QListWidget*>("List1")->count(), 1);

  // Cancelling writes nothing.
  harness.dialog->answer.clear();
  w->Command2_Click();
  EXPECT_EQ(savedFiles().size(), 1);
}

// The trace keeps the time its upload completed: a SOR export made later is dated then,
// and a trace loaded from a file is dated by the file instead.
TEST_F(UploadWindowTest, AnUploadedTraceKeepsItsUploadTime) {
  SimProcess sim({"--range", "4", "--stored", "0"});
  ASSERT_FALSE(sim.device().isEmpty());
  auto w = connectTo(sim);
  const QDateTime uploaded = harness.clock->time;
  w->Command12_Click();
  ASSERT_TRUE(finish(*w));
  EXPECT_EQ(w->session().source().uploadedAt, uploaded.toSecsSinceEpoch());

  harness.clock->time = uploaded.addSecs(3600);
  harness.dialog->answer = dir.filePath("later.sor");
  w->ExportSor();
  QFile file(harness.dialog->answer);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << w->statusText().toStdString();
  const QByteArray bytes = file.readAll();
  const auto read = sor::ReadSor(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
  ASSERT_TRUE(read.ok()) << read.error().text();
  ASSERT_TRUE(read->fxdParams);
  EXPECT_EQ(read->fxdParams->dateTime, uploaded.toSecsSinceEpoch());
}

TEST_F(UploadWindowTest, ALoadedLongTraceIsSavedWhole) {
  // A 12-block trace on file, then a 2-block upload, then the file loaded and saved: the
  // save must carry the file's 13 blocks, not the upload's 3.
  QDir().mkpath(folder());
  TraceRecord longTrace = makeRecord(7);
  ASSERT_TRUE(WriteRecordFile(QDir(folder()).filePath("long.otdr").toStdString(),
                              BuildRecordText(longTrace, 13))
                  .ok());
  SimProcess sim({"--range", "4", "--stored", "0"});
  auto w = connectTo(sim);
  w->Command12_Click();
  ASSERT_TRUE(finish(*w));
  auto* list = w->findChild<QListWidget*>("List1");
  list->setCurrentItem(list->findItems("long.otdr", Qt::MatchExactly).front());
  w->List1_Click();
  harness.dialog->answer = QDir(folder()).filePath("copy.otdr");
  w->Command2_Click();
  EXPECT_EQ(blocksOf(harness.dialog->answer), 13);
  TraceRecord a, b;
  std::int32_t n = 0;
  ASSERT_TRUE(ReadRecordFile(QDir(folder()).filePath("long.otdr").toStdString(), a, n).ok());
  ASSERT_TRUE(ReadRecordFile(harness.dialog->answer.toStdString(), b, n).ok());
  EXPECT_TRUE(a.words == b.words);
}

TEST_F(UploadWindowTest, UploadAllSavesEveryStoredTrace) {
  SimProcess sim({"--range", "1", "--stored", "3", "--no-current"});
  auto w = connectTo(sim);
  w->Command4_Click();
  ASSERT_TRUE(finish(*w));
  EXPECT_EQ(savedFiles().size(), 3);
  EXPECT_EQ(w->findChild<QListWidget*>("List1")->count(), 3);
  EXPECT_FALSE(w->dataPresent());
  for (const char* name : {"ProgressBar1", "ProgressBar2", "Label3", "Label5"})
    EXPECT_TRUE(w->findChild<QWidget*>(name)->isHidden()) << name;
}

// An upload that ends well says so: which trace or how many, the block count and the time
// taken (a number of seconds, never asserted).
TEST_F(UploadWindowTest, AnUploadThatEndsWellSaysSoOnTheStatusLine) {
  struct Case {
    QStringList simArgs;
    bool all;
  };
  const Case cases[] = {{{"--range", "4", "--stored", "0"}, false},
                        {{"--range", "1", "--stored", "2", "--no-current"}, true}};
  for (Language language : {Language::English, Language::Chinese}) {
    const UiStrings& s = uiStrings(language);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.all);
      SimProcess sim(c.simArgs);
      ASSERT_FALSE(sim.device().isEmpty());
      auto w = std::make_unique<MainWindow>(language, harness.options(folder(), noPort));
      w->findChild<QComboBox*>("Combo1")->setEditText(sim.device());
      w->Command1_Click();
      ASSERT_EQ(w->findChild<QPushButton*>("Command1")->text(), s.disconnect);
      c.all ? w->Command4_Click() : w->Command12_Click();
      ASSERT_TRUE(finish(*w));
      const QString count = QString::number(c.all ? std::int32_t{2} : w->header().BlocksPerTrace);
      const QString mark = QStringLiteral("@SECONDS@");
      QString pattern = QRegularExpression::escape(
          fillIn(c.all ? s.uploadedAll : s.uploadedCurrent, {count, mark}));
      pattern.replace(QRegularExpression::escape(mark), QStringLiteral(R"(\d+[.,]\d)"));
      EXPECT_TRUE(QRegularExpression("^" + pattern + "$").match(w->statusText()).hasMatch())
          << w->statusText().toStdString() << " / " << pattern.toStdString();
      EXPECT_GT(w->header().BlocksPerTrace, 0);
    }
  }
}

TEST_F(UploadWindowTest, NoDatasWhenTheInstrumentHasNoTrace) {
  SimProcess sim({"--no-current", "--stored", "0"});
  auto w = connectTo(sim);
  w->Command12_Click();
  ASSERT_TRUE(finish(*w));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.messages->shown.isEmpty(); }, 5000));
  EXPECT_EQ(harness.messages->shown, QStringList{"No datas!"});
  EXPECT_FALSE(w->dataPresent());
}

TEST_F(UploadWindowTest, UploadWithoutAConnectionKeepsTheTrace) {
  QDir().mkpath(folder());
  TraceRecord saved = makeRecord(3);
  ASSERT_TRUE(
      WriteRecordFile(QDir(folder()).filePath("a.otdr").toStdString(), BuildRecordText(saved, 2))
          .ok());
  MainWindow w(Language::English, harness.options(folder(), noPort));
  auto* list = w.findChild<QListWidget*>("List1");
  list->setCurrentItem(list->item(0));
  w.List1_Click();
  const TraceRecord before = w.record();
  for (auto click : {&MainWindow::Command12_Click, &MainWindow::Command4_Click}) {
    (w.*click)();
    EXPECT_TRUE(w.record().words == before.words);
    EXPECT_TRUE(w.statusText().contains("not connected")) << w.statusText().toStdString();
  }
}

// Installed where nothing can be written: uploads still show the trace, an upload of all
// traces says it stopped because saving is unavailable, and a save by hand still works
// into a folder the user picks.
TEST_F(UploadWindowTest, WithoutASaveFolderUploadsStillShowTheTrace) {
  const SaveFolderChoice none;
  const auto open = [&](const SimProcess& sim) {
    MainWindowOptions o = harness.options(QString(), noPort);
    o.chooseSaveFolder = [none] { return none; };
    auto w = std::make_unique<MainWindow>(Language::English, std::move(o));
    w->findChild<QComboBox*>("Combo1")->setEditText(sim.device());
    w->Command1_Click();
    return w;
  };
  {
    SimProcess sim({"--range", "1", "--stored", "2", "--no-current"});
    auto w = open(sim);
    w->Command4_Click();
    ASSERT_TRUE(finish(*w));
    EXPECT_EQ(w->view().FullRangeEnd, 500);  // the first stored trace is on screen
    EXPECT_TRUE(w->statusText().contains("could not be saved")) << w->statusText().toStdString();
    EXPECT_TRUE(w->statusText().contains("Saving is unavailable")) << w->statusText().toStdString();
  }
  {
    SimProcess sim({"--range", "4", "--stored", "0"});
    auto w = open(sim);
    w->Command12_Click();
    ASSERT_TRUE(finish(*w));
    EXPECT_TRUE(w->dataPresent());
    EXPECT_EQ(w->view().FullRangeEnd, 8000);
    harness.dialog->answer = dir.filePath("elsewhere.otdr");
    w->Command2_Click();
    EXPECT_EQ(harness.dialog->asked, 1);
    EXPECT_EQ(blocksOf(harness.dialog->answer), 3);
  }
}

}  // namespace
}  // namespace tracelink::test

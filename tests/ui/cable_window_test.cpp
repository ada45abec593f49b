// The cable view in both languages: a folder read as one cable matches the core's
// certification of the same files, with the generated cable's known failures named; it
// sorts numbers as numbers; a double click opens the fibre's trace in the main window;
// a damaged file is named; limits chosen later judge again without reading again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <set>

#include "cable/cable_strings.h"
#include "cable/generated_cable.h"
#include "cable/summary.h"
#include "record/fill_in.h"
#include "report/cable_report.h"
#include "ui/cable_table.h"
#include "ui/cable_window.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/ui_strings.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

class CableWindowTest : public ::testing::TestWithParam<Language> {
 protected:
  QTemporaryDir dir;
  Harness harness;
  std::vector<GeneratedFibre> fibres = generatedCable();
  QString folder;

  void SetUp() override {
    folder = dir.filePath("cable");
    QDir().mkpath(folder);
    writeGeneratedCable(toPath(folder), fibres);
    std::ofstream(toPath(folder) / "CABLE_F13_AB.sor") << "not a trace";
  }
  const UiStrings& strings() const { return uiStrings(GetParam()); }
  std::unique_ptr<MainWindow> window() {
    return std::make_unique<MainWindow>(GetParam(), harness.options(dir.filePath("save"), noPort));
  }
  static void waitReady(CableWindow* c) {
    QSignalSpy ready(c, &CableWindow::ready);
    if (c->busy()) {
      ASSERT_TRUE(ready.wait(120000));
    }
    ASSERT_FALSE(c->busy());
  }
  // The core's certification of the folder's files, as the window should show it.
  cable::Cable expected(const cable::Limits& limits) const {
    std::vector<cable::CableFile> files;
    for (const std::string& path : cable::traceFilesIn(folder.toStdString()))
      files.push_back(cable::readCableFile(path));
    return cable::certify(std::move(files), limits);
  }
  // The view's rows as shown (sorted), one column.
  static QStringList column(CableWindow* c, int col) {
    QStringList texts;
    const QAbstractItemModel* shown = c->table()->model();
    for (int r = 0; r < shown->rowCount(); ++r) texts << shown->index(r, col).data().toString();
    return texts;
  }
};

TEST_P(CableWindowTest, AFolderIsOneCableJudgedSortedAndOpenedFibreByFibre) {
  auto w = window();
  const cable::Limits limits = generatedCableLimits();
  w->setLimits(limits);
  CableWindow* c = w->showCableView({folder});
  // The reading runs behind a progress bar; the window answers meanwhile.
  EXPECT_TRUE(c->busy());
  EXPECT_TRUE(c->findChild<QProgressBar*>("CableProgress")->isVisible());
  waitReady(c);
  EXPECT_FALSE(c->findChild<QProgressBar*>("CableProgress")->isVisible());

  const cable::Cable want = expected(limits);
  ASSERT_EQ(want.rows.size(), fibres.size());
  CableTableModel* model = c->model();
  ASSERT_EQ(model->rowCount(), static_cast<int>(want.rows.size()));
  for (std::size_t r = 0; r < want.rows.size(); ++r) {
    const int row = static_cast<int>(r);
    const cable::FibreRow& w = want.rows[r];
    SCOPED_TRACE(w.fibre);
    EXPECT_EQ(model->text(row, CableTableModel::Fibre).toStdString(), w.fibre);
    EXPECT_EQ(model->text(row, CableTableModel::Found).toStdString(), w.found);
    EXPECT_EQ(model->text(row, CableTableModel::Events), QString::number(w.events));
    const GeneratedFibre& g = fibres[r];
    ASSERT_EQ(w.verdict.pass(), !g.failure.has_value());
    if (!g.failure) {
      EXPECT_EQ(model->text(row, CableTableModel::Verdict), strings().cableVerdictPass);
      continue;
    }
    // A failing row names its first failing item: the generated fault.
    const cable::Judgement* first = w.verdict.firstFailure();
    EXPECT_EQ(first->item, *g.failure);
    EXPECT_EQ(model->text(row, CableTableModel::Verdict),
              fillIn(strings().cableVerdictFail,
                     {QString::fromStdString(cable::judgementText(*first, GetParam()))}));
  }
  // The damaged file is named, the others certified.
  EXPECT_TRUE(c->summaryText().contains(QStringLiteral("CABLE_F13_AB.sor")));
  EXPECT_TRUE(c->summaryText().contains(
      fillIn(strings().cableCounts, {QString::number(fibres.size()), QString::number(want.passed()),
                                     QString::number(want.failed())})));

  // Sorted by a figure: numbers as numbers; by verdict: the failures first; by fibre: the
  // cable's order again.
  QTableView* table = c->table();
  const auto numbers = [&](int col) {
    std::vector<double> values;
    for (const QString& t : column(c, col)) values.push_back(t.toDouble());
    return values;
  };
  table->sortByColumn(CableTableModel::Loss, Qt::DescendingOrder);
  const std::vector<double> losses = numbers(CableTableModel::Loss);
  EXPECT_TRUE(std::is_sorted(losses.rbegin(), losses.rend()));
  table->sortByColumn(CableTableModel::Verdict, Qt::AscendingOrder);
  const QStringList verdicts = column(c, CableTableModel::Verdict);
  for (qsizetype r = 0; r < verdicts.size(); ++r)
    EXPECT_EQ(verdicts[r] == strings().cableVerdictPass, r >= 3)
        << verdicts.join('|').toStdString();
  table->sortByColumn(CableTableModel::Fibre, Qt::AscendingOrder);
  QStringList order;
  for (const GeneratedFibre& g : fibres) order << QString::fromStdString(g.id);
  EXPECT_EQ(column(c, CableTableModel::Fibre), order);

  // A double click on fibre 05's row shows its trace from end A in the main window.
  table->sortByColumn(CableTableModel::Length, Qt::AscendingOrder);
  const int shownRow = static_cast<int>(column(c, CableTableModel::Fibre).indexOf("05"));
  ASSERT_GE(shownRow, 0);
  c->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(c));
  QSignalSpy opened(w.get(), &MainWindow::traceOpened);
  const QRect cell = table->visualRect(table->model()->index(shownRow, CableTableModel::Fibre));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  if (opened.isEmpty()) {
    ASSERT_TRUE(opened.wait(10000));
  }
  EXPECT_EQ(QDir::cleanPath(opened.front().front().toString()),
            QDir(folder).filePath("CABLE_F05_AB.sor"));
  ASSERT_NE(w->session().foreign(), nullptr);
  EXPECT_EQ(w->session().foreign()->trace.identity.fiber, "05");

  // The report: the PDF where the user chose, with every readable trace and the limits
  // attached, and the summary's CSV and workbook beside it.
  harness.dialog->answer = dir.filePath("out/cable report.pdf");
  QDir().mkpath(dir.filePath("out"));
  QSignalSpy written(c, &CableWindow::reportFinished);
  c->findChild<QPushButton*>("CableWriteReport")->click();
  ASSERT_TRUE(written.wait(120000));
  EXPECT_EQ(written.front().front().toString(),
            fillIn(strings().cableReportWritten,
                   {QDir::toNativeSeparators(harness.dialog->answer),
                    QStringLiteral("cable report.csv, cable report.xlsx")}));
  EXPECT_TRUE(c->summaryText().contains(written.front().front().toString()));
  QFile pdf(harness.dialog->answer);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const Result<std::vector<Attachment>> attached = readAttachments(pdf.readAll());
  ASSERT_TRUE(attached.ok());
  std::set<std::string> names;
  for (const Attachment& a : *attached) names.insert(a.name);
  EXPECT_EQ(names.size(), 2 * fibres.size() + 2);
  EXPECT_TRUE(names.contains(kLimitsAttachment));
  EXPECT_TRUE(names.contains("CABLE_F05_BA.sor"));
  EXPECT_FALSE(names.contains("CABLE_F13_AB.sor"));
  QFile csv(dir.filePath("out/cable report.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll().toStdString(), cable::cableCsv(want));
  EXPECT_TRUE(QFileInfo(dir.filePath("out/cable report.xlsx")).size() > 0);
}

TEST_P(CableWindowTest, LimitsChosenLaterJudgeTheCableAgainAndNoneJudgesNothing) {
  auto w = window();
  // The list's files: a cable of the ones given, fibre 03 and 09 from both ends.
  const QStringList files = {
      QDir(folder).filePath("CABLE_F03_AB.sor"), QDir(folder).filePath("CABLE_F03_BA.sor"),
      QDir(folder).filePath("CABLE_F09_AB.sor"), QDir(folder).filePath("CABLE_F09_BA.sor")};
  CableWindow* c = w->showCableView(files);
  waitReady(c);
  ASSERT_EQ(c->model()->rowCount(), 2);
  EXPECT_EQ(column(c, CableTableModel::Verdict),
            QStringList({strings().cableNotJudged, strings().cableNotJudged}));
  EXPECT_TRUE(c->summaryText().contains(fillIn(strings().cableCountsNoLimits, {"2"})));

  cable::Limits limits = generatedCableLimits();
  w->setLimits(limits);
  waitReady(c);
  QStringList verdicts = column(c, CableTableModel::Verdict);
  EXPECT_TRUE(verdicts[0].startsWith(fillIn(strings().cableVerdictFail, {""})));
  EXPECT_EQ(verdicts[1], strings().cableVerdictPass);  // 09 by the two-direction average

  // Judged end by end, fibre 09's gainer and loss both fail.
  limits.useBidirectional = false;
  w->setLimits(limits);
  waitReady(c);
  verdicts = column(c, CableTableModel::Verdict);
  EXPECT_TRUE(verdicts[1].startsWith(fillIn(strings().cableVerdictFail, {""})));

  w->setLimits(std::nullopt);
  waitReady(c);
  EXPECT_EQ(column(c, CableTableModel::Verdict),
            QStringList({strings().cableNotJudged, strings().cableNotJudged}));
  // Nothing judged, nothing to certify: the report asks for limits first.
  harness.dialog->answer = dir.filePath("never.pdf");
  c->writeReport();
  EXPECT_EQ(harness.dialog->asked, 0);
  EXPECT_TRUE(c->summaryText().contains(strings().cableNeedsLimits));
  EXPECT_FALSE(QFileInfo::exists(harness.dialog->answer));
}

INSTANTIATE_TEST_SUITE_P(Languages, CableWindowTest,
                         ::testing::Values(Language::English, Language::Chinese));

}  // namespace
}  // namespace tracelink::test

// Trace information: the dialog with every field of the trace on screen, Save as SOR with
// the edited identity, and the CSV and PNG exports from the plot's menu.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "cli/cli_runner.h"
#include "files/record_file.h"
#include "files/record_text.h"
#include "sor/sor_edit.h"
#include "sor/sor_io.h"
#include "trace/load_trace.h"
#include "trace/sha256.h"
#include "ui/main_window.h"
#include "ui/trace_info_dialog.h"
#include "ui/trace_view.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

std::vector<std::uint8_t> fileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

class TraceInfoTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }
  QString tracePath() const { return QDir(folder()).filePath("a.otdr"); }

  // The window with a trace loaded from a file, shown and active.
  std::unique_ptr<MainWindow> openWithTrace(Language language) {
    QDir().mkpath(folder());
    TraceRecord record = makeRecord(7);
    EXPECT_TRUE(WriteRecordFile(tracePath().toStdString(), BuildRecordText(record, 12)).ok());
    auto w = std::make_unique<MainWindow>(language, harness.options(folder(), noPort));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    auto* list = w->findChild<QListWidget*>("List1");
    list->setCurrentRow(0);
    w->List1_Click();
    return w;
  }

  static void type(TraceInfoDialog& d, const char* field, const QString& text) {
    auto* edit = d.findChild<QLineEdit*>(field);
    ASSERT_NE(edit, nullptr) << field;
    edit->setText(text);
  }
};

TEST_F(TraceInfoTest, MenuEntriesFollowTheExistingOnesAndCtrlIOpensTheDialog) {
  struct Case {
    Language language;
    QStringList texts;
    const char* heading;
  };
  const Case cases[] = {
      {Language::English, {"Trace information…", "Export CSV…", "Export PNG…"}, "[Origin]"},
      {Language::Chinese, {"曲线信息…", "导出CSV…", "导出PNG…"}, "[来源]"}};
  for (const Case& c : cases) {
    auto w = openWithTrace(c.language);
    // Ours follow the original entries, in this order, whatever other features add.
    QStringList names;
    for (QAction* a : w->plotMenu()->actions())
      if (!a->isSeparator()) names << a->objectName();
    const qsizetype at = names.indexOf("TraceInfo");
    ASSERT_GT(at, names.indexOf("ExportSor"));
    EXPECT_EQ(names.mid(at, 3), (QStringList{"TraceInfo", "ExportCsv", "ExportPng"}));
    QStringList texts;
    for (QAction* a : w->plotMenu()->actions())
      if (names.mid(at, 3).contains(a->objectName())) texts << a->text();
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(names.front(), "SetMarkerA");

    EXPECT_EQ(w->traceInfoDialog(), nullptr);
    QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier);
    TraceInfoDialog* d = w->traceInfoDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->isSizeGripEnabled());
    const QString text = d->findChild<QPlainTextEdit*>("TraceInfoText")->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.heading))) << text.toStdString();
    // The origin's digest is the file's, computed where the trace does not carry one.
    const std::string sha = Sha256Hex(fileBytes(tracePath()));
    const QString colon =
        c.language == Language::English ? QStringLiteral(": ") : QStringLiteral("：");
    EXPECT_TRUE(text.contains(QStringLiteral("SHA-256") + colon + QString::fromStdString(sha)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(tracePath()))) << text.toStdString();
    // A second Ctrl+I raises the same dialog; another trace closes it.
    QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(w->traceInfoDialog(), d);
    w->List1_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->traceInfoDialog(), nullptr);
  }
}

TEST_F(TraceInfoTest, SaveAsSorWritesTheEditedIdentityOrNamesTheFieldItCannotHold) {
  struct Case {
    Language language;
    const char* savedPrefix;
    const char* refusedField;  // the comment, named in the build's language
  };
  const Case cases[] = {{Language::English, "SOR saved: ", "the comment"},
                        {Language::Chinese, "SOR已保存：", "备注"}};
  for (const Case& c : cases) {
    auto w = openWithTrace(c.language);
    w->ShowTraceInfo();
    TraceInfoDialog* d = w->traceInfoDialog();
    ASSERT_NE(d, nullptr);
    type(*d, "Cable", "CAB-7");
    type(*d, "Fiber", "F-12");
    type(*d, "LocationA", "Exchange A");
    type(*d, "LocationB", "Cabinet 9");
    type(*d, "Operator", "Kim");
    type(*d, "Comment", "after repair");
    const QString path = dir.filePath(QStringLiteral("edited-%1.sor").arg(int(c.language)));
    harness.dialog->answer = path;
    QTest::mouseClick(d->findChild<QPushButton*>("SaveAsSor"), Qt::LeftButton);
    EXPECT_TRUE(d->message().startsWith(QString::fromUtf8(c.savedPrefix)))
        << d->message().toStdString();
    EXPECT_EQ(w->statusText(), d->message());
    const auto read = sor::ReadSor(fileBytes(path));
    ASSERT_TRUE(read.ok()) << read.error().text();
    ASSERT_TRUE(read->genParams);
    EXPECT_EQ(read->genParams->cableId.text, "CAB-7");
    EXPECT_EQ(read->genParams->fiberId.text, "F-12");
    EXPECT_EQ(read->genParams->locationA.text, "Exchange A");
    EXPECT_EQ(read->genParams->locationB.text, "Cabinet 9");
    EXPECT_EQ(read->genParams->operatorName.text, "Kim");
    EXPECT_EQ(read->genParams->comment.text, "after repair");
    EXPECT_EQ(read->checksum.status, sor::ChecksumStatus::Ok);

    // A text the format cannot hold is refused by name, before any file is asked for.
    type(*d, "Comment", QStringLiteral("修复后"));
    const int asked = harness.dialog->asked;
    harness.dialog->answer = dir.filePath("refused.sor");
    QTest::mouseClick(d->findChild<QPushButton*>("SaveAsSor"), Qt::LeftButton);
    EXPECT_EQ(harness.dialog->asked, asked);
    EXPECT_FALSE(QFile::exists(harness.dialog->answer));
    EXPECT_TRUE(d->message().contains(QString::fromUtf8(c.refusedField)))
        << d->message().toStdString();
  }
}

TEST_F(TraceInfoTest, CsvIsTheCommandLinesAndPngIsThePlotAsShown) {
  const std::filesystem::path cli = cliBinary();
  ASSERT_FALSE(cli.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  auto w = openWithTrace(Language::English);
  harness.dialog->answer = dir.filePath("trace.csv");
  w->ExportCsv();
  EXPECT_EQ(harness.dialog->lastFilter, "CSV (*.csv)");
  EXPECT_TRUE(w->statusText().startsWith("CSV saved: ")) << w->statusText().toStdString();
  const std::vector<std::uint8_t> csv = fileBytes(harness.dialog->answer);
  const CliRun run = runCli(cli, "csv " + shellWord(tracePath().toStdString()),
                            std::filesystem::path(dir.path().toStdString()));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_GT(csv.size(), 1000u);
  EXPECT_EQ(std::string(csv.begin(), csv.end()), run.out);

  harness.dialog->answer = dir.filePath("plot.png");
  w->ExportPng();
  EXPECT_TRUE(w->statusText().startsWith("PNG saved: ")) << w->statusText().toStdString();
  const QImage png(harness.dialog->answer);
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
            w->traceView()->picture().convertToFormat(QImage::Format_RGB32));

  // A write that fails says so, in the build's words, and leaves no file.
  harness.dialog->answer = dir.filePath("missing-folder/plot.png");
  w->ExportPng();
  EXPECT_TRUE(w->statusText().startsWith("PNG export failed: ")) << w->statusText().toStdString();
  // Cancelling writes nothing and says nothing new.
  const QString before = w->statusText();
  harness.dialog->answer.clear();
  w->ExportCsv();
  EXPECT_EQ(w->statusText(), before);
}

// Another maker's trace: its own identity and acquisition, its key events with an unset
// reflectance left empty, and the checksum as it compared, in either language.
TEST(TraceInfoText, AnotherMakersTraceShowsItsOwnFields) {
  const Result<Trace> trace =
      LoadTrace(std::filesystem::path(TRACELINK_SOR_SAMPLES) / "sample01.sor");
  ASSERT_TRUE(trace.ok()) << trace.error().text();
  struct Case {
    Language language;
    const char* checksum;
    QStringList lines;
  };
  const Case cases[] = {
      {Language::English,
       "ok (start 0)",
       {"Operator: Ventia ", "Instrument: MT1000A", "Wavelength: 1310.0 nm", "Pulse width: 100 ns",
        "Key events: 6", "Format: SOR file", "Checksum: ok (start 0)",
        "2\t862.57 m\tgainer\t-0.209 dB\t\t0F9999LS\t "}},
      {Language::Chinese,
       "正确（起始值 0）",
       {"操作员：Ventia ", "波长：1310.0 nm", "关键事件：6", "格式：SOR文件",
        "校验和：正确（起始值 0）", "2\t862.57 m\t增益\t-0.209 dB\t\t0F9999LS\t "}},
  };
  for (const Case& c : cases) {
    const QString text = traceInfoText(*trace, QStringLiteral("ab12"),
                                       QString::fromUtf8(c.checksum), uiStrings(c.language));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : c.lines)
      EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("2147483"))) << text.toStdString();
  }
}

TEST_F(TraceInfoTest, WithoutATraceNothingOpensAndNothingIsWritten) {
  QDir().mkpath(folder());
  MainWindow w(Language::English, harness.options(folder(), noPort));
  w.ShowTraceInfo();
  EXPECT_EQ(w.traceInfoDialog(), nullptr);
  EXPECT_EQ(w.statusText(), "No trace to export");
  w.ExportCsv();
  w.ExportPng();
  EXPECT_EQ(harness.dialog->asked, 0);
}

// Another maker's file opened in the window: Save as SOR gives exactly the file's bytes with
// the edited identity rewritten (every other block kept), and the CSV is the command line's.
TEST_F(TraceInfoTest, AnotherMakersFileIsRewrittenAndExportedAsTheCommandLineDoes) {
  const std::filesystem::path cli = cliBinary();
  ASSERT_FALSE(cli.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  const QString sample = QStringLiteral(TRACELINK_SOR_SAMPLES "/sample03.sor");
  for (const Language language : {Language::English, Language::Chinese}) {
    QDir().mkpath(folder());
    auto w = std::make_unique<MainWindow>(language, harness.options(folder(), noPort));
    w->openTraceFile(sample);
    ASSERT_NE(w->session().foreign(), nullptr) << w->statusText().toStdString();
    w->ShowTraceInfo();
    TraceInfoDialog* d = w->traceInfoDialog();
    ASSERT_NE(d, nullptr);
    type(*d, "Cable", "CAB-7");
    type(*d, "Operator", "Kim");
    harness.dialog->answer = dir.filePath(QStringLiteral("edited-%1.sor").arg(int(language)));
    QTest::mouseClick(d->findChild<QPushButton*>("SaveAsSor"), Qt::LeftButton);
    const std::vector<std::uint8_t> saved = fileBytes(harness.dialog->answer);
    const sor::IdentityTexts texts = sor::IdentityOf(saved);
    EXPECT_EQ(texts.cable, "CAB-7");
    EXPECT_EQ(texts.operatorName, "Kim");
    const auto expected = sor::RewriteIdentity(fileBytes(sample), texts);
    ASSERT_TRUE(expected.ok());
    EXPECT_EQ(saved, *expected);

    harness.dialog->answer = dir.filePath("foreign.csv");
    w->ExportCsv();
    const std::vector<std::uint8_t> csv = fileBytes(harness.dialog->answer);
    const CliRun run = runCli(cli, "csv " + shellWord(sample.toStdString()),
                              std::filesystem::path(dir.path().toStdString()));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(csv.size(), 1000u);
    EXPECT_EQ(std::string(csv.begin(), csv.end()), run.out);
  }
}

}  // namespace
}  // namespace tracelink::test

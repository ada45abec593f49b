#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include "files/test_files.h"
#include "pdf_tools.h"
#include "report/page_view.h"
#include "report/pdf_save_dialog.h"
#include "report/print_preview_window.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

struct DialogCall {
  QString caption, startPath, filter;
};

// Answers the Save As dialog with a path set by the test, and remembers what it was asked.
class FakeSaveDialog : public PdfSaveDialog {
 public:
  FakeSaveDialog(QString answer, std::vector<DialogCall>& calls)
      : answer_(std::move(answer)), calls_(calls) {}
  QString askSavePath(QWidget*, const QString& caption, const QString& startPath,
                      const QString& filter) override {
    calls_.push_back({caption, startPath, filter});
    return answer_;
  }

 private:
  QString answer_;
  std::vector<DialogCall>& calls_;
};

struct Preview {
  Preview(Language language, const QString& answer, const QString& saveFolder)
      : window(language, test::defaultHeader(), sourcesNamed(), "Lab",
               [](const QImage&) { return PrintAttempt{}; }) {
    window.setPdfSaving(std::make_unique<FakeSaveDialog>(answer, calls), saveFolder);
    window.show();
    QApplication::setActiveWindow(&window);
  }
  static ReportSources sourcesNamed() {
    ReportSources s = test::sourcesWith(test::eventsOf(2), test::stripedCanvas(723, 369));
    s.traceName = "trace_07.otdr";
    return s;
  }
  QString status() { return window.findChild<QLabel*>("printStatus")->text(); }

  std::vector<DialogCall> calls;
  PrintPreviewWindow window;
};

QString q(const fs::path& p) {
  return QString::fromStdString(p.string());
}

TEST(PreviewSavePdf, CtrlSAsksWhereAndWritesThePage) {
  for (const Language language : {Language::English, Language::Chinese}) {
    const bool english = language == Language::English;
    TempFolder folder;
    const fs::path target = folder / "out.pdf";
    Preview p(language, q(target), q(folder.path()));
    QTest::keyClick(&p.window, Qt::Key_S, Qt::ControlModifier);

    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0].caption, english ? "Save PDF" : "保存PDF");
    EXPECT_EQ(p.calls[0].filter, "PDF (*.pdf)");
    EXPECT_EQ(p.calls[0].startPath, q(folder / "00088_000999_trace_07.pdf"));
    ASSERT_TRUE(fs::exists(target));
    EXPECT_EQ(test::pdfInfo(target, folder.path(), "Pages"), "1");
    EXPECT_EQ(test::pdfInfo(target, folder.path(), "Title"),
              english ? "OTDR Report" : "OTDR测试报告");
    EXPECT_NE(test::pdfText(target, folder.path())
                  .find(english ? "Operator:TE Marlow" : "操作员：TE Marlow"),
              std::string::npos);
    EXPECT_EQ(p.status(), english ? "The report was saved as \"" + q(target) + "\"."
                                  : "报告已保存为“" + q(target) + "”。");
    // Nothing but the file itself is left in the folder.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(folder.path()))
      entries +=
          e.path().filename() == "out.pdf" ? 0 : e.path().filename().string().ends_with(".tmp");
    EXPECT_EQ(entries, 0);
  }
}

TEST(PreviewSavePdf, TheRightClickMenuOnThePageOffersIt) {
  for (const Language language : {Language::English, Language::Chinese}) {
    TempFolder folder;
    Preview p(language, q(folder / "m.pdf"), q(folder.path()));
    auto* page = p.window.findChild<PageView*>("Picture1");
    emit page->customContextMenuRequested(QPoint(40, 40));
    auto* menu = p.window.findChild<QMenu*>("pageMenu");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* save = menu->actions().front();
    EXPECT_EQ(save->text(), language == Language::English ? "Save PDF…" : "保存PDF…");
    EXPECT_EQ(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    save->trigger();
    EXPECT_EQ(p.calls.size(), 1u);
    EXPECT_TRUE(fs::exists(folder / "m.pdf"));
    menu->close();
  }
}

TEST(PreviewSavePdf, CancelWritesNothingAndAFailureNamesTheFileAndWhy) {
  TempFolder folder;
  {
    Preview cancelled(Language::English, QString(), q(folder.path()));
    cancelled.window.SavePdf();
    EXPECT_EQ(cancelled.calls.size(), 1u);
    EXPECT_EQ(cancelled.status(), "");
    EXPECT_TRUE(fs::is_empty(folder.path()));
  }
  const fs::path missing = folder / "no" / "such" / "r.pdf";
  Preview failed(Language::English, q(missing), q(folder.path()));
  failed.window.SavePdf();
  EXPECT_EQ(failed.status(), "The report was not saved: " + q(missing) +
                                 ": cannot create: No such file or directory");
  auto* box = failed.window.findChild<QMessageBox*>("saveError");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), failed.status());
  box->close();
  EXPECT_FALSE(fs::exists(missing));
  // The preview still prints and shows its page as before.
  EXPECT_FALSE(failed.window.page().isNull());
}

}  // namespace
}  // namespace tracelink

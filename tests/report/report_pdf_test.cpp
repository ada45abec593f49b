#include "report/report_pdf.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <thread>

#include "files/atomic_file.h"
#include "files/test_files.h"
#include "pdf_tools.h"
#include "record/version.h"
#include "report/page_geometry.h"
#include "report/report_page.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// A plot-sized canvas of 24-pixel blocks in distinct colours: a misplaced or rescaled
// copy shows in any downscaled comparison.
QImage blockCanvas(bool grey) {
  QImage image(723, 369, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const int bx = x / 24;
      const int by = y / 24;
      const int v = (bx * 53 + by * 97) % 256;
      image.setPixel(x, y, grey ? qRgb(v, v, v) : qRgb(v, (bx * 31) % 256, (by * 71) % 256));
    }
  }
  return image;
}

fs::path writePdf(const TempFolder& folder, const std::string& name, const QByteArray& bytes) {
  const fs::path path = folder / name;
  EXPECT_TRUE(WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size()),
                                  ExistingFile::Replace));
  return path;
}

QByteArray reportPdf(Language language, const ReportHeader& header, const ReportSources& sources) {
  Result<QByteArray> pdf = ReportPdf(header, sources, language, ".");
  EXPECT_TRUE(pdf.ok());
  return pdf.ok() ? *pdf : QByteArray();
}

TEST(ReportPdf, HoldsEveryTextOfThePageAsTextAndTheMetadata) {
  for (const Language language : {Language::English, Language::Chinese}) {
    const bool english = language == Language::English;
    SCOPED_TRACE(english ? "English" : "Chinese");
    TempFolder folder;
    const ReportHeader header = test::defaultHeader();
    const ReportSources sources = test::sourcesWith(test::eventsOf(4, language), blockCanvas(true));
    const fs::path pdf = writePdf(folder, "r.pdf", reportPdf(language, header, sources));

    // Every text the page lays out, captions joined to their values, event rows included.
    const std::string text = test::withoutBlanks(test::pdfText(pdf, folder.path()));
    int texts = 0;
    for (const PageItem& item : layoutReportPage(header, sources, language, ".").items) {
      if (const auto* t = std::get_if<PageText>(&item)) {
        ++texts;
        EXPECT_NE(text.find(test::withoutBlanks(t->text.toStdString())), std::string::npos)
            << t->text.toStdString();
      }
    }
    EXPECT_EQ(texts, 13 + 5 + 4 * 5 - 1);  // header and table texts, four rows, no last IL

    EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Page size"), "595 x 842 pts (A4)");
    EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Pages"), "1");
    EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Title"), english ? "OTDR Report" : "OTDR测试报告");
    EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Subject"),
              english ? "Cable No.:00088  Fiber No.:000999" : "光缆标号：00088  光纤标号：000999");
    EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Creator"), "tracelink " + std::string(kVersion));
  }
}

TEST(ReportPdf, EmbedsEveryFont) {
  for (const Language language : {Language::English, Language::Chinese}) {
    TempFolder folder;
    const fs::path pdf = writePdf(
        folder, "r.pdf",
        reportPdf(language, test::defaultHeader(), test::sourcesWith(test::eventsOf(2, language))));
    std::istringstream fonts(
        test::commandOutput("pdffonts " + test::shellQuoted(pdf), folder.path()));
    std::string line;
    std::getline(fonts, line);  // heads
    std::getline(fonts, line);  // rule
    int count = 0;
    while (std::getline(fonts, line)) {
      ++count;
      std::istringstream cells(line);
      std::vector<std::string> words{std::istream_iterator<std::string>(cells), {}};
      ASSERT_GE(words.size(), 5u) << line;
      // name, type words, encoding, emb, sub, uni, object, generation
      EXPECT_EQ(words[words.size() - 5], "yes") << line;
    }
    EXPECT_GE(count, 1);
    if (language == Language::Chinese) {
      const std::string list =
          test::commandOutput("pdffonts " + test::shellQuoted(pdf), folder.path());
      const std::string family = reportFontFamily(Language::Chinese).toStdString();
      std::string squeezed;
      for (const char c : family)
        if (c != ' ') squeezed += c;
      EXPECT_NE(list.find(squeezed), std::string::npos) << list;
    }
  }
}

// Where the canvas lands on the page at dpi: its height fills the A4 height, centred across.
QRectF canvasOnPage(int dpi) {
  const double pageW = 210.0 / 25.4 * dpi;
  const double pageH = 297.0 / 25.4 * dpi;
  const double scale = std::min(pageW / kPagePixelWidth, pageH / kPagePixelHeight);
  return {(pageW - kPagePixelWidth * scale) / 2, (pageH - kPagePixelHeight * scale) / 2,
          kPagePixelWidth * scale, kPagePixelHeight * scale};
}

double meanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

TEST(ReportPdf, ThePlotIsTheCanvasPixelForPixelWhereThePagePutsIt) {
  for (const bool grey : {true, false}) {
    SCOPED_TRACE(grey ? "grey canvas" : "colour canvas");
    TempFolder folder;
    const QImage canvas = blockCanvas(grey);
    const fs::path pdf = writePdf(folder, "r.pdf",
                                  reportPdf(Language::English, test::defaultHeader(),
                                            test::sourcesWith(test::eventsOf(3), canvas)));

    // Stored without loss.
    const QImage embedded = test::pdfFirstImage(pdf, folder.path());
    ASSERT_FALSE(embedded.isNull());
    EXPECT_EQ(embedded.convertToFormat(QImage::Format_RGB32), canvas);

    // Rasterised, the picture sits at the canvas pixel (5, 200) of the scaled page.
    constexpr int kDpi = 100;
    const QImage page =
        test::pdfRaster(pdf, folder.path(), kDpi).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 210.0 / 25.4 * kDpi, 1.0);
    EXPECT_NEAR(page.height(), 297.0 / 25.4 * kDpi, 1.0);
    const QRectF onPage = canvasOnPage(kDpi);
    const double scale = onPage.height() / kPagePixelHeight;
    const QRect plot = QRectF(onPage.left() + kPlotOrigin.x() * scale,
                              onPage.top() + kPlotOrigin.y() * scale, 723 * scale, 369 * scale)
                           .toAlignedRect();
    const QImage expected =
        canvas.scaled(plot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The events list's title rule and text lie on the picture's lowest rows; compare
    // above them.
    const QRect compared(0, 0, plot.width(), plot.height() * 3 / 4);
    const double inPlace = meanDifference(page.copy(plot).copy(compared), expected.copy(compared));
    const double shifted =
        meanDifference(page.copy(plot.translated(12, 9)).copy(compared), expected.copy(compared));
    EXPECT_LT(inPlace, 6.0);
    EXPECT_GT(shifted, 4 * inPlace + 10);
  }
}

TEST(ReportPdf, TheWholeCanvasIsScaledOntoThePage) {
  TempFolder folder;
  const ReportSources sources = test::sourcesWith(test::eventsOf(8), blockCanvas(true));
  const fs::path pdf =
      writePdf(folder, "r.pdf", reportPdf(Language::English, test::defaultHeader(), sources));
  constexpr int kDpi = 60;
  const QImage page =
      test::pdfRaster(pdf, folder.path(), kDpi).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(page.isNull());
  const QRectF onPage = canvasOnPage(kDpi);
  EXPECT_GE(onPage.top(), 0.0);
  EXPECT_GE(onPage.left(), 0.0);
  EXPECT_LE(onPage.bottom(), page.height() + 0.5);
  EXPECT_LE(onPage.right(), page.width() + 0.5);
  // The ink of the page is the ink of the canvas, scaled and placed: nothing moved,
  // nothing cut (the last event row is the lowest ink).
  const QImage composed = ComposeReportPage(test::defaultHeader(), sources, Language::English, ".");
  const QRect canvasInk = test::inkBounds(composed, composed.rect());
  const QRect pageInk = test::inkBounds(page, page.rect());
  const double scale = onPage.height() / kPagePixelHeight;
  EXPECT_NEAR(pageInk.top(), onPage.top() + canvasInk.top() * scale, 2.5);
  EXPECT_NEAR(pageInk.left(), onPage.left() + canvasInk.left() * scale, 2.5);
  EXPECT_NEAR(pageInk.bottom(), onPage.top() + canvasInk.bottom() * scale, 2.5);
  EXPECT_NEAR(pageInk.right(), onPage.left() + canvasInk.right() * scale, 2.5);
}

TEST(ReportPdf, PagesComeOutInTheOrderAddedAndTheSubjectNamesEachFibre) {
  TempFolder folder;
  ReportPdfWriter writer(Language::English, ".");
  for (const char* fiber : {"F-1", "F-2", "F-3", "F-2"}) {
    ReportHeader header = test::defaultHeader();
    header.fiberNo = fiber;
    writer.addPage(header, test::sourcesWith(test::eventsOf(1), blockCanvas(true)));
  }
  EXPECT_EQ(writer.pageCount(), 4);
  Result<QByteArray> bytes = writer.finish();
  ASSERT_TRUE(bytes.ok()) << bytes.error().text();
  const fs::path pdf = writePdf(folder, "r.pdf", *bytes);
  EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Pages"), "4");
  int page = 1;
  for (const char* fiber : {"F-1", "F-2", "F-3", "F-2"}) {
    EXPECT_NE(test::pdfText(pdf, folder.path(), page++).find(std::string("Fiber No.:") + fiber),
              std::string::npos);
  }
  EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Subject"),
            "Cable No.:00088  Fiber No.:F-1; Cable No.:00088  Fiber No.:F-2; "
            "Cable No.:00088  Fiber No.:F-3");
  const Result<QByteArray> again = writer.finish();  // a finished document takes nothing more
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.error().code, ErrorCode::PdfFinished);
}

// The date the toolkit stamps, to the second, is the one part two runs may differ in.
QByteArray withoutCreationDate(QByteArray pdf) {
  const qsizetype at = pdf.indexOf("/CreationDate (D:");
  if (at >= 0) pdf.replace(at, 32, QByteArray(32, '-'));
  return pdf;
}

// A batch makes the plot pictures on its workers: the document they give is the one the
// writer makes by itself, byte for byte, whatever the canvases and whichever thread made
// each picture.
TEST(ReportPdf, PicturesMadeBeforehandGiveTheSameDocument) {
  const std::vector<QImage> canvases{blockCanvas(true), blockCanvas(false), QImage(),
                                     blockCanvas(true).convertToFormat(QImage::Format_Grayscale8)};
  ReportPdfWriter plain(Language::English, ".");
  ReportPdfWriter prepared(Language::English, ".");
  std::vector<ReportPdfPicture> pictures(canvases.size());
  {
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < canvases.size(); ++i)
      threads.emplace_back([&, i] { pictures[i] = reportPdfPicture(canvases[i]); });
    for (std::thread& t : threads) t.join();
  }
  EXPECT_TRUE(pictures[2].objectBody.isEmpty());  // no canvas, no picture
  for (std::size_t i = 0; i < canvases.size(); ++i) {
    ReportHeader header = test::defaultHeader();
    header.fiberNo = QString::number(i);
    const ReportSources sources =
        test::sourcesWith(test::eventsOf(static_cast<int>(i) + 1), canvases[i]);
    plain.addPage(header, sources);
    prepared.addPage(header, sources, std::move(pictures[i]));
  }
  const Result<QByteArray> a = plain.finish();
  const Result<QByteArray> b = prepared.finish();
  ASSERT_TRUE(a.ok() && b.ok());
  EXPECT_EQ(withoutCreationDate(*a), withoutCreationDate(*b));
  EXPECT_NE(withoutCreationDate(*a), *a);  // the date was there to be masked
}

// The writer's failures are codes; the window words them in its language (the preview
// names the file), the command line in English as it always did.
TEST(ReportPdf, FailuresAreCodesWordedInEitherLanguage) {
  ReportPdfWriter writer(Language::Chinese, ".");
  const Result<QByteArray> empty = writer.finish();
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.error().code, ErrorCode::PdfNoPage);
  EXPECT_EQ(empty.error().text(), "the PDF document has no page");
  EXPECT_EQ(empty.error().text(Language::Chinese), "PDF文档没有页面");
  const Result<QByteArray> again = writer.finish();
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.error().text(), "the PDF document was already finished");
  EXPECT_EQ(again.error().text(Language::Chinese), "PDF文档已经完成");
  Error named = again.error();
  named.path = "/tmp/报告.pdf";
  EXPECT_EQ(named.text(Language::Chinese), "/tmp/报告.pdf：PDF文档已经完成");
}

TEST(SuggestedReportName, JoinsTheNumbersAndTheTraceName) {
  struct Case {
    QString cable, fiber, trace, expected;
  };
  const Case cases[] = {
      {"00088", "000999", "save/trace_03.otdr", "00088_000999_trace_03.pdf"},
      {"00088", "000999", "", "00088_000999.pdf"},
      {"", "", "a.otdr", "a.pdf"},
      {"", "", "", "report.pdf"},
      {" A/B ", "c:d*e?", "x\"<>|.otdr", "A_B_c_d_e__x____.pdf"},
      {"光缆1", "纤2", "曲线.otdr", "光缆1_纤2_曲线.pdf"},
  };
  for (const Case& c : cases) {
    ReportHeader header = test::defaultHeader();
    header.cableNo = c.cable;
    header.fiberNo = c.fiber;
    EXPECT_EQ(suggestedReportName(header, c.trace), c.expected) << c.trace.toStdString();
  }
}

}  // namespace
}  // namespace tracelink

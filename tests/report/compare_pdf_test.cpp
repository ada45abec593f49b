#include "report/compare_pdf.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <regex>
#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "files/test_files.h"
#include "pdf_tools.h"
#include "render/overlay_plot.h"
#include "report/bidir_table.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// A fibre falling by exactly 1 milli-dB a point from -2 dB: at 2 m a point it loses 0.5
// dB/km, at 4 m 0.25 dB/km.
Trace slope(double spacingM, double wavelengthNm, double pulseNs, std::int64_t date,
            const std::string& path) {
  Trace t;
  t.spacingM = spacingM;
  for (int i = 0; i < 4000; ++i) t.levels.push_back(-2000 - i);
  t.acquisition.wavelengthNm = wavelengthNm;
  t.acquisition.pulseWidthsNs = {pulseNs};
  t.identity.dateTime = date;
  t.origin.path = path;
  return t;
}

fs::path written(const TempFolder& folder, const std::string& name, const Result<QByteArray>& pdf) {
  EXPECT_TRUE(pdf.ok());
  const fs::path path = folder.path() / name;
  const QByteArray bytes = pdf.ok() ? *pdf : QByteArray();
  EXPECT_TRUE(WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size()),
                                  ExistingFile::Replace));
  return path;
}

// The page's text with each row of a table on one line.
std::string layoutText(const fs::path& pdf, const TempFolder& folder) {
  return test::commandOutput("pdftotext -layout -enc UTF-8 " + test::shellQuoted(pdf) + " -",
                             folder.path());
}

bool has(const std::string& text, const std::string& part) {
  return text.find(test::withoutBlanks(part)) != std::string::npos;
}

// One page with the legend of the shown traces (a hidden one left out), the marker table
// with each trace's loss and attenuation (an offset moves its levels, not its loss), the
// plot stored without loss, in both languages and with the decimal separator given.
TEST(ComparePdf, TheOverlayPageHoldsLegendMarkersAndTheCanvas) {
  const Trace steep = slope(2, 1310, 1000, 1796601600, "/data/K12_F01_AB.sor");  // 2026-12-07
  const Trace gentle = slope(4, 1550, 30, 1796688000, "/data/K12_F01_1550.sor");
  const Trace hidden = slope(1, 1625, 10, 0, "/data/hidden_one.sor");
  OverlayPdfInput input;
  input.traces = {{&steep}, {&gentle, 3.0}, {&hidden, 0, false}};
  input.names = {QString(), QStringLiteral("second name.sor")};
  input.view = fullOverlayView(input.traces);
  const struct {
    Language language;
    std::string separator;
    std::vector<std::string> texts;
  } cases[] = {
      {Language::English,
       ".",
       {"Trace Comparison", "K12_F01_AB.sor", "second name.sor", "1310", "1550", "1000", "30",
        "2026-12-07 00:00 UTC", "2026-12-08 00:00 UTC", "Markers: A at 1000.0 m, B at 5000.0 m",
        // steep: -2.5 and -4.5 dB, 2 dB apart, 0.5 dB/km
        "-2.50 -4.50 2.000 0.500",
        // gentle: -2.25 and -3.25 dB lifted by 3 dB, 1 dB apart, 0.25 dB/km
        "0.75 -0.25 1.000 0.250", "LSA (dB/km)"}},
      {Language::Chinese,
       ",",
       {"曲线对比", "波长", "脉宽", "-2,50 -4,50 2,000 0,500", "0,75 -0,25 1,000 0,250",
        "标记：A 位于 1000,0 m，B 位于 5000,0 m"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.separator);
    TempFolder folder;
    input.markerA = 1000;
    input.markerB = 5000;
    const fs::path pdf = written(
        folder, "overlay.pdf", overlayPdf(input, c.language, QString::fromStdString(c.separator)));
    EXPECT_EQ(test::pdfInfo(pdf, folder.path(), "Pages"), "1");
    const std::string text = test::withoutBlanks(layoutText(pdf, folder));
    for (const std::string& part : c.texts) EXPECT_TRUE(has(text, part)) << part << "\n" << text;
    EXPECT_FALSE(has(text, "hidden_one")) << text;

    // Without markers: no marker table, and the plot is the overlay's canvas to the pixel.
    input.markerA.reset();
    input.markerB.reset();
    const fs::path plain = written(
        folder, "plain.pdf", overlayPdf(input, c.language, QString::fromStdString(c.separator)));
    EXPECT_FALSE(has(test::withoutBlanks(test::pdfText(plain, folder.path())), "LSA"));
    const QImage stored = test::pdfFirstImage(plain, folder.path());
    EXPECT_EQ(stored.convertToFormat(QImage::Format_RGB32),
              renderOverlay(input.traces, input.view));
  }
}

// Trace B turned onto A's axis: B's point at x lies L - (x - B's start) from A's start.
TEST(ComparePdf, TheMirroredTraceLiesOnAsAxis) {
  Trace b;
  b.spacingM = 0.5;
  b.originM = -120;  // B's fibre starts at 30 m of its trace
  b.levels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  b.events.resize(2);
  b.events[0].distanceM = 30.5;
  b.events[1].distanceM = 33;
  compare::BidirResult both;
  both.lengthM = 3.5;
  both.a.startM = 1000;
  both.b.startM = 30;
  const Trace m = mirroredTrace(b, both);
  ASSERT_EQ(m.size(), b.size());
  for (std::size_t i = 0; i < b.size(); ++i) {
    const std::size_t j = b.size() - 1 - i;
    EXPECT_EQ(m.levels[j], b.levels[i]);
    EXPECT_DOUBLE_EQ(m.distanceOf(j), 1000 + 3.5 - (b.distanceOf(i) - 30)) << i;
  }
  ASSERT_EQ(m.events.size(), 2u);
  EXPECT_DOUBLE_EQ(m.events[0].distanceM, 1000.5);  // B's 33 m, 3 m into its fibre
  EXPECT_DOUBLE_EQ(m.events[1].distanceM, 1003);
}

compare::BidirResult resultWith(int events) {
  compare::BidirResult r;
  r.wavelengthNm = 1550;
  r.lengthM = 12345.6;
  r.toleranceM = 20;
  for (int k = 1; k <= events; ++k) {
    compare::BidirEvent e;
    e.no = k;
    e.distanceM = 1000 + k + 0.3;
    e.lossAB = 0.125;
    e.lossBA = k == 2 ? std::nullopt : std::optional<double>(-0.047);
    e.averageDb = k == 2 ? 0.064 : 0.039;
    e.reflectanceDb = k == 1 ? std::optional<double>(-45.25) : std::nullopt;
    e.oneDirection = k == 2;
    r.events.push_back(e);
  }
  r.totalLossAB = 3.456;
  r.totalLossBA = 3.123;
  r.totalLossDb = 3.29;
  r.warnings = {{compare::BidirWarning::PulseWidthsDiffer, 100, 300}};
  return r;
}

// The two-direction page: both files, the head, each event's row (a missing loss as a
// dash, the one-way mark), the totals and the warning; events that do not fit are counted
// and are the last ones.
TEST(ComparePdf, TheTwoDirectionPageHoldsTheTableAndCountsWhatDidNotFit) {
  const Trace a = slope(2, 1550, 100, 0, "/x/A.sor");
  const Trace b = slope(2, 1550, 300, 0, "/x/B.sor");
  for (const Language language : {Language::English, Language::Chinese}) {
    const bool english = language == Language::English;
    SCOPED_TRACE(english ? "English" : "Chinese");
    TempFolder folder;
    const fs::path few = written(folder, "few.pdf",
                                 bidirPdf(a, b, resultWith(3), QStringLiteral("K1_AB.sor"),
                                          QStringLiteral("K1_BA.sor"), language, "."));
    EXPECT_EQ(test::pdfInfo(few, folder.path(), "Pages"), "1");
    const std::string text = test::withoutBlanks(layoutText(few, folder));
    const std::vector<std::string> parts =
        english ? std::vector<std::string>{"Two-Direction Analysis",
                                           "K1_AB.sor",
                                           "K1_BA.sor",
                                           "Two directions at 1550 nm: length 12345.6 m",
                                           "1 1001.3 0.125 -0.047 0.039 -45.25",
                                           "2 1002.3 0.125 \u2014 0.064 \u2014 one way",
                                           "A\u2192B 3.456 dB, B\u2192A 3.123 dB, average 3.290",
                                           "pulse widths (100 ns and 300 ns)"}
                : std::vector<std::string>{
                      "双向分析",         "K1_AB.sor",
                      "1550 nm 双向分析", "2 1002.3 0.125 \u2014 0.064 \u2014 单向",
                      "总损耗",           "100 ns 与 300 ns"};
    for (const std::string& part : parts) EXPECT_TRUE(has(text, part)) << part << "\n" << text;

    const fs::path many = written(folder, "many.pdf",
                                  bidirPdf(a, b, resultWith(200), QStringLiteral("K1_AB.sor"),
                                           QStringLiteral("K1_BA.sor"), language, "."));
    EXPECT_EQ(test::pdfInfo(many, folder.path(), "Pages"), "1");
    const std::string all = layoutText(many, folder);
    const std::smatch count = [&] {
      std::smatch m;
      std::regex_search(
          all, m,
          std::regex(english ? "(\\d+) more events not shown" : "另有 (\\d+) 个事件未列出"));
      return m;
    }();
    ASSERT_FALSE(count.empty()) << all;
    const int hiddenRows = std::stoi(count[1]);
    ASSERT_GT(hiddenRows, 0);
    ASSERT_LT(hiddenRows, 200);
    const int lastShown = 200 - hiddenRows;
    const std::string flat = test::withoutBlanks(all);
    EXPECT_TRUE(has(flat, std::to_string(1000 + lastShown) + ".3")) << lastShown;
    EXPECT_FALSE(has(flat, std::to_string(1000 + lastShown + 1) + ".3")) << lastShown;
  }
}

// The table as the cable report draws it into its own box: a row more for each event, and
// never taller than the box when the events do not fit.
TEST(BidirTable, GrowsByARowAnEventAndStaysInItsBox) {
  QImage page(753, 1241, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  const QRectF box(10, 10, 700, 400);
  const double three = drawBidirTable(painter, box, resultWith(3), Language::English, ".");
  const double four = drawBidirTable(painter, box, resultWith(4), Language::English, ".");
  const double five = drawBidirTable(painter, box, resultWith(5), Language::English, ".");
  EXPECT_GT(four - three, 8);
  EXPECT_DOUBLE_EQ(five - four, four - three);
  for (const int events : {40, 500}) {
    const double used = drawBidirTable(painter, box, resultWith(events), Language::Chinese, ",");
    EXPECT_LE(used, box.height()) << events;
    EXPECT_GT(used, box.height() - 2 * (four - three)) << events;
  }
}

}  // namespace
}  // namespace tracelink

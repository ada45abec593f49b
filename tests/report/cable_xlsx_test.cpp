// The cable's workbook, read back from its zip with unzip: the summary sheet against the
// CSV, the events sheet's verdicts, both languages.
#include "report/cable_xlsx.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>
#include <map>
#include <sstream>

#include "cable/cable_strings.h"
#include "cable/generated_cable.h"
#include "files/path_text.h"
#include "files/test_files.h"
#include "report/pdf_tools.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

using Sheet = std::vector<std::vector<std::string>>;  // rows of cells, as text

// The fields of one CSV line (quoted fields as RFC 4180 writes them).
std::vector<std::string> csvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

std::string unescaped(QString text) {
  text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
  return text.toStdString();
}

// A sheet of the workbook: shared strings resolved, numbers as written.
Sheet readSheet(const fs::path& book, int number, const fs::path& scratch) {
  const QString shared = QString::fromStdString(test::commandOutput(
      "unzip -p " + test::shellQuoted(book) + " xl/sharedStrings.xml", scratch));
  std::vector<std::string> strings;
  static const QRegularExpression si(QStringLiteral("<si><t[^>]*>(.*?)</t></si>"),
                                     QRegularExpression::DotMatchesEverythingOption);
  for (auto m = si.globalMatch(shared); m.hasNext();)
    strings.push_back(unescaped(m.next().captured(1)));
  const QString xml = QString::fromStdString(
      test::commandOutput("unzip -p " + test::shellQuoted(book) + " xl/worksheets/sheet" +
                              std::to_string(number) + ".xml",
                          scratch));
  Sheet sheet;
  static const QRegularExpression cell(
      QStringLiteral("<c r=\"([A-Z]+)(\\d+)\"([^>]*)>(?:<v>([^<]*)</v>)?</c>"));
  for (auto m = cell.globalMatch(xml); m.hasNext();) {
    const QRegularExpressionMatch c = m.next();
    const std::size_t row = c.captured(2).toULongLong() - 1;
    const std::size_t col = static_cast<std::size_t>(c.captured(1).at(0).unicode() - 'A');
    if (sheet.size() <= row) sheet.resize(row + 1);
    if (sheet[row].size() <= col) sheet[row].resize(col + 1);
    sheet[row][col] = c.captured(3).contains(QStringLiteral("t=\"s\""))
                          ? strings.at(c.captured(4).toULongLong())
                          : c.captured(4).toStdString();
  }
  return sheet;
}

cable::Cable generatedCable() {
  std::vector<cable::CableFile> files;
  for (const test::GeneratedFibre& f : test::generatedCable())
    for (const char end : {'A', 'B'}) {
      cable::CableFile file;
      file.path = "cable/" + test::generatedFileName(f, end, 1310, false);
      file.trace = end == 'A' ? f.fromA[0] : f.fromB[0];
      files.push_back(std::move(file));
    }
  return cable::certify(std::move(files), test::generatedCableLimits());
}

TEST(CableXlsx, SummaryIsTheCsvAndEventsCarryTheirVerdictsInEitherLanguage) {
  const cable::Cable cable = generatedCable();
  ASSERT_EQ(cable.rows.size(), 12u);
  std::vector<std::vector<std::string>> csv;
  std::istringstream lines(cable::cableCsv(cable));
  for (std::string line; std::getline(lines, line);) csv.push_back(csvFields(line));

  struct Case {
    Language language;
    std::vector<std::string> sheetNames;
    std::string fibreCaption, reflective, averaged, notJudged;
  };
  const Case cases[] = {
      {Language::English,
       {"Summary", "Events"},
       "Fibre",
       "reflective",
       "both directions averaged",
       "not judged"},
      {Language::Chinese, {"汇总", "事件"}, "光纤", "反射事件", "双向平均", "未判定"},
  };
  const test::TempFolder scratch;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.sheetNames[0]);
    const Result<std::string> book = cableXlsx(cable, k.language);
    ASSERT_TRUE(book.ok()) << book.error().text();
    const fs::path file = scratch / "cable.xlsx";
    test::writeFile(file, *book);
    const std::string workbook = test::commandOutput(
        "unzip -p " + test::shellQuoted(file) + " xl/workbook.xml", scratch.path());
    for (const std::string& name : k.sheetNames)
      EXPECT_NE(workbook.find("name=\"" + name + "\""), std::string::npos) << workbook;

    // Row for row and cell for cell the CSV; the verdict and first failure in the language.
    const Sheet summary = readSheet(file, 1, scratch.path());
    ASSERT_EQ(summary.size(), csv.size());
    EXPECT_EQ(summary[0][0], k.fibreCaption);
    for (std::size_t r = 1; r < csv.size(); ++r) {
      for (std::size_t c = 0; c < 11; ++c) {
        const std::string got = c < summary[r].size() ? summary[r][c] : std::string();
        char* end = nullptr;
        const double number = std::strtod(csv[r][c].c_str(), &end);
        if (!csv[r][c].empty() && *end == '\0' && c >= 2)
          EXPECT_DOUBLE_EQ(std::strtod(got.c_str(), nullptr), number) << r << "," << c;
        else
          EXPECT_EQ(got, csv[r][c]) << r << "," << c;
      }
      const cable::Verdict& v = cable.rows[r - 1].verdict;
      EXPECT_EQ(summary[r][11], std::string(cable::verdictWord(v.pass(), k.language)));
      EXPECT_EQ(summary[r].size() > 12 ? summary[r][12] : std::string(),
                cable::firstFailureText(v, k.language));
    }

    // Fibre 05's connector fails on its reflectance from both ends; fibre 09's splice is
    // judged by the average alone, which passes.
    const Sheet events = readSheet(file, 2, scratch.path());
    int failingConnectors = 0;
    int averagedSplices09 = 0;
    int oneEndSplices09 = 0;
    for (std::size_t r = 1; r < events.size(); ++r) {
      const std::vector<std::string>& row = events[r];
      ASSERT_GE(row.size(), 10u);
      if (row[0] == "05" && row[6] == k.reflective &&
          row[9] == cable::verdictWord(false, k.language))
        ++failingConnectors;
      // The splice lies 1500 m from A, 3500 m from B.
      const double at = std::strtod(row[5].c_str(), nullptr);
      if (row[0] == "09" &&
          (std::abs(at - 1500) < 5 || (row[2] != k.averaged && std::abs(at - 3500) < 5))) {
        if (row[2] == k.averaged) {
          ++averagedSplices09;
          EXPECT_EQ(row[9], cable::verdictWord(true, k.language));
        } else {
          ++oneEndSplices09;
          EXPECT_EQ(row[9], k.notJudged);
        }
      }
    }
    EXPECT_EQ(failingConnectors, 2);
    EXPECT_EQ(averagedSplices09, 1);
    EXPECT_EQ(oneEndSplices09, 2);
  }
}

TEST(CableXlsx, NamesWithLineBreaksCommasAndQuotesKeepTheirRows) {
  // Fibre IDs are whatever the instrument was given: a line break must not split a row of
  // the summary, nor shift the rows after it.
  const char* const ids[] = {"two\nlines", "=A,\"1\""};
  std::vector<cable::CableFile> files;
  const std::vector<test::GeneratedFibre> fibres = test::generatedCable({1310}, 2);
  for (std::size_t n = 0; n < fibres.size(); ++n)
    for (const char end : {'A', 'B'}) {
      cable::CableFile file;
      file.path = "cable/" + test::generatedFileName(fibres[n], end, 1310, false);
      file.trace = end == 'A' ? fibres[n].fromA[0] : fibres[n].fromB[0];
      file.trace->identity.fiber = ids[n];
      files.push_back(std::move(file));
    }
  const cable::Cable cable = cable::certify(std::move(files), test::generatedCableLimits());
  ASSERT_EQ(cable.rows.size(), 2u);
  const Result<std::string> book = cableXlsx(cable, Language::English);
  ASSERT_TRUE(book.ok()) << book.error().text();
  const test::TempFolder scratch;
  const fs::path file = scratch / "cable.xlsx";
  test::writeFile(file, *book);
  const Sheet summary = readSheet(file, 1, scratch.path());
  ASSERT_EQ(summary.size(), 3u);
  for (std::size_t r = 0; r < cable.rows.size(); ++r) {
    SCOPED_TRACE(cable.rows[r].fibre);
    const std::vector<cable::CsvField> fields = cable::cableCsvFields(cable, r);
    ASSERT_GE(summary[r + 1].size(), 11u);
    EXPECT_EQ(summary[r + 1][0], fields[0].text);
    EXPECT_EQ(summary[r + 1][1], fields[1].text);
    EXPECT_EQ(summary[r + 1][2], "1310");
    EXPECT_EQ(summary[r + 1][6], fields[6].text);
  }
}

}  // namespace
}  // namespace tracelink

// The cable report over the generated 12-fibre cable: its pages and their text, the files it
// carries, verify on it as written and after it was tampered with, and the workbook.
#include "report/cable_report.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <functional>
#include <map>

#include "cable/cable_strings.h"
#include "cable/generated_cable.h"
#include "files/path_text.h"
#include "files/test_files.h"
#include "report/cable_xlsx.h"
#include "report/pdf_tools.h"
#include "report/report_fixtures.h"
#include "report/report_pdf.h"
#include "report/report_verify.h"
#include "trace/load_trace.h"
#include "trace/sha256.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

std::string sha256Of(const std::string& bytes) {
  return Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// The generated cable written to a folder and read back as the command line reads it.
struct Certified {
  test::TempFolder folder;
  std::vector<fs::path> paths;
  cable::Limits limits = test::generatedCableLimits();
  cable::Cable cable;

  explicit Certified(const std::function<void(const fs::path&)>& addMore = {}) {
    paths = test::writeGeneratedCable(folder.path(), test::generatedCable());
    if (addMore) addMore(folder.path());
    std::vector<cable::CableFile> files;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      cable::CableFile f;
      f.path = pathText(entry.path());
      Result<Trace> t = LoadTrace(entry.path());
      if (t) {
        f.trace = std::move(*t);
      } else {
        f.error = t.error().text();
      }
      files.push_back(std::move(f));
    }
    cable = cable::certify(std::move(files), limits);
  }
};

CableReportInfo reportInfo(Language language = Language::English) {
  CableReportInfo info;
  info.cable = QStringLiteral("CABLE-12");
  info.operatorName = QStringLiteral("Tester");
  info.date = QDateTime(QDate(2026, 12, 9), QTime(10, 0));
  info.language = language;
  return info;
}

// Where the files to attach come from: each fibre's page (read on the batch's workers), or
// the writer when it finishes.
enum class FilesFrom { Pages, Writer };

Result<QByteArray> tryReport(const cable::Cable& cable, const cable::Limits& limits,
                             Language language = Language::English,
                             FilesFrom from = FilesFrom::Pages) {
  const CableReportInfo info = reportInfo(language);
  CableReportWriter writer(cable, limits, info);
  for (std::size_t row = 0; row < cable.rows.size(); ++row) {
    Result<FibrePage> page = buildFibrePage(cable, row, info);
    if (!page) return page.error();
    if (from == FilesFrom::Writer) page->files.clear();
    writer.addFibrePage(row, std::move(*page));
  }
  return writer.finish();
}

QByteArray writeReport(const cable::Cable& cable, const cable::Limits& limits,
                       Language language = Language::English) {
  const Result<QByteArray> pdf = tryReport(cable, limits, language);
  EXPECT_TRUE(pdf.ok()) << pdf.error().text();
  return pdf ? *pdf : QByteArray();
}

// pdftotext's text without blanks, ligatures as their letters.
std::string pageText(const fs::path& pdf, const fs::path& scratch, int page) {
  const QString text = QString::fromStdString(test::pdfText(pdf, scratch, page));
  return test::withoutBlanks(text.normalized(QString::NormalizationForm_KC).toStdString());
}

fs::path saved(const test::TempFolder& folder, const QByteArray& pdf, const std::string& name) {
  const fs::path p = folder / name;
  test::writeFile(p, pdf.toStdString());
  return p;
}

TEST(CableReport, TheGeneratedCableOnePagePerFibreWithVerdictsHashesAndItsFiles) {
  const Certified c;
  ASSERT_EQ(c.cable.rows.size(), 12u);
  const QByteArray pdf = writeReport(c.cable, c.limits);
  const test::TempFolder out;
  const fs::path file = saved(out, pdf, "cable.pdf");

  EXPECT_EQ(test::pdfInfo(file, out.path(), "Pages"), "13");
  const std::string summary = pageText(file, out.path(), 1);
  EXPECT_NE(summary.find("Cable:CABLE-12"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Operator:Tester"), std::string::npos);
  EXPECT_NE(summary.find("12fibres:9passed,3failed"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Limits:Generated:spliceatmost0.30dB"), std::string::npos) << summary;

  // Each fibre's page in fibre order: its verdict, and the hash of both its files as they
  // are on disk.
  const std::map<std::string, std::string> failing{
      {"03", "spliceat1500.0m"}, {"05", "reflectanceat3000.0m"}, {"07", "sectionfrom1500.0m"}};
  for (int n = 1; n <= 12; ++n) {
    const std::string id = (n < 10 ? "0" : "") + std::to_string(n);
    const std::string page = pageText(file, out.path(), n + 1);
    const auto fails = failing.find(id);
    const std::string verdict =
        "Fibre" + id + "at1310nm:" + (fails == failing.end() ? "pass" : "fail");
    EXPECT_NE(page.find(verdict), std::string::npos) << page;
    if (fails != failing.end()) {
      EXPECT_NE(page.find(verdict + ",firstfailure:" + fails->second), std::string::npos) << page;
    }
    for (const char* end : {"_AB.sor", "_BA.sor"}) {
      const std::string name = "CABLE_F" + id + end;
      const std::string sha = sha256Of(test::readFile(c.folder / name));
      EXPECT_NE(page.find("SHA-256" + sha + name), std::string::npos) << name << "\n" << page;
    }
  }

  // The files themselves, byte for byte, with their hashes; and the limits judged by.
  const Result<std::vector<Attachment>> attached = readAttachments(pdf);
  ASSERT_TRUE(attached.ok()) << attached.error().text();
  ASSERT_EQ(attached->size(), 26u);
  std::map<std::string, const Attachment*> byName;
  for (const Attachment& a : *attached) byName[a.name] = &a;
  for (const fs::path& p : c.paths) {
    const auto a = byName.find(pathText(p.filename()));
    ASSERT_NE(a, byName.end()) << p;
    EXPECT_EQ(a->second->bytes, test::readFile(p));
    EXPECT_EQ(a->second->description, "SHA-256 " + sha256Of(a->second->bytes));
  }
  ASSERT_TRUE(byName.contains(kLimitsAttachment));
  const cable::LimitsOutcome limits = cable::parseLimits(byName[kLimitsAttachment]->bytes);
  ASSERT_TRUE(std::holds_alternative<cable::Limits>(limits));
  EXPECT_EQ(std::get<cable::Limits>(limits), c.limits);
}

// The files are attached alike whether the pages brought them or the writer read them. A
// file changed on disk after it was certified is refused
// either way, naming it, rather than attached beside pages it no longer gives.
TEST(CableReport, TheCertifiedFilesAreAttachedOrTheChangedOneRefused) {
  const Certified c;
  const Result<QByteArray> byPages = tryReport(c.cable, c.limits);
  const Result<QByteArray> byWriter =
      tryReport(c.cable, c.limits, Language::English, FilesFrom::Writer);
  ASSERT_TRUE(byPages.ok()) << byPages.error().text();
  ASSERT_TRUE(byWriter.ok()) << byWriter.error().text();
  const Result<std::vector<Attachment>> fromPages = readAttachments(*byPages);
  const Result<std::vector<Attachment>> fromWriter = readAttachments(*byWriter);
  ASSERT_TRUE(fromPages.ok() && fromWriter.ok());
  ASSERT_EQ(fromPages->size(), 26u);
  ASSERT_EQ(fromWriter->size(), fromPages->size());
  for (std::size_t i = 0; i < fromPages->size(); ++i) {
    const Attachment& a = (*fromPages)[i];
    const Attachment& b = (*fromWriter)[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.description, b.description);
    EXPECT_TRUE(a.bytes == b.bytes) << a.name;
  }

  const fs::path changed = c.folder / "CABLE_F07_BA.sor";
  std::string bytes = test::readFile(changed);
  bytes[bytes.size() - 40] ^= 0x01;
  test::writeFile(changed, bytes);
  for (const FilesFrom from : {FilesFrom::Pages, FilesFrom::Writer}) {
    const Result<QByteArray> pdf = tryReport(c.cable, c.limits, Language::English, from);
    ASSERT_FALSE(pdf.ok()) << static_cast<int>(from);
    const std::string why = pdf.error().text();
    EXPECT_NE(why.find(pathText(changed) + ": changed while the report was written"),
              std::string::npos)
        << why;
  }
}

// A certified file that is gone when it is to be attached, or is a folder now, is refused
// naming it, whether a page or the writer reads it.
TEST(CableReport, ACertifiedFileThatCannotBeReadAgainIsRefused) {
  const struct {
    const char* what;
    std::function<void(const fs::path&)> spoil;
  } cases[] = {
      {"removed", [](const fs::path& p) { fs::remove(p); }},
      {"a folder",
       [](const fs::path& p) {
         fs::remove(p);
         fs::create_directory(p);
       }},
  };
  for (const auto& k : cases) {
    const Certified c;
    const fs::path spoilt = c.folder / "CABLE_F04_BA.sor";
    k.spoil(spoilt);
    for (const FilesFrom from : {FilesFrom::Pages, FilesFrom::Writer}) {
      const Result<QByteArray> pdf = tryReport(c.cable, c.limits, Language::English, from);
      ASSERT_FALSE(pdf.ok()) << k.what;
      const std::string why = pdf.error().text();
      EXPECT_NE(why.find(pathText(spoilt) + ": cannot be read again to attach it"),
                std::string::npos)
          << k.what << ": " << why;
    }
  }
}

// verify: silent on the report as written, in either language; after a byte of one
// attached trace changes, or a page's verdict is not the one its traces give, it names
// that page and only that page.
TEST(CableReport, VerifyNamesThePageThatDoesNotMatch) {
  const Certified c;
  const std::size_t fibre05 = 4;  // rows in fibre order
  ASSERT_EQ(c.cable.rows[fibre05].fibre, "05");
  ASSERT_FALSE(c.cable.rows[fibre05].verdict.pass());

  const auto oneByteChanged = [&](Language language) {
    QByteArray pdf = writeReport(c.cable, c.limits, language);
    const Result<std::vector<Attachment>> attached = readAttachments(pdf);
    std::vector<Attachment> changed;
    for (const Attachment& a : *attached)
      if (a.name == "CABLE_F05_BA.sor") changed.push_back(a);
    EXPECT_EQ(changed.size(), 1u);
    // A level near the end of the file, where the trace still reads.
    changed[0].bytes[changed[0].bytes.size() - 40] ^= 0x01;
    return *withAttachments(pdf, changed);
  };
  const auto verdictAltered = [&](Language language) {
    cable::Cable forged = c.cable;
    for (cable::Judgement& j : forged.rows[fibre05].verdict.items) j.pass = true;
    return writeReport(forged, c.limits, language);
  };

  struct Case {
    const char* name;
    std::function<QByteArray()> make;
    std::string mismatch;  // empty: all match
  };
  const Case cases[] = {
      {"as written", [&] { return writeReport(c.cable, c.limits); }, ""},
      {"as written, Chinese", [&] { return writeReport(c.cable, c.limits, Language::Chinese); },
       ""},
      {"a byte of a trace", [&] { return oneByteChanged(Language::English); },
       "page 6: 'CABLE_F05_BA.sor' is attached with SHA-256 "},
      {"a byte of a trace, Chinese", [&] { return oneByteChanged(Language::Chinese); },
       "page 6: 'CABLE_F05_BA.sor' is attached with SHA-256 "},
      {"a verdict", [&] { return verdictAltered(Language::English); },
       "page 6: the page says 'Fibre 05 at 1310 nm: pass', its traces give 'Fibre 05 at 1310 nm: "
       "fail, first failure: "},
      {"a verdict, Chinese", [&] { return verdictAltered(Language::Chinese); },
       "page 6: the page says '光纤05（1310 nm）：合格', its traces give '光纤05（1310 "
       "nm）：不合格"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const Result<VerifyOutcome> v = verifyCableReport(k.make());
    ASSERT_TRUE(v.ok()) << v.error().text();
    EXPECT_EQ(v->pages, 13);
    EXPECT_EQ(v->traces, 24u);
    EXPECT_EQ(v->fibres, 12u);
    if (k.mismatch.empty()) {
      EXPECT_TRUE(v->ok()) << v->mismatches.front();
      continue;
    }
    ASSERT_FALSE(v->mismatches.empty());
    EXPECT_TRUE(v->mismatches.front().starts_with(k.mismatch)) << v->mismatches.front();
    for (const std::string& line : v->mismatches) EXPECT_TRUE(line.starts_with("page 6: ")) << line;
  }
}

TEST(CableReport, VerifyRefusesWhatIsNoCableReport) {
  const Certified c;
  const QByteArray report = writeReport(c.cable, c.limits);
  const Result<QByteArray> page =
      ReportPdf(test::defaultHeader(), test::sourcesWith(test::eventsOf(3)), Language::English,
                QStringLiteral("."));
  ASSERT_TRUE(page.ok());
  struct Case {
    const char* name;
    QByteArray pdf;
    const char* error;
  };
  const Case cases[] = {
      {"not a PDF", QByteArray("%PDF-1.4 nothing else"), "not a PDF document qpdf can read"},
      {"a report page", *page, "not a cable report: no limits.json attached"},
      {"damaged limits", *withAttachments(report, {{kLimitsAttachment, "", "{\"name\": 3}"}}),
       "limits.json: refused at key 'name'"},
      {"damaged settings", *withAttachments(report, {{kCertifyAttachment, "", "[]"}}),
       "certify.json: not a JSON object"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const Result<VerifyOutcome> v = verifyCableReport(k.pdf);
    ASSERT_FALSE(v.ok());
    EXPECT_TRUE(v.error().text().starts_with(k.error)) << v.error().text();
  }
}

// An attachment named to climb out of the scratch folder is refused, never written.
TEST(CableReport, VerifyWritesNoAttachmentOutsideItsScratchFolder) {
  const Certified c;
  const test::TempFolder out;
  const std::string climbing = "../" + pathText(out.path().filename()) + "-escaped.sor";
  const QByteArray pdf = *withAttachments(writeReport(c.cable, c.limits),
                                          {{climbing, "", test::readFile(c.paths.front())}});
  const Result<VerifyOutcome> v = verifyCableReport(pdf);
  ASSERT_TRUE(v.ok());
  bool named = false;
  for (const std::string& line : v->mismatches)
    named = named || line.find(climbing) != std::string::npos;
  EXPECT_TRUE(named);
  EXPECT_FALSE(
      fs::exists(out.path().parent_path() / (pathText(out.path().filename()) + "-escaped.sor")));
}

}  // namespace
}  // namespace tracelink
